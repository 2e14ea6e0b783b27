// MainWindow: opening a panel, the post-load set-up, new projects, reloading,
// the panel-state reset and the polling threads' stop.
#include "mainwindow.h"

#include "apppaths.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "lineedit.h"
#include "panelxmlreader.h"
#include "pinmapping.h"
#include "pollentries.h"
#include "pollingthreads.h"
#include "prompt.h"
#include "tabwidget.h"
#include "timerlabel.h"
#include "treewidgetitem.h"
#include "tyklink.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSerialPortInfo>
#include <QTextBrowser>
#include <QTreeWidget>

static TimerLabel *asTimerLabel(ActiveElement *element)
{
    return qobject_cast<TimerLabel *>(dynamic_cast<QObject *>(element));
}

// ---------------------------------------------------------------------------
// Opening a panel

void MainWindow::open()
{
    if (!maybeSave())
        return;
    setProperty("loaded", false);
    const QString file = Prompt::instance().openFileName(this, tr("Open XML File"), lastDir,
                                                         tr("XML Files (*.xml)"));
    if (!file.isNull())
        lastDir = QFileInfo(file).path();
    if (file.isEmpty())
        return;
    if (open(file)) {
        initLoadedConfiguration(true);
        if (DataClass *dummy = variablesByName.value(QStringLiteral("dummy_define"), nullptr))
            dummy->setValue(0);
    } else {
        newProject();
    }
}

bool MainWindow::open(const QString &fileName)
{
    stopPollingThreads();
    highlightTimerId = 0;
    highlightedItem = nullptr;
    usbTimeoutCount = 0;
    definePrefixes.clear();
    delete pinMapping.data();
    pinMapping = nullptr;

    if (!readPanelFile(fileName)) {
        const QString other = Prompt::instance().openFileName(
            this, tr("Could not read %1!").arg(QFileInfo(fileName).fileName()), lastDir,
            QStringLiteral("*.xml (*.xml)"));
        raise();
        activateWindow();
        // A cancelled choice ends here: nothing to read, no second "Could not find".
        if (other.isEmpty() || !readPanelFile(other))
            return false;
    }

    // Built-in variables every panel gets.
    auto *dummy = new DataClass(QStringLiteral("dummy_define"));
    setDataClass(dummy->objectName(), dummy);
    for (const char *slot : {SLOT(on_updateLED()), SLOT(on_updateSvgImage()), SLOT(on_updateCurve()),
                             SLOT(on_updateDial()), SLOT(on_updateThermo()), SLOT(on_updateLog())})
        connect(dummy, SIGNAL(updateLEDs()), this, slot, Qt::UniqueConnection);
    connect(dummy, SIGNAL(updateMathLabels()), this, SLOT(on_updateMathLabel()), Qt::UniqueConnection);
    for (const char *name : {"$ADDRESS$", "$VALUE$", "$FUNC$"}) {
        auto *variable = new DataClass(QLatin1String(name));
        setDataClass(variable->objectName(), variable);
        connect(variable, SIGNAL(updateMathLabels()), this, SLOT(on_updateMathLabel()),
                Qt::UniqueConnection);
    }
    if (!getActiveElement(QStringLiteral("$DIR$"))) {
        auto *dir = new LineEdit(QStringLiteral("$DIR$"), this);
        dir->hide();
        connectChangedByUser(dir);
        if (auto *element = dynamic_cast<ActiveElement *>(static_cast<QObject *>(dir)))
            assignRegisterField(QStringLiteral("$DIR$"), QString(), element, false);
    }

    if (!svdFile.isEmpty() && !loadSvdFile())
        return false;

    updatePanelActions();
    setWorkingDir(QFileInfo(fileName).absolutePath());
    setWindowTitle(QStringLiteral("Quillmate ") + QDir::toNativeSeparators(fileName) + QStringLiteral("[*]"));
    setWindowModified(false);
    homePanelShown = false;
    return true;
}

