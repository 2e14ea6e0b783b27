// Panel: the panel header values, the element registries and the
// look-ups by define and name, formulas, and what elements ask of their host.
#include "quillpanel.h"

#include "activeelement.h"
#include "apppaths.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "image.h"
#include "led.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "panellocks.h"
#include "panelscripthost.h"
#include "panelshell.h"
#include "paneltablehost.h"
#include "pollentries.h"
#include "pushbutton.h"
#include "registermodel.h"
#include "tabwidget.h"
#include "timerlabel.h"

#include <QFileInfo>
#include <QTimerEvent>

PanelShell::~PanelShell() = default;

Panel::Panel(PanelShell *shell, QObject *parent)
    : QObject(parent)
    , m_shell(shell)
    , m_tableHost(std::make_unique<PanelTableHost>(*this))
    , m_scriptHost(std::make_unique<PanelScriptHost>(*this))
    , m_wiring(std::make_unique<PanelWiring>(*this))
    , m_locks(std::make_unique<PanelLocks>(*this))
    , m_setDefState(std::make_unique<PanelSetDefState>(*this))
    , m_python(shell)
{
    m_header.xmlDir = AppPaths::programDir();
}

TableHost *Panel::tableHost() const
{
    return m_tableHost.get();
}

ScriptPanelHost *Panel::scriptHost() const
{
    return m_scriptHost.get();
}

Panel::~Panel()
{
    deleteModules();
    qDeleteAll(m_registries.comPollList);
}

void Panel::deleteModules()
{
    // In the order they were made, which is mostly the order in memory.
    for (const ModuleEntry &entry : qAsConst(m_registries.moduleOrder))
        delete entry.module;
    m_registries.moduleOrder.clear();
    m_registries.moduleTable.clear();
    qDeleteAll(m_registries.retiredModules);
    m_registries.retiredModules.clear();
}

void Panel::stopTimers()
{
    for (ActiveElement *element : qAsConst(m_registries.allElements)) {
        if (TimerLabel *timer = timerLabelOf(element))
            timer->setRunning(false);
    }
}

void Panel::clear()
{
    m_registries.mathLabelsByDefine.clear();
    m_registries.curvesByData.clear();
    m_registries.dialsByData.clear();
    m_registries.thermosByData.clear();
    m_registries.logItemsByData.clear();
    m_registries.imagesByName.clear();
    m_registries.plotsByName.clear();
    m_registries.tabWidgetsByName.clear();
    m_registries.ledsByName.clear();
    m_registries.dialsByName.clear();
    m_registries.thermosByName.clear();
    m_registries.containersByName.clear();
    stopTimers();
    m_registries.timersByName.clear();
    m_registries.pushButtonsByName.clear();
    // The module records belong to the register model of this panel only.
    deleteModules();
    m_registries.elementsByDefine.clear();
    m_header.xmlFile.clear();
    m_header.xmlVersion.clear();
    m_header.xmlOriginalVersion.clear();
    for (int i = 0; i < 3; ++i)
        m_header.fwVersionMin[i] = m_header.fwVersionMax[i] = 0;
    m_header.svdFile.clear();
    m_header.xmlDir = AppPaths::programDir();
    m_registries.allElements.clear();
    m_registries.ledsByData.clear();
    m_registries.imagesByDefine.clear();
    // The variables the panel took over go with it (later: one of them may be
    // sending the signal that led here).
    for (DataClass *variable : qAsConst(m_registries.variablesByName)) {
        if (variable && variable->parent() == this)
            variable->deleteLater();
    }
    m_registries.variablesByName.clear();
    m_header.changedHeaders.clear();
    m_header.refusedHeaders.clear();
    m_header.parameterMap.clear();
    m_locks->clearLockConflicts();
    // Pages hidden by setDef belong to the panel that is going away, and so
    // do the range changes still waiting for their report.
    m_setDefState->clear();
    m_header.headerVersions.clear();
}

