// MainWindow: opening a panel, the post-load set-up, new projects, reloading,
// the panel-state reset and the polling threads' stop.
#include "mainwindow.h"

#include "apppaths.h"
#include "consolelinks.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "foldersearch.h"
#include "inputfile.h"
#include "lineedit.h"
#include "quillpanel.h"
#include "panelxmlreader.h"
#include "pinmapping.h"
#include "pollentries.h"
#include "pollingthreads.h"
#include "svdstreamreader.h"
#include "prompt.h"
#include "tabwidget.h"
#include "terminalport.h"
#include "timerlabel.h"
#include "treewidgetitem.h"
#include "tyklink.h"
#include "tykvalueexchange.h"
#include "windowconsole.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSerialPortInfo>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------
// Opening a panel

void MainWindow::open()
{
    if (!maybeSave())
        return;
    setProperty("loaded", false);
    const QString file = Prompt::instance().openFileName(this, tr("Open XML File"), m_settings.lastDir,
                                                         tr("XML Files (*.xml)"));
    if (!file.isNull())
        m_settings.lastDir = QFileInfo(file).path();
    if (file.isEmpty())
        return;
    if (open(file)) {
        initLoadedConfiguration(true);
        if (DataClass *dummy = m_panel->registries().variablesByName.value(QStringLiteral("dummy_define"), nullptr))
            dummy->setValue(0);
    } else {
        newProject();
    }
}

// The panel is built inside the window, where Qt shows each new widget only
// once the event loop runs again. In a shown window the open ends with the
// current pages fitted and every widget of the panel shown and laid out, so
// the first tab is drawn filled whatever the panel's size. A window not shown
// yet shows the panel with itself: polishing and laying out the panel now
// would be work for widgets nobody sees (and a run that only writes files
// never needs it).
static void showPanelLaidOut(QWidget *panelWidget, const QList<QPointer<TabWidget>> &fittingTabs,
                             bool windowShown)
{
    if (!panelWidget)
        return;
    for (TabWidget *tabs : fittingTabs) {
        if (tabs)
            tabs->fitToCurrentPage();
    }
    if (windowShown && panelWidget->isHidden() && !panelWidget->testAttribute(Qt::WA_WState_ExplicitShowHide))
        panelWidget->show();
}

bool MainWindow::open(const QString &fileName)
{
    stopPollingThreads();
    m_elementFinder->forgetPanelMark();
    m_tykValues->resetTimeouts();
    m_panel->editHeader().definePrefixes.clear();
    // Panels replaced while an element walk ran are still waiting for the
    // event loop; with no walk running now they go before the next read.
    if (!m_panel->elementCodeRunning())
        deleteRetiredPanelWidgets();

    if (!readPanelFile(fileName)) {
        const QString other = Prompt::instance().openFileName(
            this, tr("Could not read %1!").arg(QFileInfo(fileName).fileName()), m_settings.lastDir,
            QStringLiteral("*.xml (*.xml)"));
        // Without a user there is no window to bring forward (and offscreen
        // platforms complain about it).
        if (Prompt::instance().isInteractive()) {
            raise();
            activateWindow();
        }
        // A cancelled choice ends here: nothing to read, no second "Could not find".
        if (other.isEmpty() || !readPanelFile(other))
            return false;
    }

    m_panel->addBuiltInVariables();
    // The hidden "$DIR$" of the panel before goes with that panel (its
    // registration went with the read); each panel gets a fresh one.
    qDeleteAll(findChildren<LineEdit *>(QStringLiteral("$DIR$"), Qt::FindDirectChildrenOnly));
    if (!m_panel->getActiveElement(QStringLiteral("$DIR$"))) {
        auto *dir = new LineEdit(QStringLiteral("$DIR$"), this);
        dir->hide();
        m_panel->wiring().connectChangedByUser(dir);
        if (auto *element = activeElementOf(static_cast<QObject *>(dir)))
            m_panel->assignRegisterField(QStringLiteral("$DIR$"), QString(), element, false);
    }

    if (!m_panel->header().svdFile.isEmpty() && !loadSvdFile())
        return false;

    updatePanelActions();
    m_pinMapping->buildPinMappingView();
    showPanelLaidOut(centralWidget(), m_fittingTabs, isVisible());
    setWorkingDir(QFileInfo(fileName).absolutePath());
    setWindowTitle(QStringLiteral("Quillmate ") + QDir::toNativeSeparators(fileName) + QStringLiteral("[*]"));
    setWindowModified(false);
    m_homePanelShown = false;
    return true;
}