bool MainWindow::readPanelFile(const QString &file)
{
    QString path = file;
    bool chosenAfterMissing = false;
    if (!QFileInfo::exists(path)) {
        path = Prompt::instance().openFileName(
            this, tr("Could not find %1!").arg(QFileInfo(file).fileName()), lastDir,
            QStringLiteral("*.xml (*.xml)"));
        if (path.isEmpty())
            return false;
        chosenAfterMissing = true;
    }

    loading = true;
    clearPanelState();
    setXMLFile(path);
    xmlDir = QFileInfo(path).path();

    QFile device(path);
    if (!device.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(path, device.errorString());
        return false;
    }
    disclaimerFile = QStringLiteral("disclaimer.txt");
    hasOwnDisclaimer = false;
    usesTyk = false;
    loadSaveAllowed = true;
    if (chosenAfterMissing)
        documentsPath = QStringLiteral("Documentation");

    bool ok = false;
    QString errorLink;
    {
        PanelXmlReader reader(this);
        ok = reader.readXml(&device);
        if (ok) {
            usesTyk = reader.usesTyk;
            loadSaveAllowed = reader.loadSaveAllowed;
            headerVersions = reader.headerVersions;
        } else {
            errorLink = reader.xmlErrorLink();
        }
    }
    if (ok) {
        setXMLFile(path);
        return true;
    }
    logCannotReadFile(path, errorLink);
    // The reader is gone now. The home panel itself is never answered with the
    // home panel again: a broken index.xml would open itself without end.
    if (!chosenAfterMissing && !openingHomePanel)
        newProject();
    return false;
}

bool MainWindow::openFileError(const QString &file, const QString &errorText)
{
    reportCannotOpenFile(file, errorText);
    return false;
}

bool MainWindow::readFileError(const QString &file, const QString &errorText)
{
    logCannotReadFile(file, errorText);
    return false;
}

void MainWindow::printLoadMessage()
{
    if (svdFile.isEmpty() || !headerFilesToExport())
        return;
    if (projectFile.isEmpty()) {
        ::logMessage(QStringLiteral("<font color=\"blue\"><b>New configuration: </font></b>%1. No headerfiles written. "
                                    "<b>To update configuration please save this file!</b><br>")
                         .arg(QFileInfo(xmlFile).fileName()));
    } else {
        ::logMessage(QStringLiteral("<font color=\"blue\"><b>Loaded configuration: </font></b>%1. No headerfiles written. "
                                    "<b>To update configuration please save this file!</b><br>")
                         .arg(QFileInfo(projectFile).fileName()));
    }
}

// ---------------------------------------------------------------------------
// Post-load set-up

