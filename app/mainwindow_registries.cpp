// MainWindow: the panel header values, the element registries and the
// look-ups by define and name.
#include "mainwindow.h"

#include "activeelement.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "dataclass.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "hexspinbox.h"
#include "mathlabel.h"
#include "numberliteral.h"
#include "registermodel.h"
#include "slider.h"
#include "spinbox.h"
#include "tabwidget.h"
#include "treewidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

// ---------------------------------------------------------------------------
// Panel header values

void MainWindow::setXMLFile(const QString &path)
{
    xmlFile = path;
    if (!fileLabel)
        return;
    QString text = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!xmlVersion.isEmpty())
        text += QStringLiteral(" - ") + xmlVersion;
    fileLabel->setText(text);
}

void MainWindow::setDisclaimerFile(const QString &name)
{
    disclaimerFile = name;
    hasOwnDisclaimer = true;
}

void MainWindow::setForumToolTip(const QString &text)
{
    forumToolTip = text;
    if (forumButton)
        forumButton->setToolTip(text.isEmpty() ? tr("Forum") : text);
}

void MainWindow::setCurrentFile(const QString &file)
{
    setWorkingDir(QFileInfo(file).absolutePath());
    projectFile = file;
    setWindowTitle(QStringLiteral("Quillmate ") + QDir::toNativeSeparators(file) + QStringLiteral("[*]"));
    setWindowModified(false);
}

// One part of a firmware version: "*" stands for the whole range, a missing
// part counts as "*" too, anything else is a number clamped to 255.
static quint16 versionPart(const QStringList &parts, int index, quint16 wildcard)
{
    if (index >= parts.size() || parts.at(index).trimmed() == QLatin1String("*"))
        return wildcard;
    bool ok = false;
    const uint value = parts.at(index).trimmed().toUInt(&ok, 10);
    return ok ? quint16(qMin(value, 255u)) : 0;
}

void MainWindow::setFWVersionRange(const QString &minText, const QString &maxText)
{
    const QStringList minParts = minText.split(QLatin1Char('.'));
    const QStringList maxParts = maxText.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        fwVersionMin[i] = versionPart(minParts, i, 0);
        fwVersionMax[i] = versionPart(maxParts, i, 255);
    }
}

static QString versionText(const quint16 parts[3])
{
    return QStringLiteral("%1.%2.%3").arg(parts[0]).arg(parts[1]).arg(parts[2]);
}

void MainWindow::getFWVersionRange(QString &min, QString &max) const
{
    min = versionText(fwVersionMin);
    max = versionText(fwVersionMax);
}

QString MainWindow::getFWVersionRangeText() const
{
    return QStringLiteral("V.%1..V.%2").arg(versionText(fwVersionMin), versionText(fwVersionMax));
}

QString MainWindow::getXMLFileName() const
{
    return QFileInfo(xmlFile).fileName();
}

QString MainWindow::getCurrentFileName() const
{
    return QFileInfo(projectFile).fileName();
}

// ---------------------------------------------------------------------------
// Registration

template <typename T>
static void appendUnder(QHash<QString, QList<T *>> &table, const QString &key, T *item)
{
    table[key].append(item);
}

void MainWindow::addCurve(const QString &define, QwtPlotCurve *curve) { appendUnder(curvesByData, define, curve); }
void MainWindow::addDial(const QString &define, QwtDial *dial) { appendUnder(dialsByData, define, dial); }
void MainWindow::addLed(const QString &define, Led *led) { appendUnder(ledsByData, define, led); }
void MainWindow::addLog(const QString &define, LogLabel *log) { appendUnder(logItemsByData, define, log); }
void MainWindow::addSvgImage(const QString &define, Image *image) { appendUnder(imagesByDefine, define, image); }
void MainWindow::addThermo(const QString &define, QwtThermo *thermo) { appendUnder(thermosByData, define, thermo); }

void MainWindow::addMathLabel(const QStringList &defines, MathLabel *label)
{
    if (defines.isEmpty()) {
        appendUnder(mathLabelsByDefine, QStringLiteral("dummy_define"), label);
        return;
    }
    const QString own = label ? label->objectName() : QString();
    for (QString name : defines) {
        stripKeywordSuffix(name, keywordSuffixIndexOf(name));
        if (name == own)
            continue;
        appendUnder(mathLabelsByDefine, name, label);
    }
}