bool MainWindow::readPanelFile(const QString &file)
{
    QString path = file;
    bool chosenAfterMissing = false;
    // The folders the caller looked in for this file, if it searched several.
    const QStringList searched = m_openRecord.takeFoldersSearched();
    if (!QFileInfo::exists(path)) {
        path = Prompt::instance().openFileName(
            this, tr("Could not find %1!").arg(QFileInfo(file).fileName()), m_settings.lastDir,
            QStringLiteral("*.xml (*.xml)"));
        if (!searched.isEmpty())
            logFoldersSearched(QFileInfo(file).fileName(), searched);
        if (path.isEmpty())
            return false;
        chosenAfterMissing = true;
    }

    m_panel->editFlags().loading = true;
    clearPanelState();
    m_panel->setXMLFile(path);
    m_panel->editHeader().xmlDir = QFileInfo(path).path();

    QFile device(path);
    QString openError;
    // Read as it is: the reader makes the line ends LF itself, after it
    // decoded a UTF-16 file.
    if (!openInputFile(device, QIODevice::ReadOnly, &openError)) {
        reportCannotOpenFile(path, openError);
        return false;
    }
    m_panel->setDefaultDisclaimer(QStringLiteral("disclaimer.txt"));
    m_panel->editHeader().usesTyk = false;
    m_panel->editHeader().loadSaveAllowed = true;
    if (chosenAfterMissing)
        m_panel->editHeader().documentsPath = QStringLiteral("Documentation");

    bool ok = false;
    QString errorLink;
    {
        m_panel->editFlags().readOrResetInProgress = true;
        // A long read says how far it is: a text in the status bar, painted
        // at once (no events run while the panel is built), and a busy
        // cursor where there is a user.
        PanelReadOptions options = panelReadOptions();
        bool busyCursor = false;
        bool progressShown = false;
        const QString shownName = QFileInfo(path).fileName();
        options.progress = [this, &busyCursor, &progressShown, &shownName](int elementsRead) {
            if (!busyCursor && Prompt::displayAvailable()) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
                busyCursor = true;
            }
            progressShown = true;
            statusBar()->showMessage(tr("Reading %1: %2 elements").arg(shownName).arg(elementsRead));
            statusBar()->repaint();
        };
        PanelXmlReader reader(m_panel, options);
        ok = reader.readXml(&device);
        if (busyCursor)
            QApplication::restoreOverrideCursor();
        if (progressShown)
            statusBar()->clearMessage();
        m_panel->editFlags().readOrResetInProgress = false;
        if (ok) {
            m_panel->editHeader().usesTyk = reader.usesTyk;
            m_panel->editHeader().loadSaveAllowed = reader.loadSaveAllowed;
            if (!reader.terminalPort.isEmpty())
                openTerminalPort(reader.terminalPort, reader.terminalSettings);
            m_panel->editHeader().headerVersions = reader.headerVersions;
            m_fittingTabs = reader.fittingTabs;
            // On screen the user sees what was built; a run that writes
            // files from the panel must not use one it cannot trust.
            const QString unusable = unusableOpenReason(reader);
            const QFileInfo read(path);
            if (!unusable.isEmpty() && opensMustBeUsableForWrites()) {
                ok = false;
                errorLink = unusable.toHtmlEscaped();
                m_openRecord.refuse(read, unusable);
            } else {
                m_openRecord.accept(read);
            }
        } else {
            errorLink = reader.xmlErrorLink();
        }
    }
    if (ok) {
        m_panel->setXMLFile(path);
        m_integration->reportPanelToLauncher();
        return true;
    }
    logCannotReadFile(path, errorLink);
    // The reader is gone now. Nothing it built stays, even when no home
    // panel takes its place: what follows must not write from it (the
    // console keeps the lines that said why). The home
    // panel itself is never answered with the home panel again: a broken
    // index.xml would open itself without end.
    m_panel->clear();
    m_pinMapping->resetPinMapping();
    if (!chosenAfterMissing && !m_openingHomePanel)
        newProject();
    return false;
}

