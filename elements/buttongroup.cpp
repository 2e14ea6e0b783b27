#include "buttongroup.h"

#include "definevalue.h"
#include "elementconditions.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "numberliteral.h"

#include <QAbstractButton>
#include <QPointer>

#include <climits>

ButtonGroup::ButtonGroup(const QString &name, QObject *parent)
    : QButtonGroup(parent)
    , ValueElement(this)
{
    setObjectName(name);
}

void ButtonGroup::addRadioButton(QAbstractButton *button, const QString &label, const QString &value)
{
    const int id = buttons().size();
    button->setProperty("userData", value.isEmpty() ? QString::number(id) : value);
    addButton(button, id);
    if (!label.isEmpty()) {
        m_labelsByButton.insert(button, label);
        m_buttonsByLabel.insert(label, button);
    }
    button->setObjectName(objectName() + label);
}

void ButtonGroup::initialize()
{
    // Connections on toggled see the unchecked state at start too.
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *button : all) {
        if (button->isEnabled() && !button->isChecked())
            emit button->toggled(false);
    }
    connect(this, &QButtonGroup::buttonClicked, this, &ButtonGroup::valueChangedByUser, Qt::UniqueConnection);
    connect(this, &QButtonGroup::buttonToggled, this, &ButtonGroup::valueChanged, Qt::UniqueConnection);
    finishInitialize(nullptr);
    for (QAbstractButton *button : all)
        installConfirmation(button);
}

// ---------------------------------------------------------------------------
// Buttons, values and labels

QString ButtonGroup::buttonValue(int index) const
{
    QAbstractButton *target = isButtonIndex(index) ? button(index) : nullptr;
    return target ? parseNumberLiteral(target->property("userData").toString()) : QString();
}

QString ButtonGroup::labelOf(QAbstractButton *button) const
{
    return m_labelsByButton.value(button, button ? button->text() : QString());
}

QString ButtonGroup::buttonLabel(int index) const
{
    QAbstractButton *target = isButtonIndex(index) ? button(index) : nullptr;
    return target ? labelOf(target) : QString();
}

int ButtonGroup::indexOfUserData(const QString &value) const
{
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *candidate : all) {
        const QString userData = candidate->property("userData").toString();
        if (userData == value || (isHexLiteral(userData) && parseNumberLiteral(userData) == value))
            return id(candidate);
    }
    return -1;
}

int ButtonGroup::indexOfLabel(const QString &label) const
{
    // A lookup only: an unknown label adds nothing to the table.
    if (QAbstractButton *labelled = m_buttonsByLabel.value(label))
        return id(labelled);
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *candidate : all) {
        if (candidate->text() == label)
            return id(candidate);
    }
    return -1;
}

int ButtonGroup::indexFromText(const QString &text, int keyword)
{
    const QString valueText = resolveReference(text);
    switch (keyword) {
    case KeywordValue:
        return indexOfUserData(parseNumberLiteral(valueText));
    case KeywordLabel:
        return indexOfLabel(valueText);
    case KeywordIndex:
        return indexFromLiteral(valueText, buttons().size());
    default:
        return -1;
    }
}

// ---------------------------------------------------------------------------
// Change paths

void ButtonGroup::valueChanged(QAbstractButton *button)
{
    if (!button || !button->isChecked())
        return;
    const int index = id(button);
    if (!runSendData(index))
        return;
    currentIndex = index;
    markModified();
    updateToolTip();
}

void ButtonGroup::valueChangedByUser(QAbstractButton *button)
{
    if (!button)
        return;
    // The button, not the group, has the focus.
    userChoice(button, id(button), &m_storedIndex);
}

void ButtonGroup::sendData(int index)
{
    runSendData(index);
}

bool ButtonGroup::runSendData(int index)
{
    ElementGuard guard(this, host());
    if (enabled && isButtonIndex(index) && isButtonIndex(currentIndex)) {
        // The group has no receive signal of its own for the old button's sends.
        if (!runChoiceWalk(guard, QString::number(index), QString::number(currentIndex),
                           {QStringLiteral("sendUSB"), QStringLiteral("setDef")},
                           {{QStringLiteral("recData"), QStringLiteral("selected")}}))
            return false;
    }
    signalState().raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void ButtonGroup::sendLocks(bool on, QAbstractButton *button)
{
    if (!button)
        return;
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    // An unchecked button has nothing to lock.
    if (on && !button->isChecked())
        return;
    sendLockTexts(guard, QString::number(id(button)), on);
}

void ButtonGroup::emitSendLock(const QString &lock)
{
    signalState().raise(&ElementSignals::sendLock, lock);
}

void ButtonGroup::applyLocks()
{
    if (enabled)
        sendLocks(true, checkedButton());
}

void ButtonGroup::enable(bool on)
{
    enabled = on;
    if (locked)
        return;
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *button : all)
        button->setEnabled(on);
}

void ButtonGroup::updateToolTip()
{
    const QString tip = buildToolTip(this, host() ? host()->toolTipSections() : 0xffff);
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *button : all)
        button->setToolTip(tip);
}

// ---------------------------------------------------------------------------
// Values