bool MainWindow::addModule(ModuleRecord *&out, const QString &name)
{
    if (moduleTable.contains(name))
        return false;
    out = new ModuleRecord;
    moduleTable.insert(name, out);
    return true;
}

bool MainWindow::addModule(ModuleRecord **out, const QString &name)
{
    ModuleRecord *module = nullptr;
    if (!addModule(module, name))
        return false;
    if (out)
        *out = module;
    return true;
}

void MainWindow::appendElement(ActiveElement *element)
{
    allElements.append(element);
}

void MainWindow::registerElement(const QString &define, ActiveElement *element)
{
    elementsByDefine.insert(define, element);
    allElements.append(element);
}

void MainWindow::setContainer(const QString &name, Container *container) { containersByName.insert(name, container); }
void MainWindow::setDataClass(const QString &name, DataClass *variable) { variablesByName.insert(name, variable); }
void MainWindow::setDial(const QString &name, QWidget *dial) { dialsByName.insert(name, dial); }
void MainWindow::setImage(const QString &name, QWidget *image) { imagesByName.insert(name, image); }
void MainWindow::setLED(const QString &name, Led *led) { ledsByName.insert(name, led); }
void MainWindow::setPlot(const QString &name, QWidget *plot) { plotsByName.insert(name, plot); }
void MainWindow::setPushButton(const QString &name, PushButton *button) { pushButtonsByName.insert(name, button); }
void MainWindow::setTabWidget(const QString &name, TabWidget *tabWidget) { tabWidgetsByName.insert(name, tabWidget); }
void MainWindow::setThermo(const QString &name, QWidget *thermo) { thermosByName.insert(name, thermo); }
void MainWindow::setTimer(const QString &name, TimerLabel *timer) { timersByName.insert(name, timer); }

bool MainWindow::setEnumeratedValue(const QString &define, const QString &text, const QString &value, int key)
{
    ActiveElement *element = getActiveElement(define);
    if (!element)
        return false;
    element->addItem(text, value, key);
    return true;
}

// ---------------------------------------------------------------------------
// Look-ups. None of them adds an entry.

ActiveElement *MainWindow::getActiveElement(const QString &define) const
{
    return elementsByDefine.value(define, nullptr);
}

bool MainWindow::elementExists(const QString &define) const
{
    return elementsByDefine.contains(define);
}

QStringList MainWindow::getData() const
{
    QStringList data;
    for (ActiveElement *element : allElements) {
        data << tr("%1,%2,%3").arg(getObjectName(element), element->value(KeywordValue, 0),
                                   element->elementProperty("header").toString());
    }
    return data;
}

float MainWindow::getValue(const QString &text)
{
    return float(::getValue(text, this));
}

double MainWindow::operandValue(const QString &operand, bool *found)
{
    *found = true;
    if (ActiveElement *element = getActiveElement(operand))
        return element->value(KeywordValue, 0).toDouble();
    if (DataClass *variable = variablesByName.value(operand, nullptr))
        return variable->type == 1 ? double(variable->floatValue()) : double(variable->value());

    // A reference: name, "." and one of the keywords that stand for a number.
    const int keyword = keywordSuffixIndexOf(operand);
    if (keyword <= KeywordDefineValue || keyword == KeywordAddress) {
        QString name = operand;
        stripKeywordSuffix(name, keyword);
        if (ActiveElement *element = getActiveElement(name))
            return element->value(keyword, 0).toDouble();
        if (TabWidget *tabs = tabWidgetsByName.value(name, nullptr))
            return tabs->currentIndex();
    }
    *found = false;
    return 0.0;
}

void MainWindow::reportInvalidFormulaValue(const QString &operand)
{
    ::reportInvalidFormulaValue(operand);
}

double MainWindow::evaluatePostfix(QStringList postfix, const QStringList &numbers,
                                   const QStringList &names, bool *ok)
{
    return ::evaluatePostfix(postfix, numbers, names, this, ok);
}

void MainWindow::logMessage(const QString &html)
{
    ::logMessage(html);
}

ModuleRecord *MainWindow::getModule(const QString &name)
{
    return moduleTable.value(name, nullptr);
}

RegisterRecord *MainWindow::getRegister(const QString &moduleName, const QString &registerName)
{
    ModuleRecord *module = getModule(moduleName);
    return module ? module->getRegister(registerName) : nullptr;
}

