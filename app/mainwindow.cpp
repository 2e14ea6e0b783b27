// MainWindow: construction (the start-up sequence), shut-down, close handling,
// drag and drop, the full-screen switch and the document-modified slot.
#include "mainwindow.h"

#include "activeelement.h"
#include "apppaths.h"
#include "diffdialog.h"
#include "errorreporter.h"
#include "lockdialog.h"
#include "quillpanel.h"
#include "panelteardown.h"
#include "pollingthreads.h"
#include "tykvalueexchange.h"
#include "pythonhost.h"
#include "registermodel.h"
#include "resources.h"
#include "showxmldialog.h"
#include "tyklink.h"
#include "unresolveddialog.h"
#include "updatecheck.h"
#include "writeguard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QToolBar>
#include <QUrl>

#include <cmath>
#include <utility>

MainWindow::MainWindow(const CommandLineOptions &options)
    : QMainWindow(nullptr)
    , m_panelShell(std::make_unique<WindowPanelShell>(*this))
    , m_panel(new Panel(m_panelShell.get(), this))
    , m_scriptHost(std::make_unique<WindowScriptHost>(*this))
    , m_pinMapping(std::make_unique<WindowPinMapping>(*this))
    , m_integration(std::make_unique<WindowIntegration>(*this))
    , m_tykAdapter(std::make_unique<WindowTykAdapter>(*this))
    , m_elementFinder(std::make_unique<WindowElementFinder>(*this))
    , m_startUp(std::make_unique<WindowStartUp>(*this))
    , m_tykValues(std::make_unique<TykValueExchange>(*m_panel,
                                                     [this](bool create) { return m_tykAdapter->link(create); }))
{
    m_run.unattended = options.unattended;
    // A log nobody reads on screen is read on standard error: every console
    // line goes there too, from the first one on.
    m_run.echoConsoleToStandardError =
        options.unattended || options.quiet || options.save || options.generate || options.exitAfterKeil;

    // 1. Members start empty; the window background is the palette's base
    // colour: white under a light palette, and as dark as the text fields
    // under a dark one, so the window text stays readable on it.
    initQuillmateResources();
    // No write replaces the loaded panel or a script that runs.
    WriteGuard::setProtectedFiles(this, [this] {
        return WriteGuard::ProtectedFiles{m_panel->header().xmlFile, m_scripts.runningScripts(), m_projectFile};
    });
    QPalette pal = palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        const auto colorGroup = QPalette::ColorGroup(group);
        pal.setColor(colorGroup, QPalette::Window, pal.color(colorGroup, QPalette::Base));
    }
    setPalette(pal);

    // 2. Update check, before anything else of the window exists. A run that
    // ends by itself could not tell the user anything: it checks nothing.
    if (!(options.save || options.generate || options.exitAfterKeil))
        UpdateCheck::checkForUpdates();

    // 3. Recorder, setDef echo, highlight state and threads start cleared.
    m_panel->setDefState().setLogSetDefs(false);
    m_targetLink.seggerThread = nullptr;
    m_targetLink.serialComThread = nullptr;
    m_targetLink.seggerPolling = false;
    m_targetLink.serialPolling = false;
    m_targetLink.performanceFrequency = 1000000000; // QElapsedTimer nanoseconds

    // 4. Console lines and register-model reports reach this window.
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { consolePrint(html); });
    setUpScriptEngine();
    setUpPython();
    setRegisterModelReporter([](const QString &message) { reportError(message); });
    connect(m_panel, &Panel::xmlFileChanged, this, &MainWindow::showPanelFile);
    connect(m_panel, &Panel::forumToolTipChanged, this, [this](const QString &text) {
        if (m_forumButton)
            m_forumButton->setToolTip(text.isEmpty() ? tr("Forum") : text);
    });

    // 5. Error reporter sinks and the console log file.
    m_run.quiet = options.quiet;
    m_run.endsAfterStartUp = options.save || options.generate || options.exitAfterKeil;
    ErrorReporter::instance().setSinks(!m_run.quiet, m_run.quiet, !options.consoleLog.isEmpty());
    // The console itself copies its lines to standard error (consolePrint).
    ErrorReporter::instance().setEchoConsoleToStandardError(false);
    openLogFile(options.consoleLog);
    // A build script that asked for a log must not get a run without one.
    if (m_run.endsAfterStartUp && !options.consoleLog.isEmpty() && !ErrorReporter::instance().logFile().isOpen())
        m_startUp->exitNonInteractive(1);

    // 6. User state.
    readSettings();

    // 7.
    m_panel->setDefaultDisclaimer(QStringLiteral("disclaimer.txt"));
    m_panel->editHeader().documentsPath = QStringLiteral("Documentation");

    // 8.
    m_run.definesText = options.defines;
    m_run.includePaths = options.includePaths;
    m_settings.keil = options.keil;
    m_settings.harbikToolId.clear();

    // 9. settings.ini switches; may name the file to open.
    QString fileToOpen = options.file;
    readSettingsIni(fileToOpen);

    // 10.
    m_run.batchFile = options.batchFile;
    m_run.outputLog = options.outputLog;
    m_run.generate = options.generate;
    m_run.saveRequested = options.save;
    m_closeMode = CloseMode::Ask;
    m_fullScreen = false;

    // 11.
    createGui();

    // 12.
    m_wasMaximized = isMaximized();

    // 13.
    m_unresolvedDialog = new UnresolvedDialog(this);
    m_diffDialog = new DiffDialog(this);
    connect(m_unresolvedDialog, &UnresolvedDialog::defineActivated, m_elementFinder.get(),
            &WindowElementFinder::raiseDefine);
    connect(m_diffDialog, &DiffDialog::defineActivated, m_elementFinder.get(), &WindowElementFinder::raiseDefine);
    m_lockDialog = new LockDialog(this);
    m_panel->locks().setLockGraph(m_lockDialog);
    m_lockDialog->setActivation([this](ActiveElement *element) { m_elementFinder->raiseElement(element); });
    m_lockDialog->setToolTipSource([this](ActiveElement *element) { return registerToolTip(element); });

    // 14.
    setWindowTitle(QStringLiteral("Quillmate [*]"));

    // 15.-16. Keil tools menu.
    m_integration->cleanUpKeilEntries();
    if (m_settings.keil)
        m_integration->runKeilStep();

    // 17. The file named on the command line (or by loadonstart). A -b run
    // that was given a file it cannot use runs with the home panel, and the
    // failed open counts against the run.
    m_run.batchRunStarting = !m_run.batchFile.isEmpty();
    // Runs that end by themselves, and batch runs, keep the window hidden
    // until they are done.
    if (options.showBeforeOpen && !fileToOpen.isEmpty() && !m_run.endsAfterStartUp && m_run.batchFile.isEmpty())
        m_startUp->showAndPaintBeforeOpen();
    const bool fileOpened = m_startUp->openFileArgument(fileToOpen);
    m_run.batchRunStarting = false;
    if (!m_run.batchFile.isEmpty() && !fileToOpen.isEmpty() && !fileOpened)
        m_scripts.addScriptErrorBeforeRun();

    // 18.
    if (!m_run.batchFile.isEmpty()) {
        const bool batchFound = QFileInfo(m_run.batchFile).isFile();
        runScriptFile(m_run.batchFile);
        m_run.batchExitCode = m_scripts.exitCode();
        // The script reported the missing file; a run that ends here fails with it.
        if (m_run.endsAfterStartUp && !batchFound)
            m_startUp->exitNonInteractive(1);
        // Without a display nobody can close the window: the run ends here.
        if (m_run.unattended && !m_run.endsAfterStartUp)
            m_startUp->endUnattendedBatchRun();
    }

    // 19. Runs that end here. The -d values go into what they write.
    if (m_run.saveRequested || m_run.generate || options.exitAfterKeil) {
        // A -d item no element takes (unknown, or a value it cannot hold) is
        // a mistake: the run writes nothing and fails.
        if (!m_startUp->applyDefines())
            m_startUp->exitNonInteractive(1);
        m_startUp->runNonInteractiveExits(fileToOpen, fileOpened, options.saveFile, options.exitAfterKeil);
    }

    // 20.
    if (fileToOpen.isEmpty())
        newProject();

    // 21.
    m_startUp->applyDefines();

    // 22.
    m_xmlDialog = nullptr;
}

