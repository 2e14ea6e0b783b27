#include "checkbox.h"

#include "errorreporter.h"

CheckBox::CheckBox(const QString &name, const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
    , ValueElement(this)
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
    ElementGuard guard(this);
    emit changedByUser();
    if (!guard.alive())
        return;
    storedValue = checked != flagProperty("inverted");
}

void CheckBox::sendData(bool checked)
{
    runSendData(checked);
}

bool CheckBox::runSendData(bool checked)
{
    ElementGuard guard(this);
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
    emit updateMathLabels();
    return guard.alive();
}

void CheckBox::sendLocks(bool on)
{
    ElementGuard guard(this);
    emit changedByUser();
    if (!guard.alive())
        return;
    // Nothing to lock in the non-locking state.
    if (on && isChecked() == flagProperty("lockinverted"))
        return;
    sendLockTexts(guard, QStringLiteral("0"), on);
}

void CheckBox::emitSendLock(const QString &lock)
{
    emit sendLock(lock);
}

void CheckBox::applyLocks()
{
    if (isEnabled())
        sendLocks(true);
}

void CheckBox::enable(bool on)
{
    enableUnlessLocked(this, on);
}

// ---------------------------------------------------------------------------
// Values

QString CheckBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return currentValue() ? QStringLiteral("1") : QStringLiteral("0");
    case KeywordDefineValue:
        return QString::number(defineValueOf(currentValue() ? 1 : 0, lsb()));
    case KeywordTypeInfo:
        return QStringLiteral("CheckBox");
    default:
        return unsupportedKeyword(keyword);
    }
}

void CheckBox::setValue(const QString &text, int keyword)
{
    const QString valueText = resolveReference(text);
    bool ok = false;
    quint32 v = 0;
    if (keyword == KeywordValue) {
        v = quint32(valueText.toInt(&ok, 10));
    } else if (keyword == KeywordDefineValue) {
        v = quint32(fieldValueOf(valueText.toULongLong(&ok, 10), lsb()));
    }
    if (!ok || v > 1) {
        reportInvalidSetValue(this, valueText);
        return;
    }
    // Not blocked: the program's change path runs the actions.
    setChecked(checkStateFor(v != 0));
}

void CheckBox::loadValue(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || quint32(v) > 1) {
        reportInvalidLoadValue(this, text);
        return;
    }
    {
        const QSignalBlocker blocker(this);
        setChecked(checkStateFor(v != 0));
    }
    storedValue = v != 0;
}

void CheckBox::resetToDefault()
{
    const QString text = elementProperty("my_default").toString();
    if (text.isEmpty()) {
        storedValue = false;
    } else {
        bool ok = false;
        const int v = text.toInt(&ok, 10);
        if (!ok || quint32(v) > 1) {
            reportInvalidSetValue(this, text);
            return;
        }
        storedValue = v != 0;
    }
    const QSignalBlocker blocker(this);
    setChecked(checkStateFor(storedValue));
}

void CheckBox::reapplyStoredValue()
{
    setChecked(checkStateFor(storedValue));
}

QString CheckBox::storedValueText()
{
    return storedValue ? QStringLiteral("1") : QStringLiteral("0");
}

bool CheckBox::acceptsBitRange(int msb, int lsb)
{
    // At most one bit; -1, -1 (a whole define) counts as one.
    const int width = msb - lsb + 1;
    return width == 0 || width == 1;
}
