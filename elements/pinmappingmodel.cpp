#include "pinmappingmodel.h"

#include "activeelement.h"
#include "elementconditions.h"
#include "elementhost.h"
#include "expression.h"
#include "pinmapping.h"
#include "pinmappinghost.h"

#include <QSet>

PinMappingHost::~PinMappingHost() = default;

namespace {

// The panel's operands without the panel's report of unknown names: a pin
// view evaluates its conditions at every paint, and a report there (a message
// box) would come back with every repaint.
class QuietLookup final : public OperandLookup
{
public:
    QuietLookup(OperandLookup *inner, QStringList *unknown) : m_inner(inner), m_unknown(unknown) {}
    double operandValue(const QString &operand, bool *found) override
    {
        if (m_inner)
            return m_inner->operandValue(operand, found);
        *found = false;
        return 0;
    }
    void reportInvalidFormulaValue(const QString &operand) override
    {
        if (m_unknown && !m_unknown->contains(operand))
            m_unknown->append(operand);
    }

private:
    OperandLookup *m_inner;
    QStringList *m_unknown;
};

} // namespace

PinMappingModel::PinMappingModel() = default;
PinMappingModel::~PinMappingModel() = default;

void PinMappingModel::reset()
{
    pinIndexByName.clear();
    entryIndexByFunction.clear();
    pins.clear();
    mapEntries.clear();
    conditions.clear();
    images.clear();
    chipColor = Qt::white;
    backgroundColor = Qt::white;
    detailsPos = {0, 300};
    exportPos = {0, 330};
    toolTipsActivated = true;
}

void PinMappingModel::deleteElement()
{
    delete pinMappingElement.data();
    pinMappingElement = nullptr;
}

bool PinMappingModel::conditionHolds(const QString &condition, PinMappingHost *host, QStringList *unknownNames)
{
    ElementHost *elements = host ? host->elementHost() : nullptr;
    const ParsedFormula formula = parseFormula(condition);
    if (formula.hasString)
        return evaluateCondition(condition, elements);
    if (condition.trimmed().isEmpty())
        return true;
    QuietLookup lookup(host ? host->operandLookup() : nullptr, unknownNames);
    bool ok = true;
    return evaluateFormula(formula, &lookup, &ok) != 0.0;
}

QList<PinMappingModel::ActiveMapping> PinMappingModel::activeMappings(PinMappingHost *host) const
{
    QList<ActiveMapping> result;
    for (int c = 0; c < conditions.size(); ++c) {
        const MapCondEntry &condition = conditions.at(c);
        const auto entry = entryIndexByFunction.constFind(condition.function);
        if (entry == entryIndexByFunction.cend())
            continue;
        const auto pin = pinIndexByName.constFind(mapEntries.at(entry.value()).pinName);
        if (pin == pinIndexByName.cend())
            continue;
        if (!conditionHolds(condition.cond, host))
            continue;
        result.append({c, pin.value(), entry.value()});
    }
    return result;
}

QString PinMappingModel::mapEntryText(int index, PinMappingHost *host) const
{
    if (index < 0 || index >= mapEntries.size())
        return QString();
    const MapEntry &entry = mapEntries.at(index);
    QString text = entry.dispName.isEmpty() ? entry.function : entry.dispName;
    if (!entry.info.isEmpty() && host && host->elementHost()) {
        if (ActiveElement *element = host->elementHost()->getActiveElement(entry.info))
            text += QLatin1Char('/') + element->value(KeywordValue, 0);
    }
    return text;
}

QString PinMappingModel::csvText(PinMappingHost *host)
{
    for (PinEntry &pin : pins)
        pin.exportText.clear();
    for (const ActiveMapping &active : activeMappings(host)) {
        const MapEntry &entry = mapEntries.at(active.entry);
        pins[active.pin].exportText += (entry.dispName.isEmpty() ? entry.function : entry.dispName)
            + QLatin1Char(';');
    }
    QString text;
    for (const PinEntry &pin : qAsConst(pins))
        text += pin.pinName + QLatin1Char(';') + pin.exportText + QLatin1Char('\n');
    return text;
}

QStringList PinMappingModel::conditionNames(const QString &condition)
{
    QString compact = condition;
    compact.remove(QLatin1Char(' '));
    QStringList names;
    tokenizeExpression(compact, nullptr, nullptr, &names, nullptr);
    names.removeDuplicates();
    return names;
}

QString PinMappingModel::conditionElementName(const QString &condition)
{
    const int equals = condition.indexOf(QLatin1String("=="));
    return equals < 0 ? condition : condition.left(equals);
}

QString PinMappingModel::conditionValue(const QString &condition)
{
    const QStringList parts = condition.split(QLatin1String("=="));
    return parts.size() > 1 ? parts.at(1) : QString();
}

QStringList PinMappingModel::checkAgainstPanel(PinMappingHost *host) const
{
    QStringList findings;
    QSet<QString> reported;
    for (const MapCondEntry &condition : conditions) {
        QStringList unknown;
        conditionHolds(condition.cond, host, &unknown);
        for (const QString &name : qAsConst(unknown)) {
            if (reported.contains(name))
                continue;
            reported.insert(name);
            findings << QStringLiteral("The condition \"%1\" names \"%2\", which the panel does not have.")
                            .arg(condition.cond, name);
        }
        if (!entryIndexByFunction.contains(condition.function))
            findings << QStringLiteral("The condition \"%1\" selects the function \"%2\", which no map entry has.")
                            .arg(condition.cond, condition.function);
    }
    QSet<QString> missingPins;
    for (const MapEntry &entry : mapEntries) {
        if (!pinIndexByName.contains(entry.pinName) && !missingPins.contains(entry.pinName)) {
            missingPins.insert(entry.pinName);
            findings << QStringLiteral("The function \"%1\" belongs to the pin \"%2\", which the chip does not have.")
                            .arg(entry.function, entry.pinName);
        }
    }
    return findings;
}