void MainWindow::initLoadedConfiguration(bool resetValues)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    printLoadMessage();
    elementNames.clear();

    // Port choice.
    if (ioPortName == QLatin1String("?")) {
        QStringList ports;
        const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : available)
            ports << info.portName();
        bool ok = false;
        const QString answer = Prompt::instance().item(this, QStringLiteral("Select a COM port"),
                                                       QStringLiteral("COM port:"), ports, 0, &ok);
        if (!answer.isEmpty()) {
            ioPortName = answer.trimmed().toUpper();
            terminalPort.setPortName(answer);
            if (!tykLink)
                tykLink = new TykLink(this);
        }
    }

    // Adapter presence.
    if (usesTyk && (ioCheckMode & 2)) {
        if (!tykLink)
            tykLink = new TykLink(this);
        if (!tykConnected) {
            PromptMessage warning;
            warning.parent = this;
            warning.icon = QMessageBox::Warning;
            warning.title = QStringLiteral("Cannot connect to Tyk / serial port");
            warning.text = QStringLiteral("This script uses an %1, but there can no one be found.\n"
                                          "Please connect one to the USB.")
                               .arg(isTykInterface() ? QStringLiteral("Tyk") : ioPortName);
            Prompt::ask(warning);
        }
    }

    // J-Link.
    if (!varPollList.isEmpty())
        connectTargetForPolling();

    // Start values.
    if (resetValues) {
        for (DataClass *variable : qAsConst(variablesByName))
            if (variable)
                variable->resetToDefault();
    }
    const QList<ActiveElement *> elements = allElements;
    for (ActiveElement *element : elements) {
        if (asTimerLabel(element))
            continue;
        if (resetValues)
            element->resetToDefault();
        const QString name = getObjectName(element);
        elementNames.append(name);
        if (!element->elementProperty("svd").toString().isEmpty())
            checkSvdBinding(name);
        element->initialize();
    }

    checkLockConditions();

    if (switches.checkFwVersionOnLoad && usesTyk)
        queryTykFirmwareVersion(true);

    for (ActiveElement *element : elements) {
        if (asTimerLabel(element))
            element->initialize();
    }
    setWindowModified(false);
    refreshSvgImages();

    loading = false;
    QGuiApplication::restoreOverrideCursor();
    setDisabled(false);
    createAppNotesMenu();

    startPollingThreads();

    // Formula names that nothing carries.
    for (auto it = mathLabelsByDefine.cbegin(); it != mathLabelsByDefine.cend(); ++it) {
        const QString &name = it.key();
        const bool known = elementsByDefine.value(name, nullptr) || variablesByName.value(name, nullptr)
            || tabWidgetsByName.value(name, nullptr);
        if (!known)
            reportUndefinedFormulaElement(name);
    }
}

void MainWindow::checkSvdBinding(const QString &objectName)
{
    const QString moduleName = getModuleName(objectName);
    const QString registerName = getRegisterName(objectName);
    const QString fieldName = getFieldName(objectName);
    ModuleRecord *module = getModule(moduleName);
    RegisterRecord *reg = module ? module->getRegister(registerName) : nullptr;
    bool found = reg && reg->size() != 0;
    if (found && !fieldName.isEmpty()) {
        FieldRecord *field = reg->getField(fieldName);
        found = field && field->width() != 0;
    }
    if (!found)
        consolePrintSvdNotFound(objectName);
}

void MainWindow::consolePrintSvdNotFound(const QString &name)
{
    consolePrint(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>Not found in svd file: %1<br>")
                     .arg(name));
}

void MainWindow::startPollingThreads()
{
    // Threads of the previous panel were stopped before the read; they go now.
    delete seggerThread;
    seggerThread = nullptr;
    delete serialComThread;
    serialComThread = nullptr;
    if (!varPollList.isEmpty()) {
        seggerPolling = true;
        seggerThread = new SeggerThread(seggerPolling);
        seggerThread->start(QThread::InheritPriority);
    }
    if (!comPollList.isEmpty()) {
        serialPolling = true;
        serialComThread = new SerialComThread(serialPolling);
        serialComThread->start(QThread::InheritPriority);
    }
}

// ---------------------------------------------------------------------------
// New project, reload

void MainWindow::newProject()
{
    if (!maybeSave())
        return;
    stopPollingThreads();
    const QString home = QDir(scriptsDir).filePath(QStringLiteral("index.xml"));
    if (!QFileInfo::exists(home)) {
        reportNotFound(home, scriptsDir);
        return;
    }
    openingHomePanel = true;
    readPanelFile(home);
    openingHomePanel = false;
    homePanelShown = true;

    setWindowModified(false);
    setWindowTitle(QStringLiteral("Quillmate [*]"));
    updateHomeActions();
    delete tykLink;
    tykLink = nullptr;
    if (consoleDock)
        consoleDock->hide();
    for (ActiveElement *element : qAsConst(allElements)) {
        if (asTimerLabel(element))
            element->initialize();
    }
}

void MainWindow::reopen()
{
    if (!maybeSave())
        return;
    setProperty("loaded", false);
    if (xmlFile.isEmpty() || !open(xmlFile))
        return;
    initLoadedConfiguration(true);
    if (DataClass *dummy = variablesByName.value(QStringLiteral("dummy_define"), nullptr))
        dummy->setValue(0);
}

