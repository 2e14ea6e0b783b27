#include "checkbox.h"

#include "definevalue.h"
#include "contrast.h"
#include "errorreporter.h"
#include "kindedits.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

CheckBox::CheckBox(const QString &name, const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
    , BitElement(this, "CheckBox")
{
    setObjectName(name);
    setTristate(false);
}

void CheckBox::initialize()
{
    // Connections on toggled see the unchecked state at start too.
    if (isEnabled() && !isChecked())
        emit toggled(false);
    connect(this, &QCheckBox::clicked, this, &CheckBox::valueChangedByUser, Qt::UniqueConnection);
    connect(this, &QCheckBox::stateChanged, this, &CheckBox::valueChanged, Qt::UniqueConnection);
    finishInitialize(this);
}

// ---------------------------------------------------------------------------
// Change paths

void CheckBox::valueChanged(int state)
{
    if (!runSendData(state != Qt::Unchecked))
        return;
    markModified();
    updateToolTip();
}

void CheckBox::valueChangedByUser(bool checked)
{
    // The line carries the value, so replaying it restores the same check state.
    recordSet(this, QString::number(int(checked != flagProperty("inverted"))));
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    m_storedValue = checked != flagProperty("inverted");
}

void CheckBox::sendData(bool checked)
{
    runSendData(checked);
}

bool CheckBox::runSendData(bool checked)
{
    ElementGuard guard(this, host());
    if (isEnabled()) {
        ActionRules rules;
        rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef")};
        rules.eventApplies = [checked](const QString &event) {
            return (event == QLatin1String("checked")) == checked;
        };
        if (!runActions(guard, rules))
            return false;

        // The lock part runs on every call, also when no action applied.
        const bool locking = isChecked() != flagProperty("lockinverted");
        const QStringList setDefs = textListProperty(locking ? "default_setdef" : "default_setdefinv");
        if (!sendLockTexts(guard, QStringLiteral("0"), locking)
            || !emitEach(guard, QStringLiteral("checked_setDef"), setDefs))
            return false;
    }
    signalState().raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void CheckBox::sendLocks(bool on)
{
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    const QStringList locks = lockTexts(QStringLiteral("0"));
    if (locks.isEmpty())
        return;
    // Nothing to lock in the non-locking state.
    if (on && isChecked() == flagProperty("lockinverted"))
        return;
    emitEach(guard, on ? QStringLiteral("sendLock") : QStringLiteral("sendUnlock"), locks);
}

void CheckBox::emitSendLock(const QString &lock)
{
    signalState().raise(&ElementSignals::sendLock, lock);
}

void CheckBox::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void CheckBox::makeReadOnly()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------
// Values

void CheckBox::setValue(const QString &text, int keyword)
{
    setBitValue(text, keyword);
}

ApplyResult CheckBox::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        // 0 or 1 only: any other value is refused rather than taken as unchecked.
        bool checked = false;
        if (!readDefineBit(text, &checked))
            return ApplyResult::refused(ApplyResult::InvalidValue);
        if (beforeChange)
            beforeChange();
        setSignalsBlocked(this, [&] { setChecked(checked); });
        valueChangedByUser(checked);
        valueChanged(checked ? 1 : 0);
        return ApplyResult::applied();
    }
    const bool checked = readUserDecimal(text) == 1;
    if (!isEnabled() || isChecked() == checked)
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    // As a click: the state change runs the actions, then the user's slot
    // records the line and keeps the state.
    setChecked(checked);
    valueChangedByUser(checked);
    return ApplyResult::applied();
}

void listCheckBoxRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<CheckBox *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
}

void CheckBox::paintEvent(QPaintEvent *event)
{
    QCheckBox::paintEvent(event);
    // Styles draw the box's frame in a shade of the window colour, which all
    // but vanishes on a dark one (and is faint on a light one): where that
    // shade does not stand out from the window and the box's inside, the
    // frame is drawn again in the nearest colour that does.
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    if (box.isEmpty())
        return;
    const QColor around = palette().color(backgroundRole());
    const QColor styleFrame = around.darker(140);
    const QColor frame = readableTextColor(QVector<QColor>{around, palette().color(QPalette::Base)}, styleFrame,
                                           visibleFrameContrast);
    if (frame == styleFrame)
        return;
    QPainter painter(this);
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
}

bool editCheckBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *box = qobject_cast<CheckBox *>(element);
    if (!box || row != QLatin1String("Label"))
        return false;
    box->setText(value);
    writes->append({QStringLiteral("label"), value});
    return true;
}

QString CheckBox::lockEntryLabel(const QString &key, int position) const
{
    Q_UNUSED(key)
    return position == 0 ? QStringLiteral("on") : QStringLiteral("off");
}

QList<TestInputLine> CheckBox::testInputLines() const
{
    return {{TestInputLine::Set, 0, 2}};
}
