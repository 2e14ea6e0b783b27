#include "elementconditions.h"

#include "doublespinbox.h"
#include "elementhost.h"
#include "expression.h"
#include "knob.h"
#include "lineedit.h"
#include "slider.h"
#include "spinbox.h"
#include "textedit.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QTabWidget>

#include <algorithm>

// ---------------------------------------------------------------------------
// Tool tips

// "Title: " and one line a name, when the list has any record.
static QString lockSection(const char *title, const QList<LockRecord> &list)
{
    if (list.isEmpty())
        return QString();
    QString text = QLatin1String(title);
    for (const LockRecord &record : list)
        text += QLatin1Char('\n') + record.name;
    return text + QLatin1Char('\n');
}

// A tree on a tab page is named by its tab, a tree branch by its own name;
// other containers have no name worth showing.
static QString containerTitle(Container *container)
{
    if (auto *branch = dynamic_cast<TreeWidgetItem *>(container))
        return branch->name();
    auto *tree = dynamic_cast<TreeWidget *>(container);
    if (!tree || !tree->parentWidget())
        return QString();
    auto *tabs = qobject_cast<QTabWidget *>(tree->parentWidget()->parentWidget());
    return tabs ? tabs->tabText(tabs->indexOf(tree)) : QString();
}

static QString rangeText(QObject *object)
{
    const auto g6 = [](double v) { return QString::number(v, 'g', 6); };
    if (auto *spin = qobject_cast<SpinBox *>(object))
        return QStringLiteral("Range: %1..%2").arg(spin->minimum()).arg(spin->maximum());
    if (auto *spin = qobject_cast<DoubleSpinBox *>(object))
        return QStringLiteral("Range: %1..%2").arg(g6(spin->minimum()), g6(spin->maximum()));
    if (auto *slider = qobject_cast<Slider *>(object))
        return QStringLiteral("Range: %1..%2").arg(slider->minimum()).arg(slider->maximum());
    if (auto *knob = qobject_cast<Knob *>(object))
        return QStringLiteral("Range: %1..%2").arg(g6(knob->lowerBound()), g6(knob->upperBound()));
    return QString();
}

QString buildToolTip(ActiveElement *element, quint32 sections)
{
    auto *object = objectOf(element);
    const auto on = [sections](ToolTipSection bit) { return (sections & bit) != 0; };
    const auto line = [](const QString &text) { return text.isEmpty() ? text : text + QLatin1Char('\n'); };
    QString tip;

    if (on(ToolTipValue) && object)
        tip += object->objectName() + QStringLiteral(" = ") + element->value(KeywordValue, 0);
    const QString svd = on(ToolTipSvd) ? element->elementProperty("svd").toString() : QString();
    if (!svd.isEmpty())
        tip += QStringLiteral(" (%1)").arg(svd);
    tip += QLatin1Char('\n');

    if (on(ToolTipLockedBy))
        tip += lockSection("Locked by: ", element->lockedBy);
    if (on(ToolTipLocking))
        tip += lockSection("Locking: ", element->locking);
    if (on(ToolTipWaitingToLock))
        tip += lockSection("Waiting to lock: ", element->waitingToLock);
    if (on(ToolTipWaitingToBeLockedBy))
        tip += lockSection("Waiting to be locked by: ", element->waitingToBeLockedBy);

    const QString headerFile = element->header();
    if (on(ToolTipHeader) && !headerFile.isEmpty())
        tip += QStringLiteral("Header: ") + headerFile + QLatin1Char('\n');
    const QString defaultText = on(ToolTipDefault) ? element->elementProperty("my_default").toString() : QString();
    if (!defaultText.isEmpty())
        tip += QStringLiteral("Default: ") + defaultText + QLatin1Char('\n');

    if (on(ToolTipEnumeratedValues) && !element->items.isEmpty()) {
        // Listed by key, so the text does not depend on the hash order.
        QList<int> keys = element->items.keys();
        std::sort(keys.begin(), keys.end());
        tip += QStringLiteral("Enumerated Values: ");
        for (int key : qAsConst(keys)) {
            const ElementItem &item = element->items[key];
            tip += QLatin1Char('\n') + item.value + QLatin1Char(' ') + item.text + QLatin1Char(' ')
                + QString::number(item.key);
        }
        tip += QLatin1Char('\n');
    }

    if (on(ToolTipContainers)) {
        QStringList names;
        for (Container *container : qAsConst(element->containerChain)) {
            const QString name = containerTitle(container);
            if (!name.isEmpty())
                names.append(name);
        }
        if (!names.isEmpty())
            tip += QStringLiteral("Containers: ") + names.join(QStringLiteral("->")) + QLatin1Char('\n');
    }

    if (on(ToolTipRange)) {
        QString range = rangeText(object);
        const QString unit = element->elementProperty("unit").toString();
        if (!unit.isEmpty())
            range += QLatin1Char(' ') + unit;
        tip += line(range);
    }
    if (on(ToolTipText))
        tip += line(element->elementProperty("tooltip").toString());
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
    if (!qobject_cast<LineEdit *>(object) && !qobject_cast<TextEdit *>(object))
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