// The descriptions of the register (and field) an element bound to the SVD
// file stands for; empty when the register model does not have them.
QString MainWindow::registerToolTip(ActiveElement *element) const
{
    if (!element || element->elementProperty("svd").toString().isEmpty())
        return QString();
    const QString path = PanelNames::getObjectName(element);
    ModuleRecord *module = m_panel->getModule(PanelNames::getModuleName(path));
    RegisterRecord *reg = module ? module->getRegister(PanelNames::getRegisterName(path)) : nullptr;
    if (!reg)
        return QString();
    QString tip = reg->description;
    const QString fieldName = PanelNames::getFieldName(path);
    if (FieldRecord *field = fieldName.isEmpty() ? nullptr : reg->getField(fieldName))
        tip += QLatin1Char('\n') + field->description;
    return tip;
}

MainWindow::~MainWindow()
{
    WriteGuard::clearProtectedFiles(this);
    // The polling threads read the window's lists: they stop before anything goes.
    stopPollingThreads();
    delete m_targetLink.seggerThread;
    m_targetLink.seggerThread = nullptr;
    delete m_targetLink.serialComThread;
    m_targetLink.serialComThread = nullptr;

    // The panel's widgets go while the window they report to is still whole:
    // an editor closed with them may still record a line or mark a change.
    delete m_xmlDialog.data();
    m_panel->clear();
    // Deleted in place: taken out of the window first, every widget of a
    // large panel would take the application's style afresh before it goes.
    deletePanelWidget(centralWidget());

    delete m_targetLink.tykLink;
    m_targetLink.tykLink = nullptr;
    delete m_unresolvedDialog;
    m_unresolvedDialog = nullptr;
    delete m_diffDialog;
    m_diffDialog = nullptr;
    // The help's launcher process goes with it.
    m_integration.reset();
    closeLogFile();
    ErrorReporter::instance().setConsoleSink(nullptr);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const CloseMode mode = m_closeMode;
    m_closeMode = CloseMode::Ask;
    switch (mode) {
    case CloseMode::Ask:
    case CloseMode::Save:
        if (mode == CloseMode::Ask ? maybeSave() : save()) {
            writeSettings();
            event->accept();
        } else {
            event->ignore();
        }
        break;
    case CloseMode::Discard:
        event->accept();
        break;
    case CloseMode::Refuse:
        event->ignore();
        break;
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || windowState() != Qt::WindowNoState)
        return;
    auto store = AppPaths::openMainStore();
    if (store->value(QStringLiteral("FirstTimeNormal"), 1).toInt() == 0)
        return;
    QScreen *screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        resize(int(std::lround(available.width() * 0.9)), int(std::lround(available.height() * 0.9)));
    }
    store->setValue(QStringLiteral("FirstTimeNormal"), 0);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    event->accept();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    QString path;
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        path = data->urls().first().toLocalFile();
    else if (data->hasText())
        path = QUrl(data->text().trimmed()).isLocalFile() ? QUrl(data->text().trimmed()).toLocalFile()
                                                          : data->text().trimmed();
    if (!path.isEmpty())
        openDropped(path);
}