bool MainWindow::opensMustBeUsableForWrites() const
{
    // -g, -s and -x write from the panel they open; a batch run (the -b run's
    // own panel included, and any script file run) may write from every
    // panel it opens.
    return m_run.endsAfterStartUp || m_run.batchRunStarting || m_scripts.runDepth() > 0;
}

static int readProgressAfterMs = PanelReadOptions().progressAfterMs;

void MainWindow::setReadProgressAfterMs(int ms)
{
    readProgressAfterMs = ms;
}

PanelReadOptions MainWindow::panelReadOptions() const
{
    PanelReadOptions options;
    options.progressAfterMs = readProgressAfterMs;
    options.includePaths = m_run.includePaths;
    options.defines = m_run.definesText;
    options.homePanel = m_openingHomePanel;
    return options;
}

void MainWindow::printLoadMessage()
{
    if (m_panel->header().svdFile.isEmpty() || !headerFilesToExport())
        return;
    if (m_projectFile.isEmpty()) {
        ::logMessage(QStringLiteral("<font color=\"blue\"><b>New configuration: </font></b>%1. No headerfiles written. "
                                    "<b>To update configuration please save this file!</b><br>")
                         .arg(QFileInfo(m_panel->header().xmlFile).fileName()));
    } else {
        ::logMessage(QStringLiteral("<font color=\"blue\"><b>Loaded configuration: </font></b>%1. No headerfiles written. "
                                    "<b>To update configuration please save this file!</b><br>")
                         .arg(QFileInfo(m_projectFile).fileName()));
    }
}

// ---------------------------------------------------------------------------
// Post-load set-up

void MainWindow::initLoadedConfiguration(bool resetValues)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    printLoadMessage();

    // Port choice.
    if (m_panel->header().ioPortName == QLatin1String("?")) {
        QStringList ports;
        const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : available)
            ports << info.portName();
        bool ok = false;
        const QString answer = Prompt::instance().item(this, QStringLiteral("Select a COM port"),
                                                       QStringLiteral("COM port:"), ports, 0, &ok);
        if (!answer.isEmpty()) {
            m_panel->editHeader().ioPortName = answer.trimmed();
            m_tykAdapter->link(true);
        }
    }

    // Adapter presence.
    if (m_panel->header().usesTyk && (m_panel->header().ioCheckMode & 2)) {
        m_tykAdapter->link(true);
        if (!m_targetLink.tykLink->isConnected()) {
            PromptMessage warning;
            warning.parent = this;
            warning.icon = QMessageBox::Warning;
            warning.title = QStringLiteral("Cannot connect to Tyk / serial port");
            warning.text = QStringLiteral("This script uses an %1, but there can no one be found.\n"
                                          "Please connect one to the USB.")
                               .arg(isTykInterface(m_panel->header().ioPortName) ? QStringLiteral("Tyk") : m_panel->header().ioPortName);
            Prompt::ask(warning);
        }
    }

    // J-Link.
    if (!m_panel->registries().varPollList.isEmpty())
        connectTargetForPolling();

    m_panel->finishLoad(resetValues, [this] {
        if (m_settings.switches.checkFwVersionOnLoad && m_panel->header().usesTyk)
            m_tykAdapter->queryFirmwareVersion(true);
    });
    setWindowModified(false);

    QGuiApplication::restoreOverrideCursor();
    setDisabled(false);
    createAppNotesMenu();

    startPollingThreads();
    m_panel->checkFormulas();
}

