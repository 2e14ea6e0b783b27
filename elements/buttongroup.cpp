#include "buttongroup.h"

#include "errorreporter.h"

#include <QAbstractButton>

ButtonGroup::ButtonGroup(const QString &name, QObject *parent)
    : QButtonGroup(parent)
{
    setObjectName(name);
    connect(this, &QButtonGroup::idClicked, this, [this] { emit changedByUser(); });
    connect(this, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit updateMathLabels();
    });
}

void ButtonGroup::addRadioButton(QAbstractButton *button, const QString &label, const QString &value)
{
    const int id = buttons().size();
    button->setProperty("userData", value.isEmpty() ? QString::number(id) : value);
    addButton(button, id);
    if (!label.isEmpty()) {
        m_buttonsByLabel.insert(label, button);
        m_labels.insert(button, label);
    }
}

void ButtonGroup::setValue(const QString &text, int keyword)
{
    QAbstractButton *target = nullptr;
    if (keyword == KeywordLabel) {
        target = buttonForLabel(text);
    } else if (keyword == KeywordIndex) {
        bool ok = false;
        const int id = text.toInt(&ok);
        target = ok ? button(id) : nullptr;
    } else {
        const QList<QAbstractButton *> all = buttons();
        for (QAbstractButton *candidate : all) {
            if (candidate->property("userData").toString() == text) {
                target = candidate;
                break;
            }
        }
    }
    if (!target) {
        reportInvalidSetValue(this, text);
        return;
    }
    target->setChecked(true);
}

void ButtonGroup::loadValue(const QString &text)
{
    m_storedValue = text;
    setValue(text, KeywordValue);
}

QString ButtonGroup::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    if (keyword == KeywordTypeInfo)
        return QStringLiteral("ButtonGroup");
    QAbstractButton *checked = checkedButton();
    if (keyword == KeywordValue)
        return checked ? checked->property("userData").toString() : QString();
    if (keyword == KeywordLabel)
        return checked ? labelOf(checked) : QString();
    if (keyword == KeywordIndex)
        return checked ? QString::number(id(checked)) : QString();
    reportUnsupportedValueKind(this, keyword);
    return QString();
}

void ButtonGroup::setElementProperty(const char *name, const QVariant &value)
{
    setProperty(name, value);
}

QVariant ButtonGroup::elementProperty(const char *name)
{
    return property(name);
}

bool ButtonGroup::acceptsBitRange(int msb, int lsb)
{
    Q_UNUSED(msb)
    Q_UNUSED(lsb)
    return true;
}

void ButtonGroup::enable(bool on)
{
    const QList<QAbstractButton *> all = buttons();
    for (QAbstractButton *button : all)
        button->setEnabled(on);
}