bool MainWindow::openDropped(const QString &path)
{
    if (path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
        if (!open(path)) {
            newProject();
            return false;
        }
        initLoadedConfiguration(true);
        return true;
    }
    if (path.endsWith(QLatin1String(".qlmp"), Qt::CaseInsensitive))
        return load(path);
    if (path.endsWith(QLatin1String(".script"), Qt::CaseInsensitive))
        return runScriptFile(path);
    return false;
}

// ---------------------------------------------------------------------------
// What the panel asks of the window

void MainWindow::deleteRetiredPanelWidgets()
{
    const QList<QPointer<QWidget>> retired = std::exchange(m_retiredPanelWidgets, {});
    for (const QPointer<QWidget> &widget : retired)
        delete widget.data();
}

void MainWindow::showPanelFile(const QString &path)
{
    if (!m_fileLabel)
        return;
    QString text = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!m_panel->header().xmlVersion.isEmpty())
        text += QStringLiteral(" - ") + m_panel->header().xmlVersion;
    m_fileLabel->setText(text);
}

void MainWindow::switchFullscreenMode()
{
    if (!m_fullScreen) {
        m_wasMaximized = isMaximized();
        if (m_harbikToolBar)
            m_harbikToolBar->hide();
        if (m_mainToolBar)
            m_mainToolBar->hide();
        showFullScreen();
        m_fullScreen = true;
    } else {
        if (m_harbikToolBar && m_settings.toolbarEnabled)
            m_harbikToolBar->show();
        if (m_mainToolBar)
            m_mainToolBar->show();
        if (m_wasMaximized)
            showMaximized();
        else
            showNormal();
        m_fullScreen = false;
    }
}
