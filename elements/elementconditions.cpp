#include "elementconditions.h"

#include "activeelement.h"
#include "elementhost.h"
#include "elementkinds.h"
#include "expression.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QTabWidget>

#include <algorithm>

// ---------------------------------------------------------------------------
// Tool tips

// "Title: " and one line a name, when the list has any record.
static void appendLockSection(QString &tip, const char *title, const QList<LockRecord> &list)
{
    if (list.isEmpty())
        return;
    tip += QLatin1String(title);
    for (const LockRecord &record : list) {
        tip += QLatin1Char('\n');
        tip += record.name;
    }
    tip += QLatin1Char('\n');
}

// Built for every value element of a panel at each open and after each
// change: appended in place, without the temporaries of chained "+".
QString buildToolTip(ActiveElement *element, quint32 sections)
{
    auto *object = objectOf(element);
    const auto on = [sections](ToolTipSection bit) { return (sections & bit) != 0; };
    const auto appendLine = [](QString &tip, const QString &text) {
        if (!text.isEmpty()) {
            tip += text;
            tip += QLatin1Char('\n');
        }
    };
    QString tip;
    tip.reserve(128);

    if (on(ToolTipValue) && object) {
        tip += object->objectName();
        tip += QLatin1String(" = ");
        tip += element->value(KeywordValue, 0);
    }
    const QString svd = on(ToolTipSvd) ? element->elementProperty("svd").toString() : QString();
    if (!svd.isEmpty()) {
        tip += QLatin1String(" (");
        tip += svd;
        tip += QLatin1Char(')');
    }
    tip += QLatin1Char('\n');

    if (on(ToolTipLockedBy))
        appendLockSection(tip, "Locked by: ", element->lockedBy);
    if (on(ToolTipLocking))
        appendLockSection(tip, "Locking: ", element->locking);
    if (on(ToolTipWaitingToLock))
        appendLockSection(tip, "Waiting to lock: ", element->waitingToLock);
    if (on(ToolTipWaitingToBeLockedBy))
        appendLockSection(tip, "Waiting to be locked by: ", element->waitingToBeLockedBy);

    if (on(ToolTipHeader)) {
        const QString headerFile = element->header();
        if (!headerFile.isEmpty()) {
            tip += QLatin1String("Header: ");
            appendLine(tip, headerFile);
        }
    }
    const QString defaultText = on(ToolTipDefault) ? element->elementProperty("my_default").toString() : QString();
    if (!defaultText.isEmpty()) {
        tip += QLatin1String("Default: ");
        appendLine(tip, defaultText);
    }

    if (on(ToolTipEnumeratedValues) && !element->items.isEmpty()) {
        // Listed by key, so the text does not depend on the hash order.
        QList<int> keys = element->items.keys();
        std::sort(keys.begin(), keys.end());
        tip += QLatin1String("Enumerated Values: ");
        for (int key : qAsConst(keys)) {
            const ElementItem &item = element->items[key];
            tip += QLatin1Char('\n');
            tip += item.value;
            tip += QLatin1Char(' ');
            tip += item.text;
            tip += QLatin1Char(' ');
            tip += QString::number(item.key);
        }
        tip += QLatin1Char('\n');
    }

    if (on(ToolTipContainers)) {
        QStringList names;
        for (Container *container : qAsConst(element->containerChain)) {
            const QString name = container->toolTipTitle();
            if (!name.isEmpty())
                names.append(name);
        }
        if (!names.isEmpty()) {
            tip += QLatin1String("Containers: ");
            appendLine(tip, names.join(QStringLiteral("->")));
        }
    }

    if (on(ToolTipRange)) {
        QString range = element->rangeToolTip();
        const QString unit = element->elementProperty("unit").toString();
        if (!unit.isEmpty()) {
            range += QLatin1Char(' ');
            range += unit;
        }
        appendLine(tip, range);
    }
    if (on(ToolTipText))
        appendLine(tip, element->elementProperty("tooltip").toString());
    return tip;
}

// ---------------------------------------------------------------------------
// Conditions

bool evaluateCondition(const QString &condition, ElementHost *host)
{
    if (condition.isEmpty())
        return true;
    const ParsedFormula formula = parseFormula(condition);
    if (!formula.hasString) {
        bool ok = true;
        const double result = host
            ? host->evaluatePostfix(formula.postfix, formula.numbers, formula.names, &ok)
            : evaluatePostfix(formula.postfix, formula.numbers, formula.names, nullptr, &ok);
        return result != 0.0;
    }

    // A text comparison: [element name, text, operator].
    if (formula.postfix.size() != 3 || !host)
        return false;
    ActiveElement *element = host->getActiveElement(formula.postfix.at(0));
    auto *object = objectOf(element);
    if (!holdsText(object))
        return false;
    QString text = formula.postfix.at(1);
    text.remove(QLatin1Char('"'));
    const bool equal = element->value(KeywordValue, 1) == text;
    const QString &op = formula.postfix.at(2);
    if (op == QLatin1String("=="))
        return equal;
    if (op == QLatin1String("!="))
        return !equal;
    return false;
}