static QString withoutBrackets(const QString &part)
{
    const int bracket = part.indexOf(QLatin1Char('['));
    return bracket < 0 ? part : part.left(bracket);
}

QString MainWindow::getModuleName(const QString &path)
{
    return path.section(QLatin1Char('.'), 0, 0);
}

QString MainWindow::getRegisterName(const QString &path)
{
    if (!path.contains(QLatin1Char('.')))
        return QString();
    return withoutBrackets(path.section(QLatin1Char('.'), 1, 1));
}

QString MainWindow::getFieldName(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    return parts.size() == 3 ? withoutBrackets(parts.at(2)) : QString();
}

QString MainWindow::getObjectName(ActiveElement *element)
{
    auto *object = dynamic_cast<QObject *>(element);
    return object ? object->objectName() : QString();
}

bool MainWindow::isEditableElement(QWidget *widget, bool rememberStyle)
{
    const bool editable = qobject_cast<CheckBox *>(widget) || qobject_cast<ComboBox *>(widget)
        || qobject_cast<SpinBox *>(widget) || qobject_cast<HexSpinBox *>(widget)
        || qobject_cast<DoubleSpinBox *>(widget) || qobject_cast<Slider *>(widget)
        || qobject_cast<QPushButton *>(widget) || qobject_cast<QRadioButton *>(widget);
    if (editable && rememberStyle)
        savedStyleSheet = widget->styleSheet();
    return editable;
}

static void setExpandedRecursively(QTreeWidgetItem *item, bool expand)
{
    item->setExpanded(expand);
    for (int i = 0; i < item->childCount(); ++i)
        setExpandedRecursively(item->child(i), expand);
}

void MainWindow::expandOrCollapseBranch(bool expand)
{
    if (auto *tree = qobject_cast<QTreeWidget *>(QApplication::focusWidget())) {
        if (QTreeWidgetItem *item = tree->currentItem()) {
            setExpandedRecursively(item, expand);
            return;
        }
    }
    auto *area = qobject_cast<QScrollArea *>(centralWidget());
    auto *tabs = area ? qobject_cast<TabWidget *>(area->widget()) : nullptr;
    auto *page = tabs ? qobject_cast<TreeWidget *>(tabs->currentWidget()) : nullptr;
    QTreeWidget *tree = page ? page->view() : nullptr;
    if (!tree)
        return;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        setExpandedRecursively(tree->topLevelItem(i), expand);
}

void MainWindow::expandBranch()
{
    expandOrCollapseBranch(true);
}

void MainWindow::collapseBranch()
{
    expandOrCollapseBranch(false);
}

// ---------------------------------------------------------------------------

// Runs an element's change slot of that signature when its class has one;
// false when it has none.
static bool invokeChangeSlot(QObject *object, const QByteArray &signature, QGenericArgument argument)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfSlot(QMetaObject::normalizedSignature(signature.constData()).constData());
    return index >= 0 && meta->method(index).invoke(object, Qt::DirectConnection, argument);
}

// Sets an element's widget with its signals blocked, so that its change path
// runs once, from announceChange, and not a second time from the widget.
template <typename Set>
static void setBlocked(QObject *object, Set set)
{
    const QSignalBlocker blocker(object);
    set();
}

// Runs the element's change slots valueChangedByUser(T) (without argument
// when byUserTakesValue is false) and valueChanged(T), as after a user's
// change. An element class without them announces the change with its
// changedByUser signal, which marks the project modified.
template <typename T>
static void announceChange(QObject *object, const char *typeName, const T &value,
                           bool byUserTakesValue = true)
{
    const QByteArray type(typeName);
    const QGenericArgument argument(typeName, &value);
    const bool byUserRan = byUserTakesValue
        ? invokeChangeSlot(object, "valueChangedByUser(" + type + ")", argument)
        : invokeChangeSlot(object, "valueChangedByUser()", QGenericArgument());
    const bool changedRan = invokeChangeSlot(object, "valueChanged(" + type + ")", argument);
    if (!byUserRan && !changedRan && object->metaObject()->indexOfSignal("changedByUser()") >= 0)
        QMetaObject::invokeMethod(object, "changedByUser", Qt::DirectConnection);
}

