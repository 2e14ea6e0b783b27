#include "activeelement.h"

#include "doublespinbox.h"
#include "expression.h"
#include "knob.h"
#include "lineedit.h"
#include "mainwindow.h"
#include "slider.h"
#include "spinbox.h"
#include "textedit.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QTabWidget>

#include <algorithm>

quint32 toolTipSections = 0xffff;

ActiveElement::~ActiveElement() = default;

void ActiveElement::addItem(const QString &text, const QString &value, int key)
{
    items.insert(key, ElementItem{text, value, key});
}

const QStringList elementKeywords = {
    QStringLiteral("value"),      QStringLiteral("label"),     QStringLiteral("index"),
    QStringLiteral("definevalue"), QStringLiteral("typeinfo"), QStringLiteral("interval"),
    QStringLiteral("run"),        QStringLiteral("register"),  QStringLiteral("module"),
    QStringLiteral("registername"), QStringLiteral("address"), QStringLiteral("column"),
    QStringLiteral("row"),        QStringLiteral("insertmode"), QStringLiteral("singlestep"),
    QStringLiteral("func"),       QStringLiteral("sendloop"),  QStringLiteral("delete"),
    QStringLiteral("deleteall"),  QStringLiteral("sendusb"),   QStringLiteral("load"),
    QStringLiteral("loadat"),     QStringLiteral("save"),      QStringLiteral("export"),
    QStringLiteral("image"),      QStringLiteral("color"),     QStringLiteral("visible"),
    QStringLiteral("enabled"),    QStringLiteral("x"),         QStringLiteral("y"),
    QStringLiteral("min"),        QStringLiteral("max"),       QStringLiteral("textcolor"),
    QStringLiteral("update"),
};

int keywordIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        const QString &word = elementKeywords.at(k);
        if (text.startsWith(word) && text.midRef(word.size()).startsWith(QLatin1Char('=')))
            return k;
    }
    return 0;
}

QString &stripKeyword(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(elementKeywords.at(keyword) + QLatin1Char('='));
    return text;
}

int keywordSuffixIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        if (text.endsWith(QLatin1Char('.') + elementKeywords.at(k)))
            return k;
    }
    return 0;
}

QString &stripKeywordSuffix(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(QLatin1Char('.') + elementKeywords.at(keyword));
    return text;
}

// ---------------------------------------------------------------------------
// Lock lists

static int indexOfName(const QList<LockRecord> &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).name == name)
            return i;
    }
    return -1;
}

static void removeAllNamed(QList<LockRecord> &list, const QString &name)
{
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&name](const LockRecord &record) { return record.name == name; }),
               list.end());
}

static QStringList namesOf(const QList<LockRecord> &list)
{
    QStringList names;
    names.reserve(list.size());
    for (const LockRecord &record : list)
        names.append(record.name);
    return names;
}

void ActiveElement::addLock(const QString &name, const QString &value, int kind)
{
    const bool first = lockedBy.isEmpty();
    lockedBy.append(LockRecord{name, value, kind});
    if (!first)
        return;
    // The lock in force sets the value first; only then are enable requests ignored.
    setValue(value, kind);
    enable(false);
    locked = true;
}

void ActiveElement::addLocking(const QString &name, const QString &value, int kind)
{
    locking.append(LockRecord{name, value, kind});
}

void ActiveElement::addWaitingToLock(const QString &name, const QString &value, int kind)
{
    waitingToLock.append(LockRecord{name, value, kind});
}

void ActiveElement::addWaitingToBeLockedBy(const QString &name, const QString &value)
{
    waitingToBeLockedBy.append(LockRecord{name, value, 0});
}

void ActiveElement::removeLock(const QString &name)
{
    removeAllNamed(lockedBy, name);
    if (!lockedBy.isEmpty())
        return;
    locked = false;
    // An element inside a switched-off tree branch stays disabled.
    if (!disabledByBranch)
        enable(true);
    reapplyStoredValue();
}

bool ActiveElement::removeLocking(const QString &name)
{
    const int index = indexOfName(locking, name);
    if (index < 0)
        return false;
    locking.removeAt(index);
    return true;
}

void ActiveElement::removeWaitingToLock(const QString &name)
{
    removeAllNamed(waitingToLock, name);
}

void ActiveElement::removeWaitingToBeLockedBy(const QString &name)
{
    removeAllNamed(waitingToBeLockedBy, name);
}

LockRecord ActiveElement::takeFirstWaitingToBeLockedBy()
{
    return waitingToBeLockedBy.isEmpty() ? LockRecord() : waitingToBeLockedBy.takeFirst();
}

QList<LockRecord> ActiveElement::takeWaitingToBeLockedByValue(const QString &value)
{
    QList<LockRecord> taken;
    QList<LockRecord> kept;
    for (const LockRecord &record : qAsConst(waitingToBeLockedBy))
        (record.value == value ? taken : kept).append(record);
    waitingToBeLockedBy = kept;
    return taken;
}