QString ButtonGroup::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return buttonValue(checkedId());
    case KeywordLabel:
        return checkedButton() ? labelOf(checkedButton()) : QString();
    case KeywordIndex:
        return QString::number(checkedId());
    case KeywordDefineValue:
        return defineValueText(buttonValue(checkedId()), lsb());
    case KeywordTypeInfo:
        return QStringLiteral("ButtonGroup");
    default:
        return unsupportedKeyword(keyword);
    }
}

void ButtonGroup::setValue(const QString &text, int keyword)
{
    const int index = indexFromText(text, keyword);
    QAbstractButton *target = index >= 0 ? button(index) : nullptr;
    if (!target) {
        reportInvalidSetValue(this, text);
        return;
    }
    // Not blocked: the program's change path runs the actions.
    target->setChecked(true);
}

void ButtonGroup::loadValue(const QString &text)
{
    int index = indexOfUserData(text);
    if (index < 0) {
        bool ok = false;
        index = text.toInt(&ok, 10);
        if (!ok || !isButtonIndex(index))
            index = -1;
    }
    QAbstractButton *target = index >= 0 ? button(index) : nullptr;
    if (!target) {
        reportInvalidLoadValue(this, text);
        return;
    }
    {
        const QSignalBlocker groupBlocker(this);
        const QSignalBlocker buttonBlocker(target);
        target->setChecked(true);
    }
    m_storedIndex = currentIndex = index;
}

void ButtonGroup::resetToDefault()
{
    QString text = elementProperty("my_default").toString();
    if (text.isEmpty()) {
        m_storedIndex = 0;
    } else {
        const int keyword = keywordIndexOf(text);
        stripKeyword(text, keyword);
        m_storedIndex = indexFromText(text, keyword);
        if (m_storedIndex < 0) {
            reportInvalidSetValue(this, text);
            return;
        }
    }
    if (QAbstractButton *target = isButtonIndex(m_storedIndex) ? button(m_storedIndex) : nullptr) {
        // The group reports a checked button whatever the button's own
        // blocking: a reset runs no actions, so both are blocked.
        const QSignalBlocker groupBlocker(this);
        const QSignalBlocker buttonBlocker(target);
        target->setChecked(true);
    }
    currentIndex = m_storedIndex;
}

void ButtonGroup::reapplyStoredValue()
{
    QAbstractButton *target = isButtonIndex(m_storedIndex) ? button(m_storedIndex) : nullptr;
    if (!target)
        return;
    ElementGuard guard(this, host());
    target->setChecked(true);
    if (guard.alive())
        sendLocks(target->isChecked(), target);
}

QString ButtonGroup::storedValueText()
{
    return buttonValue(m_storedIndex);
}

bool ButtonGroup::acceptsBitRange(int msb, int lsb)
{
    // A radio group holds a field of any width.
    Q_UNUSED(msb)
    Q_UNUSED(lsb)
    return true;
}

ApplyResult ButtonGroup::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    const QList<QAbstractButton *> all = buttons();
    if (rule == ApplyRule::Define) {
        qint64 number = 0;
        if (!readDefineInteger(text, &number) || number < INT_MIN || number > INT_MAX)
            return ApplyResult::refused(ApplyResult::InvalidValue);
        const int n = int(number);
        if (n < 0 || n >= all.size())
            return ApplyResult::outOfRange(n, all.size() - 1, "setRBItem");
        if (beforeChange)
            beforeChange();
        QAbstractButton *target = button(n) ? button(n) : all.at(n);
        const QPointer<ButtonGroup> alive(this); // an action may close the panel
        target->setChecked(true);
        // A radio group's change slots take the button; the user's path keeps
        // the new value as the stored one, which the project file saves.
        if (alive)
            valueChangedByUser(target);
        return ApplyResult::applied();
    }
    const int index = readUserDecimal(text);
    QAbstractButton *target = index >= 0 && index < all.size() ? button(index) : nullptr;
    if (!target)
        return ApplyResult::outOfRange(index, all.size() - 1, "setRBItem");
    if (!target->isEnabled())
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    const bool wasChecked = target->isChecked();
    target->setChecked(true);
    if (wasChecked)
        valueChanged(target);
    valueChangedByUser(target);
    return ApplyResult::applied();
}

bool ButtonGroup::acceptsLockValue(const QString &value, bool labelLock) const
{
    return (labelLock ? indexOfLabel(value) : indexOfUserData(value)) >= 0;
}

QString ButtonGroup::lockEntryLabel(const QString &key, int position) const
{
    Q_UNUSED(position)
    return buttonLabel(int(key.toUInt()));
}

QList<QObject *> ButtonGroup::colouredObjects() const
{
    QList<QObject *> objects;
    for (QAbstractButton *button : buttons())
        objects.append(button);
    return objects;
}

QList<TestInputLine> ButtonGroup::testInputLines() const
{
    return {{TestInputLine::Set, 0, double(buttons().size())}};
}

ButtonGroup *radioGroupOf(const QAbstractButton *button)
{
    return button ? qobject_cast<ButtonGroup *>(button->group()) : nullptr;
}
