#include "togglebutton.h"

#include "definevalue.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "kindedits.h"
#include "pushbutton.h"

#include <QColor>
#include <QIcon>

// The keywords of a button's picture and background colour.
static const int imageKeyword = 24;
static const int colorKeyword = 25;

ToggleButton::ToggleButton(const QString &name, const QString &text, QWidget *parent)
    : QPushButton(text, parent)
    , BitElement(this, "ToggleButton")
{
    setObjectName(name);
    setCheckable(true);
    // runScript carries the actions of both states.
}

void ToggleButton::initialize()
{
    // For the connections made elsewhere (a tree branch switched by this
    // button); the button's own actions do not run here, also when a panel
    // reset initialises it again.
    disconnect(this, &QPushButton::toggled, this, &ToggleButton::valueChanged);
    if (host() && host()->resetInProgress())
        emit toggled(isChecked());
    else if (isEnabled() && !isChecked())
        emit toggled(false);
    connect(this, &QPushButton::clicked, this, &ToggleButton::valueChangedByUser, Qt::UniqueConnection);
    connect(this, &QPushButton::toggled, this, &ToggleButton::valueChanged, Qt::UniqueConnection);
    finishInitialize(this);
}

// ---------------------------------------------------------------------------
// Change paths

void ToggleButton::valueChanged(bool checked)
{
    if (!runSendData(checked))
        return;
    markModified();
    updateToolTip();
}

void ToggleButton::valueChangedByUser(bool checked)
{
    PushButton::recordClicked(this, host());
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    m_storedValue = checked != flagProperty("inverted");
}

void ToggleButton::sendData(bool checked)
{
    runSendData(checked);
}

bool ToggleButton::runSendData(bool checked)
{
    Q_UNUSED(checked)
    ElementGuard guard(this, host());
    if (isEnabled()) {
        const bool on = isChecked();
        ActionRules rules;
        rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef"),
                                  QStringLiteral("resetGUI"), QStringLiteral("runScript")};
        rules.eventApplies = [on](const QString &event) { return (event == QLatin1String("checked")) == on; };
        rules.signalEvents.insert(QStringLiteral("runScript"), QStringLiteral("checked"));
        if (!runActions(guard, rules))
            return false;
        // Checked it locks and sends its setDef texts; unchecked it releases.
        if (!sendLockTexts(guard, QStringLiteral("0"), on))
            return false;
        if (on && !emitEach(guard, QStringLiteral("checked_setDef"), textListProperty("default_setdef")))
            return false;
    }
    signalState().raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void ToggleButton::sendLocks(bool on)
{
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive() || (on && !isChecked()))
        return;
    sendLockTexts(guard, QStringLiteral("0"), on);
}

void ToggleButton::emitSendLock(const QString &lock)
{
    signalState().raise(&ElementSignals::sendLock, lock);
}

void ToggleButton::enable(bool on)
{
    enableUnlessLocked(this, on);
}

// ---------------------------------------------------------------------------
// Values

void ToggleButton::setValue(const QString &text, int keyword)
{
    switch (keyword) {
    case KeywordLabel:
        setText(text);
        return;
    case imageKeyword:
        setIconFile(text);
        return;
    case colorKeyword:
        setColor(text);
        return;
    default:
        setBitValue(text, keyword);
    }
}

void ToggleButton::setIconFile(const QString &file)
{
    QString path;
    const QPixmap picture = loadPanelPicture(file, &path, host());
    QIcon icon(picture);
    if (icon.isNull())
        reportCannotOpenFile(path, QStringLiteral("Icon of <button> element couldn't be loaded."));
    else if (elementProperty("nograyout").toUInt() == 1)
        icon.addPixmap(picture, QIcon::Disabled, QIcon::Off);
    setIcon(icon);
}

void ToggleButton::setColor(const QString &text)
{
    bool ok = false;
    const QRgb rgb = text.toUInt(&ok, 10);
    if (!ok) {
        reportInvalidSetValue(this, text);
        return;
    }
    const QColor color(rgb);
    const QString channels = QStringLiteral("%1,%2,%3").arg(color.red()).arg(color.green()).arg(color.blue());
    // Checked and unchecked look the same.
    setStyleSheet(QStringLiteral("QPushButton{background-color: rgb(%1);}"
                                 "QPushButton:checked{background-color: rgb(%1);}")
                      .arg(channels));
}

// A bit value as project files and defaults write it: decimal 0 or 1.

ApplyResult ToggleButton::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        bool checked = false;
        if (!readDefineBit(text, &checked))
            return ApplyResult::refused(ApplyResult::InvalidValue);
        if (beforeChange)
            beforeChange();
        // Checked from the event loop; nothing happens when the button went by then.
        QMetaObject::invokeMethod(this, [this, checked] { setChecked(checked); }, Qt::QueuedConnection);
        return ApplyResult::applied();
    }
    const bool checked = readUserDecimal(text) == 1;
    if (!isEnabled() || isChecked() == checked)
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    // At once, so the next script line sees the new state and what it set off.
    setChecked(checked);
    return ApplyResult::applied();
}

bool editToggleButtonRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *button = qobject_cast<ToggleButton *>(element);
    if (button && row == QLatin1String("Label")) {
        button->setText(value);
        writes->append({QStringLiteral("label"), value});
        return true;
    }
    if (button && row == QLatin1String("File")) {
        button->setValue(value, 24); // the image keyword
        button->setFlat(true);
        button->setElementProperty("icon", value);
        button->setElementProperty("Icon", value);
        writes->append({QStringLiteral("icon"), value});
        return true;
    }
    if (!button || (row != QLatin1String("OnColor") && row != QLatin1String("OffColor")))
        return false;
    QString rgb = value;
    rgb.replace(QLatin1Char(';'), QLatin1Char(','));
    button->setStyleSheet(row == QLatin1String("OnColor")
                              ? QStringLiteral("QPushButton:checked{background-color: rgb(%1);border-style: inset;"
                                               "border-width: 1px;border-color: black;}")
                                    .arg(rgb)
                              : QStringLiteral("QPushButton{background-color: rgb(%1);}").arg(rgb));
    setElementPropertyOf(button, row.toLatin1().constData(), rgb);
    return true;
}

void listToggleButtonRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<ToggleButton *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
    rows->append(attributeRow(e, "OnColor", "OnColor"));
    rows->append(attributeRow(e, "OffColor", "OffColor"));
}

QList<TestInputLine> ToggleButton::testInputLines() const
{
    return {{TestInputLine::Click, 0, 0}};
}

bool ToggleButton::clickAsUser()
{
    if (isEnabled())
        click();
    return true;
}