void MainWindow::load()
{
    load(QString());
}

void MainWindow::loadFile(QString name)
{
    loadFile(name, false);
}

void MainWindow::loadFile(QString name, bool absolute)
{
    name = AppPaths::normalizePanelPath(name);
    QString path = name;
    if (!absolute) {
        path = QDir(xmlDir).filePath(name);
        if (!QFileInfo::exists(path))
            path = QDir(scriptsDir).filePath(name);
    }
    if (path.endsWith(QLatin1String(".qlmp"), Qt::CaseInsensitive)) {
        load(path);
    } else if (path.endsWith(QLatin1String(".script"), Qt::CaseInsensitive)) {
        runScriptFile(path);
    } else if (open(path)) {
        initLoadedConfiguration(true);
    } else {
        newProject();
    }
}

// ---------------------------------------------------------------------------
// Panel state

void MainWindow::clearPanelState()
{
    mathLabelsByDefine.clear();
    curvesByData.clear();
    dialsByData.clear();
    thermosByData.clear();
    logItemsByData.clear();
    imagesByName.clear();
    plotsByName.clear();
    tabWidgetsByName.clear();
    ledsByName.clear();
    dialsByName.clear();
    thermosByName.clear();
    containersByName.clear();
    for (ActiveElement *element : qAsConst(allElements)) {
        if (TimerLabel *timer = asTimerLabel(element))
            timer->setRunning(false);
    }
    timersByName.clear();
    pushButtonsByName.clear();
    // The module records belong to the register model of this panel only.
    qDeleteAll(moduleTable);
    moduleTable.clear();
    elementsByDefine.clear();
    xmlFile.clear();
    xmlVersion.clear();
    xmlOriginalVersion.clear();
    for (int i = 0; i < 3; ++i)
        fwVersionMin[i] = fwVersionMax[i] = 0;
    projectFile.clear();
    svdFile.clear();
    xmlDir = AppPaths::programDir();
    allElements.clear();
    waitingLocks.clear();
    if (console)
        console->clear();
    ledsByData.clear();
    imagesByDefine.clear();
    variablesByName.clear();
    changedHeaders.clear();
    overflowConflicts.clear();
    // Pages hidden by setDef belong to the panel that is going away.
    hiddenTabs.clear();
    headerVersions.clear();
}

void MainWindow::stopPollingThreads()
{
    stopPollingThread(seggerThread, seggerPolling);
    stopPollingThread(serialComThread, serialPolling);
    for (ActiveElement *element : qAsConst(allElements)) {
        if (TimerLabel *timer = asTimerLabel(element))
            timer->setRunning(false);
    }
}

void MainWindow::resetToDefaults()
{
    for (ActiveElement *element : qAsConst(allElements)) {
        if (!asTimerLabel(element))
            element->resetToDefault();
    }
    for (DataClass *variable : qAsConst(variablesByName)) {
        if (variable)
            variable->resetToDefault();
    }
}

ActiveElement *MainWindow::takeElement(const QString &define)
{
    ActiveElement *element = getActiveElement(define);
    if (!element)
        return nullptr;
    const int index = allElements.indexOf(element);
    if (index < 0)
        return nullptr;
    allElements.removeAt(index);
    return element;
}

bool MainWindow::renameDefine(const QString &oldName, const QString &newName)
{
    if (!elementsByDefine.contains(oldName))
        return false;
    ActiveElement *element = elementsByDefine.take(oldName);
    elementsByDefine.insert(newName, element);
    return true;
}

void MainWindow::expandRecursively(QTreeWidgetItem *item, bool expand)
{
    if (!item)
        return;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        child->setExpanded(expand);
        if (child->childCount() > 0)
            expandRecursively(child, expand);
    }
    item->setExpanded(expand);
    if (expand && item->treeWidget()) {
        item->treeWidget()->scrollToItem(item);
        item->treeWidget()->setCurrentItem(item);
    }
}