LockRecord ActiveElement::takeWaitingToLock(const QString &name)
{
    const int index = indexOfName(waitingToLock, name);
    return index < 0 ? LockRecord() : waitingToLock.takeAt(index);
}

bool ActiveElement::isLockedBy(const QString &name) const
{
    return indexOfName(lockedBy, name) >= 0;
}

bool ActiveElement::isLockedToOtherValue(const QString &value) const
{
    return !lockedBy.isEmpty() && lockedBy.first().value != value;
}

QStringList ActiveElement::lockedByNames() const
{
    return namesOf(lockedBy);
}

QStringList ActiveElement::lockingNames() const
{
    return namesOf(locking);
}

void ActiveElement::clearLocks()
{
    locked = false;
    lockedBy.clear();
    locking.clear();
    waitingToLock.clear();
    waitingToBeLockedBy.clear();
    disabledByBranch = false;
}

// ---------------------------------------------------------------------------
// Tool tip

QString ActiveElement::header()
{
    return elementProperty("header").toString();
}

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

QString ActiveElement::buildToolTip()
{
    auto *object = dynamic_cast<QObject *>(this);
    const quint32 sections = toolTipSections;
    const auto on = [sections](ToolTipSection bit) { return (sections & bit) != 0; };
    const auto line = [](const QString &text) { return text.isEmpty() ? text : text + QLatin1Char('\n'); };
    QString tip;

    if (on(ToolTipValue) && object)
        tip += object->objectName() + QStringLiteral(" = ") + value(KeywordValue, 0);
    const QString svd = elementProperty("svd").toString();
    if (on(ToolTipSvd) && !svd.isEmpty())
        tip += QStringLiteral(" (%1)").arg(svd);
    tip += QLatin1Char('\n');

    if (on(ToolTipLockedBy))
        tip += lockSection("Locked by: ", lockedBy);
    if (on(ToolTipLocking))
        tip += lockSection("Locking: ", locking);
    if (on(ToolTipWaitingToLock))
        tip += lockSection("Waiting to lock: ", waitingToLock);
    if (on(ToolTipWaitingToBeLockedBy))
        tip += lockSection("Waiting to be locked by: ", waitingToBeLockedBy);

    const QString headerFile = header();
    if (on(ToolTipHeader) && !headerFile.isEmpty())
        tip += QStringLiteral("Header: ") + headerFile + QLatin1Char('\n');
    const QString defaultText = elementProperty("my_default").toString();
    if (on(ToolTipDefault) && !defaultText.isEmpty())
        tip += QStringLiteral("Default: ") + defaultText + QLatin1Char('\n');

    if (on(ToolTipEnumeratedValues) && !items.isEmpty()) {
        // Listed by key, so the text does not depend on the hash order.
        QList<int> keys = items.keys();
        std::sort(keys.begin(), keys.end());
        tip += QStringLiteral("Enumerated Values: ");
        for (int key : qAsConst(keys)) {
            const ElementItem &item = items[key];
            tip += QLatin1Char('\n') + item.value + QLatin1Char(' ') + item.text + QLatin1Char(' ')
                + QString::number(item.key);
        }
        tip += QLatin1Char('\n');
    }

    if (on(ToolTipContainers)) {
        QStringList names;
        for (Container *container : qAsConst(containerChain)) {
            const QString name = containerTitle(container);
            if (!name.isEmpty())
                names.append(name);
        }
        if (!names.isEmpty())
            tip += QStringLiteral("Containers: ") + names.join(QStringLiteral("->")) + QLatin1Char('\n');
    }

    if (on(ToolTipRange)) {
        QString range = rangeText(object);
        const QString unit = elementProperty("unit").toString();
        if (!unit.isEmpty())
            range += QLatin1Char(' ') + unit;
        tip += line(range);
    }
    if (on(ToolTipText))
        tip += line(elementProperty("tooltip").toString());
    return tip;
}

// ---------------------------------------------------------------------------
// Conditions

bool evaluateCondition(const QString &condition)
{
    if (condition.isEmpty())
        return true;
    const ParsedFormula formula = parseFormula(condition);
    if (!formula.hasString) {
        bool ok = true;
        const double result = theMainWindow
            ? theMainWindow->evaluatePostfix(formula.postfix, formula.numbers, formula.names, &ok)
            : evaluatePostfix(formula.postfix, formula.numbers, formula.names, nullptr, &ok);
        return result != 0.0;
    }

    // A text comparison: [element name, text, operator].
    if (formula.postfix.size() != 3 || !theMainWindow)
        return false;
    ActiveElement *element = theMainWindow->getActiveElement(formula.postfix.at(0));
    auto *object = dynamic_cast<QObject *>(element);
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