// ---------------------------------------------------------------------------
// Panel header values

void Panel::setXMLFile(const QString &path)
{
    m_header.xmlFile = path;
    emit xmlFileChanged(path);
}

void Panel::setDisclaimerFile(const QString &name)
{
    m_header.disclaimerFile = name;
    m_header.hasOwnDisclaimer = true;
}

void Panel::setForumToolTip(const QString &text)
{
    m_header.forumToolTip = text;
    emit forumToolTipChanged(text);
}

// ---------------------------------------------------------------------------
// Registration

template <typename T>
static void appendUnder(QHash<QString, QList<T *>> &table, const QString &key, T *item)
{
    table[key].append(item);
}

void Panel::addCurve(const QString &define, QwtPlotCurve *curve) { appendUnder(m_registries.curvesByData, define, curve); }
void Panel::addDial(const QString &define, QwtDial *dial) { appendUnder(m_registries.dialsByData, define, dial); }
void Panel::addLed(const QString &define, Led *led) { appendUnder(m_registries.ledsByData, define, led); }
void Panel::addLog(const QString &define, LogLabel *log) { appendUnder(m_registries.logItemsByData, define, log); }
void Panel::addSvgImage(const QString &define, Image *image) { appendUnder(m_registries.imagesByDefine, define, image); }
void Panel::addThermo(const QString &define, QwtThermo *thermo) { appendUnder(m_registries.thermosByData, define, thermo); }

void Panel::addMathLabel(const QStringList &defines, MathLabel *label)
{
    if (defines.isEmpty()) {
        appendUnder(m_registries.mathLabelsByDefine, QStringLiteral("dummy_define"), label);
        return;
    }
    const QString own = label ? label->objectName() : QString();
    for (QString name : defines) {
        stripKeywordSuffix(name, keywordSuffixIndexOf(name));
        if (name == own)
            continue;
        appendUnder(m_registries.mathLabelsByDefine, name, label);
    }
}

bool Panel::addModule(ModuleRecord *&out, const QString &name)
{
    bool created = false;
    ModuleRecord *module = findOrAddModule(name, &created);
    if (created)
        out = module;
    return created;
}

ModuleRecord *Panel::findOrAddModule(const QString &name, bool *created)
{
    // One lookup of the table: the slot is made empty when the name is new.
    ModuleRecord *&slot = m_registries.moduleTable[name];
    *created = !slot;
    if (!slot) {
        slot = new ModuleRecord;
        m_registries.moduleOrder.append(ModuleEntry{name, slot});
    }
    return slot;
}

bool Panel::addModule(ModuleRecord **out, const QString &name)
{
    ModuleRecord *module = nullptr;
    if (!addModule(module, name))
        return false;
    if (out)
        *out = module;
    return true;
}

void Panel::appendElement(ActiveElement *element)
{
    element->setHost(this);
    m_registries.allElements.append(element);
}

void Panel::registerElement(const QString &define, ActiveElement *element)
{
    element->setHost(this);
    m_registries.elementsByDefine.insert(define, element);
    m_registries.allElements.append(element);
}