void MainWindow::startPollingThreads()
{
    // Threads of the previous panel were stopped before the read; they go now.
    delete m_targetLink.seggerThread;
    m_targetLink.seggerThread = nullptr;
    delete m_targetLink.serialComThread;
    m_targetLink.serialComThread = nullptr;
    // Only entries with a period are polled; without one there is no thread.
    const QList<VarPollEntry *> &entries = m_panel->registries().varPollList;
    const bool anyPolled = std::any_of(entries.cbegin(), entries.cend(), [](const VarPollEntry *entry) {
        return entry && entry->intervalMs != 0;
    });
    if (anyPolled) {
        // What the panel's set-up wrote to polled variables stays local: the
        // target keeps its own values, which the first reads bring in.
        for (VarPollEntry *entry : entries) {
            if (entry && entry->target)
                entry->target->discardPendingWrite();
        }
        m_targetLink.seggerPolling = true;
        m_targetLink.seggerThread = new SeggerThread(m_targetLink.seggerPolling, entries);
        m_targetLink.seggerThread->start(QThread::InheritPriority);
    }
    // Likewise only exchanges with a period are made.
    const QList<ComPollEntry *> &exchanges = m_panel->registries().comPollList;
    const bool anyExchanged = std::any_of(exchanges.cbegin(), exchanges.cend(), [](const ComPollEntry *entry) {
        return entry && entry->intervalMs != 0;
    });
    if (anyExchanged) {
        m_targetLink.serialPolling = true;
        // The thread reads the window's link on the GUI thread only; requests
        // and replies are carried out here, queued. What a stopped thread left
        // in the queue belongs to the panel before and is dropped.
        SerialComThread *thread = new SerialComThread(m_targetLink.serialPolling, exchanges, [this] { return m_targetLink.tykLink; });
        const auto current = [this, thread] { return m_targetLink.serialComThread == thread && m_targetLink.serialPolling.load(); };
        connect(thread, &SerialComThread::changed_sendUSB, thread, [this, current](const QString &values) {
            if (current())
                m_tykValues->send(values);
        }, Qt::QueuedConnection);
        connect(thread, &SerialComThread::changed_recData, thread, [this, current](const QString &values) {
            if (current())
                m_tykValues->receive(values);
        }, Qt::QueuedConnection);
        m_targetLink.serialComThread = thread;
        m_targetLink.serialComThread->start(QThread::InheritPriority);
    }
}

// ---------------------------------------------------------------------------
// New project, reload

void MainWindow::newProject()
{
    if (!maybeSave())
        return;
    stopPollingThreads();
    const QString home = QDir(m_settings.scriptsDir).filePath(QStringLiteral("index.xml"));
    if (!QFileInfo::exists(home)) {
        reportNotFound(home, m_settings.scriptsDir);
        return;
    }
    m_openingHomePanel = true;
    readPanelFile(home);
    m_openingHomePanel = false;
    m_homePanelShown = true;

    setWindowModified(false);
    setWindowTitle(QStringLiteral("Quillmate [*]"));
    updateHomeActions();
    delete m_targetLink.tykLink;
    m_targetLink.tykLink = nullptr;
    if (m_console)
        m_console->hideDock();
    for (ActiveElement *element : qAsConst(m_panel->getAllElements())) {
        if (timerLabelOf(element))
            element->initialize();
    }
}

void MainWindow::reopen()
{
    if (!maybeSave())
        return;
    setProperty("loaded", false);
    if (m_panel->header().xmlFile.isEmpty() || !open(m_panel->header().xmlFile))
        return;
    initLoadedConfiguration(true);
    if (DataClass *dummy = m_panel->registries().variablesByName.value(QStringLiteral("dummy_define"), nullptr))
        dummy->setValue(0);
}

void MainWindow::load()
{
    load(QString());
}

bool MainWindow::loadFile(QString name, bool absolute)
{
    name = AppPaths::normalizePanelPath(name);
    QString path = name;
    QStringList folders;
    if (!absolute) {
        // Beside the panel first, then in the scripts folder.
        folders = QStringList{m_panel->header().xmlDir, m_settings.scriptsDir};
        path = QDir(folders.first()).filePath(name);
        if (!QFileInfo::exists(path))
            path = QDir(folders.last()).filePath(name);
        // An absolute name or one found was no search through folders.
        if (QFileInfo::exists(path) || QDir::isAbsolutePath(name))
            folders.clear();
    }
    if (path.endsWith(QLatin1String(".qlmp"), Qt::CaseInsensitive)) {
        const bool loaded = load(path);
        if (!folders.isEmpty())
            logFoldersSearched(name, folders);
        return loaded;
    }
    if (path.endsWith(QLatin1String(".script"), Qt::CaseInsensitive)) {
        runScriptFile(path);
        if (!folders.isEmpty())
            logFoldersSearched(name, folders);
        return true;
    }
    m_openRecord.setFoldersSearched(folders);
    if (open(path)) {
        initLoadedConfiguration(true);
        return true;
    }
    newProject();
    return false;
}