bool MainWindow::setElementByDefine(const QString &name, const QString &value)
{
    const int kind = numberLiteralFormat(value);
    if (DataClass *variable = variablesByName.value(name, nullptr)) {
        if (kind == DecimalLiteral || kind == HexLiteral) {
            const QString decimal = parseNumberLiteral(value);
            bool ok = false;
            const qlonglong number = decimal.toLongLong(&ok);
            variable->setValue(ok ? uint(number) : uint(decimal.toULongLong()));
        } else if (kind == FractionLiteral) {
            variable->setFloatValue(value.toFloat());
        } else {
            return false;
        }
        return true;
    }

    ActiveElement *element = getActiveElement(name);
    QObject *object = dynamic_cast<QObject *>(element);
    if (!object) {
        QString script = scriptFile;
        script.replace(QLatin1Char(':'), QLatin1String("$$$COLON$$$"));
        const QString link = QStringLiteral("$xmlopen$%1$-n%2$-c1").arg(script, QString());
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown define: %1 in line %2 "
                                    "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                         .arg(name, QString(), link, QString()));
        return false;
    }

    const int n = value.toInt(); // text that is no number gives 0
    if (auto *box = qobject_cast<CheckBox *>(object)) {
        const bool checked = n == 1;
        setBlocked(box, [&] { box->setChecked(checked); });
        box->valueChangedByUser(checked);
        box->valueChanged(checked ? 1 : 0);
    } else if (auto *button = qobject_cast<QPushButton *>(object)) {
        QMetaObject::invokeMethod(button, "setChecked", Qt::QueuedConnection, Q_ARG(bool, n == 1));
    } else if (auto *box = qobject_cast<QDoubleSpinBox *>(object)) {
        const double number = value.toDouble();
        setBlocked(box, [&] { box->setValue(number); });
        announceChange(box, "double", number);
    } else if (auto *box = qobject_cast<SpinBox *>(object)) {
        setBlocked(box, [&] { box->setValue(n); });
        // The spin box's user path goes on to valueChanged itself.
        box->valueChangedByUser(n);
    } else if (auto *slider = qobject_cast<QAbstractSlider *>(object)) {
        setBlocked(slider, [&] { slider->setValue(n); });
        announceChange(slider, "int", n);
    } else if (object->inherits("Knob")) {
        const double number = n;
        setBlocked(object, [&] {
            QMetaObject::invokeMethod(object, "setValue", Qt::DirectConnection, Q_ARG(double, number));
        });
        announceChange(object, "double", number);
    } else if (auto *combo = qobject_cast<QComboBox *>(object)) {
        if (n >= combo->count()) {
            reportIndexOutOfRange(name, QStringLiteral("setItem"), n, 0, combo->count() - 1);
            return false;
        }
        setBlocked(combo, [&] { combo->setCurrentIndex(n); });
        announceChange(combo, "int", n);
    } else if (auto *group = qobject_cast<QButtonGroup *>(object)) {
        const QList<QAbstractButton *> buttons = group->buttons();
        if (n < 0 || n >= buttons.size()) {
            reportIndexOutOfRange(name, QStringLiteral("setRBItem"), n, 0, buttons.size() - 1);
            return false;
        }
        QAbstractButton *target = group->button(n) ? group->button(n) : buttons.at(n);
        const QPointer<QButtonGroup> alive(group); // an action may close the panel
        target->setChecked(true);
        // A radio group's change slots take the button; the user's path keeps
        // the new value as the stored one, which the project file saves.
        if (auto *radio = qobject_cast<ButtonGroup *>(alive.data()))
            radio->valueChangedByUser(target);
        else if (alive)
            announceChange(group, "int", n);
    } else if (auto *edit = qobject_cast<QLineEdit *>(object)) {
        setBlocked(edit, [&] { edit->setText(value); });
        announceChange(edit, "QString", value);
    } else if (auto *edit = qobject_cast<QTextEdit *>(object)) {
        setBlocked(edit, [&] { edit->setText(value); });
        announceChange(edit, "QString", value, false);
    } else {
        reportInvalidParameter(QStringLiteral("Set"), name);
        return false;
    }
    return true;
}

bool MainWindow::recordElementChange(QObject *sender)
{
    auto *element = dynamic_cast<ActiveElement *>(sender);
    if (!element)
        return true;
    // A timer ticking is no change of the project.
    if (element->value(KeywordTypeInfo, 0) == QLatin1String("TimerLabel"))
        return false;
    const int index = allElements.indexOf(element);
    if (index >= 0) {
        allElements.move(index, allElements.size() - 1);
        changedHeaders.insert(element->elementProperty("header").toString(), true);
    }
    return true;
}