void Panel::setContainer(const QString &name, Container *container)
{
    container->setHost(this);
    m_registries.containersByName.insert(name, container);
}
// A variable that no object owns becomes the panel's: it lives until the
// panel is cleared, as the elements do.
void Panel::setDataClass(const QString &name, DataClass *variable)
{
    if (variable && !variable->parent())
        variable->setParent(this);
    m_registries.variablesByName.insert(name, variable);
}
void Panel::setDial(const QString &name, QWidget *dial) { m_registries.dialsByName.insert(name, dial); }
void Panel::setImage(const QString &name, Image *image) { m_registries.imagesByName.insert(name, image); }
void Panel::setLED(const QString &name, Led *led) { m_registries.ledsByName.insert(name, led); }
void Panel::setPlot(const QString &name, MyQwtPlot *plot) { m_registries.plotsByName.insert(name, plot); }
void Panel::setPushButton(const QString &name, PushButton *button)
{
    button->setHost(this);
    m_registries.pushButtonsByName.insert(name, button);
}
void Panel::setTabWidget(const QString &name, TabWidget *tabWidget)
{
    tabWidget->setHost(this);
    m_registries.tabWidgetsByName.insert(name, tabWidget);
}
QWidget *Panel::namedWidget(const QString &name) const
{
    if (QWidget *button = m_registries.pushButtonsByName.value(name, nullptr))
        return button;
    if (QWidget *led = m_registries.ledsByName.value(name, nullptr))
        return led;
    if (QWidget *image = m_registries.imagesByName.value(name, nullptr))
        return image;
    for (const QHash<QString, QWidget *> *table : {&m_registries.dialsByName, &m_registries.thermosByName}) {
        if (QWidget *widget = table->value(name, nullptr))
            return widget;
    }
    return m_registries.plotsByName.value(name, nullptr);
}

QStringList Panel::namedWidgetNames() const
{
    QStringList names = m_registries.pushButtonsByName.keys() + m_registries.ledsByName.keys()
        + m_registries.imagesByName.keys() + m_registries.dialsByName.keys() + m_registries.thermosByName.keys()
        + m_registries.plotsByName.keys();
    names.removeAll(QString());
    names.sort();
    names.removeDuplicates();
    return names;
}

void Panel::setThermo(const QString &name, QWidget *thermo) { m_registries.thermosByName.insert(name, thermo); }
void Panel::setTimer(const QString &name, TimerLabel *timer) { m_registries.timersByName.insert(name, timer); }

bool Panel::setEnumeratedValue(const QString &define, const QString &text, const QString &value, int key)
{
    ActiveElement *element = getActiveElement(define);
    if (!element)
        return false;
    element->addItem(text, value, key);
    return true;
}

// ---------------------------------------------------------------------------
// Look-ups. None of them adds an entry.

ActiveElement *Panel::getActiveElement(const QString &define) const
{
    return m_registries.elementsByDefine.value(define, nullptr);
}

bool Panel::elementExists(const QString &define) const
{
    return m_registries.elementsByDefine.contains(define);
}

float Panel::getValue(const QString &text)
{
    return float(::getValue(text, this));
}

double Panel::operandValue(const QString &operand, bool *found)
{
    *found = true;
    // Flag 1: the value as a number, not as shown (a formula label's unit).
    if (ActiveElement *element = getActiveElement(operand))
        return element->value(KeywordValue, 1).toDouble();
    if (DataClass *variable = m_registries.variablesByName.value(operand, nullptr))
        return variable->isFloat ? double(variable->floatValue()) : double(variable->value());

    // A reference: name, "." and one of the keywords that stand for a number.
    const int keyword = keywordSuffixIndexOf(operand);
    if (keyword <= KeywordDefineValue || keyword == KeywordAddress) {
        QString name = operand;
        stripKeywordSuffix(name, keyword);
        if (ActiveElement *element = getActiveElement(name))
            return element->value(keyword, 1).toDouble();
        if (TabWidget *tabs = m_registries.tabWidgetsByName.value(name, nullptr))
            return tabs->currentIndex();
    }
    *found = false;
    return 0.0;
}

void Panel::reportInvalidFormulaValue(const QString &operand)
{
    ::reportInvalidFormulaValue(operand);
}

double Panel::evaluatePostfix(QStringList postfix, const QStringList &numbers,
                                   const QStringList &names, bool *ok)
{
    return ::evaluatePostfix(postfix, numbers, names, this, ok);
}

void Panel::logMessage(const QString &html)
{
    ::logMessage(html);
}

ModuleRecord *Panel::getModule(const QString &name)
{
    return m_registries.moduleTable.value(name, nullptr);
}