// ---------------------------------------------------------------------------
// Panel state

void MainWindow::clearPanelState()
{
    m_panel->clear();
    m_pinMapping->resetPinMapping();
    m_projectFile.clear();
    if (m_console)
        m_console->clear();
}

void MainWindow::stopPollingThreads()
{
    stopPollingThread(m_targetLink.seggerThread, m_targetLink.seggerPolling);
    stopPollingThread(m_targetLink.serialComThread, m_targetLink.serialPolling);
    m_panel->stopTimers();
}

void MainWindow::adoptPollingThreads(SeggerThread *segger, SerialComThread *serial)
{
    m_targetLink.seggerThread = segger;
    m_targetLink.serialComThread = serial;
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

bool MainWindow::loadSvdFile()
{
    QString svdFile = m_panel->header().svdFile;
    svdFile.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (svdFile.isEmpty())
        return false;
    // Beside the panel first, then in the scripts folder.
    const QStringList folders{m_panel->header().xmlDir, m_settings.scriptsDir};
    QString path = QDir(folders.first()).filePath(svdFile);
    if (!QFileInfo::exists(path))
        path = QDir(folders.last()).filePath(svdFile);
    if (!QFileInfo::exists(path)) {
        const QString name = QFileInfo(path).fileName();
        path = Prompt::instance().openFileName(this, tr("Could not find %1!").arg(name), m_settings.lastDir,
                                               tr("%1 (%1)").arg(name));
        if (QDir::isRelativePath(svdFile))
            logFoldersSearched(svdFile, folders);
        if (path.isEmpty()) {
            newProject();
            return false;
        }
    }
    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(path, openError);
        return false;
    }
    Panel *panel = m_panel;
    SvdStreamReader::ListHooks hooks;
    hooks.elementExists = [panel](const QString &define) { return panel->getActiveElement(define) != nullptr; };
    hooks.addItem = [panel](const QString &define, const QString &text, const QString &value, int key) {
        return panel->setEnumeratedValue(define, text, value, key);
    };
    hooks.setLastPeripheralToolTip = [panel](const QString &text) {
        if (ActiveElement *peripherals = panel->getActiveElement(QStringLiteral("$PERIPHERALS$")))
            peripherals->setLastItemToolTip(text);
    };
    hooks.setDeviceName = [panel](const QString &name) { panel->editHeader().svdDeviceName = name; };
    SvdStreamReader reader(m_panel, m_panel->header().xmlFile, hooks);
    // A broken SVD file is said on the console with its position in that
    // file, and the open fails: nothing may be written from a register model
    // the file did not fill.
    if (!reader.read(&file)) {
        const QString line = QString::number(reader.lineNumber());
        const QString column = QString::number(reader.columnNumber());
        logCannotReadFile(path, reader.errorString().toHtmlEscaped()
                                    + QStringLiteral("<br><b><a href=\"%1\">file</a> line %2, column %3</b><br>")
                                          .arg(filePositionLink(path, line, column), line, column));
        return false;
    }
    m_panel->bindSvdVariables();
    return true;
}

// ---------------------------------------------------------------------------
// The panel's terminal port

void MainWindow::openTerminalPort(const QString &portName, const QString &settings)
{
    if (m_console)
        m_console->showTerminal();

    if (!m_targetLink.terminalPort) {
        m_targetLink.terminalPort = new TerminalPort(this);
        connect(m_targetLink.terminalPort, &TerminalPort::consoleText, m_console, &WindowConsole::printTerminal);
    }
    // A port that cannot be opened is said in the log as well.
    const QMetaObject::Connection failure =
        connect(m_targetLink.terminalPort, &TerminalPort::consoleText, this, [](const QString &html) { ::logMessage(html); });
    m_targetLink.terminalPort->open(portName, settings);
    disconnect(failure);
}