RegisterRecord *Panel::getRegister(const QString &moduleName, const QString &registerName)
{
    ModuleRecord *module = getModule(moduleName);
    return module ? module->getRegister(registerName) : nullptr;
}

static QString withoutBrackets(const QString &part)
{
    const int bracket = part.indexOf(QLatin1Char('['));
    return bracket < 0 ? part : part.left(bracket);
}

QString PanelNames::getModuleName(const QString &path)
{
    return path.section(QLatin1Char('.'), 0, 0);
}

QString PanelNames::getRegisterName(const QString &path)
{
    if (!path.contains(QLatin1Char('.')))
        return QString();
    return withoutBrackets(path.section(QLatin1Char('.'), 1, 1));
}

QString PanelNames::getFieldName(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    return parts.size() == 3 ? withoutBrackets(parts.at(2)) : QString();
}

QString PanelNames::getObjectName(ActiveElement *element)
{
    auto *object = objectOf(element);
    return object ? object->objectName() : QString();
}

// ---------------------------------------------------------------------------


ActiveElement *Panel::takeElement(const QString &define)
{
    ActiveElement *element = getActiveElement(define);
    if (!element)
        return nullptr;
    const int index = m_registries.allElements.indexOf(element);
    if (index < 0)
        return nullptr;
    m_registries.allElements.removeAt(index);
    return element;
}

bool Panel::renameDefine(const QString &oldName, const QString &newName)
{
    if (!m_registries.elementsByDefine.contains(oldName))
        return false;
    ActiveElement *element = m_registries.elementsByDefine.take(oldName);
    m_registries.elementsByDefine.insert(newName, element);
    return true;
}

// ---------------------------------------------------------------------------
// What elements ask of their host

bool Panel::feedsFormula(const QString &define) const
{
    return m_registries.mathLabelsByDefine.contains(define);
}

bool Panel::isRecording() const
{
    return m_shell && m_shell->isRecording();
}

void Panel::recordScriptLine(const QString &line, const QString &consoleLine)
{
    if (m_shell)
        m_shell->recordScriptLine(line, consoleLine);
}

void Panel::markModified(ActiveElement *element)
{
    if (m_flags.loading)
        return;
    if (element)
        m_header.changedHeaders.insert(element->header(), true);
    if (m_shell)
        m_shell->setProjectModified();
}

void Panel::requestSetDef(const QString &items)
{
    setDef(items);
}

QWidget *Panel::panelWidget() const
{
    return m_rootArea.data();
}

void Panel::beginElementCode() const
{
    ++m_runningWalks;
}

void Panel::endElementCode() const
{
    Q_ASSERT(m_runningWalks > 0);
    --m_runningWalks;
}

void Panel::changed()
{
    if (m_flags.loading)
        return;
    if (!recordElementChange(senderElement()))
        return;
    emit valuesChanged(true);
    if (m_shell)
        m_shell->setProjectModified();
}

void Panel::timerEvent(QTimerEvent *event)
{
    m_setDefState->checkTimerFired(event->timerId());
    // The check timer is single-shot.
    killTimer(event->timerId());
}

// A lock or unlock request goes to the panel's locks with the element that sent it.
void Panel::on_sendLock(QString lock)
{
    m_locks->requestLock(senderElement(), lock);
}

void Panel::on_sendUnlock(QString lock)
{
    m_locks->requestUnlock(senderElement(), lock);
}

// ---------------------------------------------------------------------------
// The actions that reach beyond the panel

void Panel::sendUSB(QString values)
{
    if (m_shell)
        m_shell->sendUSB(values);
}

void Panel::recData(QString values)
{
    if (m_shell)
        m_shell->recData(values);
}

void Panel::runScript(QString text)
{
    if (m_shell)
        m_shell->runScript(text);
}

void Panel::loadFile(QString name)
{
    if (m_shell)
        m_shell->loadFile(name);
}

void Panel::startProgram(QString program)
{
    if (m_shell)
        m_shell->startProgram(program);
}
