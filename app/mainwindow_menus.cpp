// MainWindow: the actions, the launcher and main tool bars with the File and
// Extras menus, the status bar, the application-notes menu and the small
// window slots the menus reach.
#include "mainwindow.h"

#include "apppaths.h"
#include "diffdialog.h"
#include "errorreporter.h"
#include "inputfile.h"
#include "oldheader.h"
#include "lockdialog.h"
#include "quillpanel.h"
#include "tykvalueexchange.h"
#include "prompt.h"
#include "svddialog.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTextStream>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

// ---------------------------------------------------------------------------
// Actions

namespace {

// What one command looks like; every command is an action of the window.
struct ActionLook {
    const char *text;
    const char *statusTip;
    QKeySequence keys = {};
    const char *icon = nullptr;
};

template <typename Slot>
QAction *makeAction(MainWindow *window, const ActionLook &look, Slot slot)
{
    auto *action = new QAction(MainWindow::tr(look.text), window);
    action->setStatusTip(MainWindow::tr(look.statusTip));
    if (look.icon)
        action->setIcon(QIcon(QLatin1String(look.icon)));
    if (!look.keys.isEmpty())
        action->setShortcut(look.keys);
    QObject::connect(action, &QAction::triggered, window, slot);
    return action;
}

} // namespace

void MainWindow::createActions()
{
    m_actions.homeAct = makeAction(this, {"&Home...", "Back to main selection of XMLs.", QKeySequence::New,
                                ":/images/home-page.png"},
                         &MainWindow::newProject);
    m_actions.loadAct = makeAction(this, {"&Load...", "Load configuration file (values entered before and the "
                                            "matching hardware description).", {}, ":/images/open.png"},
                         qOverload<>(&MainWindow::load));
    m_actions.saveAct = makeAction(this, {"&Save...", "Save configuration file (the values entered by the user).",
                                QKeySequence::Save, ":/images/save.png"},
                         &MainWindow::save);
    m_actions.saveAsAct = makeAction(this, {"&Save as...", "Save the configuration file (values entered) as...",
                                  QKeySequence::SaveAs},
                           &MainWindow::saveAs);
    m_actions.exportHeaderFilesAct = makeAction(
        this, {"&Export header files", "Export header files describing a certain hardware configuration."},
        qOverload<>(&MainWindow::exportHeaderFiles));
    m_actions.exportHeaderFilesAct->setEnabled(false);
    m_actions.exitAct = makeAction(this, {"E&xit", "Close the Quillmate.", QKeySequence::Quit}, &MainWindow::close);
    m_actions.settingsAct = makeAction(this, {"&Settings...", "Edit global settings for Quillmate."},
                             &MainWindow::showSettingsDialog);
    m_actions.openAct = makeAction(this, {"&Open XML...", "Open a XML describing a hardware.", QKeySequence::Open},
                         qOverload<>(&MainWindow::open));
    m_actions.reopenAct = makeAction(this, {"&Reopen XML", "Reopen last XML (all elements are set back to their "
                                                 "initial values).", QKeySequence(Qt::CTRL + Qt::Key_R)},
                           &MainWindow::reopen);
    if (m_settings.switches.enableSign)
        m_actions.signAct = makeAction(this, {"&Sign configuration file...", "Calculate the checksum for a given XML "
                                    "description file and save it to this file."},
                             &MainWindow::signFile);
    if (m_settings.switches.enableValidate)
        m_actions.validateAct = makeAction(this, {"&Validate XML...", "Check a given XML description file for "
                                                            "correct syntax."},
                                 &MainWindow::validateDefines);
    if (m_settings.switches.enableShowLocks)
        m_actions.showLocksAct = makeAction(this, {"&Show locks", "Show all locks existing in current XML (for "
                                                        "development of XMLs only)."},
                                  &MainWindow::showLocks);
    if (m_settings.switches.enableShowSvdTree)
        m_actions.showSvdTreeAct = makeAction(this, {"&Show SVD tree", "Show the SVD as a tree"},
                                    &MainWindow::showSvdTree);
    if (m_settings.switches.enableShowPortMapping != 0) {
        m_actions.showPortMappingAct = makeAction(this, {"&Show Port mapping", "Show how the ports of the device "
                                               "are mapped.", QKeySequence(Qt::CTRL + Qt::Key_P)},
                                        [this] { m_pinMapping->openPortMappingDialog(); });
        m_actions.showPortMappingAct->setEnabled(false);
    }
    m_actions.searchAct = makeAction(this, {"&Search GUI element...", "Search for a GUI element in the current "
                                  "loaded XML. Opens the element.", QKeySequence::Find},
                           [this] { m_elementFinder->search(); });
    m_actions.showDifferencesAct = makeAction(this, {"&Show differences...", "Show differences of values compared "
                                                                   "to an qlmp file."},
                                    &MainWindow::showDifferences);
    if (m_settings.keil)
        m_actions.integrateKeilAct = makeAction(this, {"&Integrate into Keil µVision...",
                                             "Integrate Quillmate into Keil µVision."},
                                      [this] { m_integration->integrateKeil(); });
    m_actions.expandAct = makeAction(this, {"&Expand branch", "Expand branch and sub-branches currently marked.",
                                  QKeySequence(Qt::CTRL + Qt::Key_Plus), ":/images/zoomin.png"},
                           &MainWindow::expandBranch);
    m_actions.collapseAct = makeAction(this, {"&Collapse branch", "Collapse branch and sub-branches currently marked.",
                                    QKeySequence(Qt::CTRL + Qt::Key_Minus), ":/images/zoomout.png"},
                             &MainWindow::collapseBranch);
    m_actions.getTykVersionAct = makeAction(this, {"Get Tyk &version", "Get the firmware version of the currently "
                                                             "plugged in Tyk."},
                                  [this] { m_tykAdapter->queryFirmwareVersion(false); });
    m_actions.updateTykAct = makeAction(this, {"&Update Tyk...", "Update the firmware of the currently plugged in "
                                     "Tyk. A valid firmware file is neccessary to do this."},
                              [this] { m_tykAdapter->updateFirmware(); });
    m_actions.runScriptAct = makeAction(this, {"&Run script file...", "Run a script file to automate operation."},
                              &MainWindow::runBatchfile);
    if (m_settings.switches.enableScriptRecording) {
        m_actions.recordScriptAct = makeAction(this, {"&Record script...", "Record user actions to Script file.",
                                            QKeySequence(Qt::CTRL + Qt::Key_M)},
                                     &MainWindow::startStopRecording);
        // Inside the script input Ctrl+A stays select-all: the editor claims
        // the key before window shortcuts see it.
        m_actions.addScriptCommandAct = makeAction(this, {"&Add script command...", "Add a command to Script file.",
                                                QKeySequence(Qt::CTRL + Qt::Key_A)},
                                         &MainWindow::addRecordCmd);
        m_actions.addScriptCommandAct->setEnabled(false);
    }
    if (m_settings.switches.enableFullscreen) {
        m_actions.fullscreenAct = makeAction(this, {"Fullscreen", "Switch to/from fullscreen mode.",
                                          QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_F)},
                                   &MainWindow::switchFullscreenMode);
        m_actions.fullscreenAct->setCheckable(true);
        // The tool bars are hidden in full screen; the window keeps the key working.
        addAction(m_actions.fullscreenAct);
    }
    if (m_settings.switches.enableGenerateXmlFromSvd)
        m_actions.generateXmlAct = makeAction(this, {"Generate XML from SVD", "Generate an XML file from SVD as base "
                                                                    "for a GUI."},
                                    &MainWindow::generateXMLFromSVD);
    if (m_settings.switches.enableEditGui)
        m_actions.editGuiAct = makeAction(this, {"Edit the GUI", "Edit the GUI.", QKeySequence(Qt::CTRL + Qt::Key_E)},
                                &MainWindow::editGUI);
    m_actions.clearConsoleAct = makeAction(this, {"Clear console", "Clear the console."}, &MainWindow::clearConsole);

    // Object names, by which tests and tools find the actions; an action
    // whose settings.ini switch is off does not exist.
    const std::pair<QAction *, const char *> names[] = {
        {m_actions.homeAct, "homeAction"},
        {m_actions.loadAct, "loadAction"},
        {m_actions.saveAct, "saveAction"},
        {m_actions.saveAsAct, "saveAsAction"},
        {m_actions.exportHeaderFilesAct, "exportHeaderFilesAction"},
        {m_actions.exitAct, "exitAction"},
        {m_actions.settingsAct, "settingsAction"},
        {m_actions.openAct, "openAction"},
        {m_actions.reopenAct, "reopenAction"},
        {m_actions.signAct, "signAction"},
        {m_actions.validateAct, "validateAction"},
        {m_actions.showLocksAct, "showLocksAction"},
        {m_actions.showSvdTreeAct, "showSvdTreeAction"},
        {m_actions.showPortMappingAct, "showPortMappingAction"},
        {m_actions.searchAct, "searchAction"},
        {m_actions.showDifferencesAct, "showDifferencesAction"},
        {m_actions.integrateKeilAct, "integrateKeilAction"},
        {m_actions.expandAct, "expandAction"},
        {m_actions.collapseAct, "collapseAction"},
        {m_actions.getTykVersionAct, "getTykVersionAction"},
        {m_actions.updateTykAct, "updateTykAction"},
        {m_actions.runScriptAct, "runScriptAction"},
        {m_actions.recordScriptAct, "recordScriptAction"},
        {m_actions.addScriptCommandAct, "addScriptCommandAction"},
        {m_actions.fullscreenAct, "fullscreenAction"},
        {m_actions.generateXmlAct, "generateXmlAction"},
        {m_actions.editGuiAct, "editGuiAction"},
        {m_actions.clearConsoleAct, "clearConsoleAction"},
    };
    for (const auto &[action, name] : names) {
        if (action)
            action->setObjectName(QLatin1String(name));
    }
}

// What opening a panel enables.
void MainWindow::updatePanelActions()
{
    if (m_actions.exportHeaderFilesAct)
        m_actions.exportHeaderFilesAct->setEnabled(headerFilesToExport());
    if (m_actions.homeAct)
        m_actions.homeAct->setEnabled(true);
    if (m_forumButton)
        m_forumButton->setVisible(!m_panel->header().forumUrl.isEmpty());
    for (QAction *action : {m_actions.loadAct, m_actions.saveAsAct, m_actions.saveAct, m_actions.showDifferencesAct}) {
        if (action)
            action->setEnabled(m_panel->header().loadSaveAllowed);
    }
}

// The home panel of a new project has nothing to save or export.
void MainWindow::updateHomeActions()
{
    if (m_forumButton)
        m_forumButton->setVisible(!m_panel->header().forumUrl.isEmpty());
    for (QAction *action : {m_actions.exportHeaderFilesAct, m_actions.homeAct, m_actions.saveAsAct, m_actions.saveAct, m_actions.showDifferencesAct}) {
        if (action)
            action->setEnabled(false);
    }
}

// ---------------------------------------------------------------------------
// Tool bars

namespace {

QPushButton *makeLauncherButton(const QString &toolTip, const char *icon, QSize size, QSize iconSize)
{
    auto *button = new QPushButton;
    button->setToolTip(toolTip);
    button->setIcon(QIcon(QLatin1String(icon)));
    button->setFixedSize(size);
    button->setIconSize(iconSize);
    return button;
}

QToolBar *makeToolBar(QMainWindow *window, const QString &objectName, int height)
{
    auto *bar = new QToolBar(window);
    bar->setObjectName(objectName);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setOrientation(Qt::Horizontal);
    bar->setFixedHeight(height);
    window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

// A drop-down button of the main tool bar; entries are actions, null for a separator.
void addMenuButton(QToolBar *bar, const QString &toolTip, const QString &text, const QString &menuName,
                   const QList<QAction *> &entries)
{
    auto *menu = new QMenu(bar);
    menu->setObjectName(menuName);
    for (QAction *action : entries) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
    auto *button = new QToolButton(bar);
    button->setFixedHeight(30);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(toolTip);
    button->setText(text);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    button->setFixedWidth(button->sizeHint().width());
    bar->addWidget(button);
}

} // namespace

void MainWindow::createToolBars()
{
    m_harbikToolBar = makeToolBar(this, QStringLiteral("harbikToolBar"), 60);
    if (!m_settings.toolbarEnabled)
        m_harbikToolBar->hide();

    auto *logo = new QLabel;
    logo->setFixedSize(125, 40);
    logo->setStyleSheet(QStringLiteral("margin-left: 1em;"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/harbik.png")));
    logo->setScaledContents(true);
    m_harbikToolBar->addWidget(logo);

    auto *title = new QLabel(QStringLiteral("Quillmate"));
    title->setStyleSheet(QStringLiteral(
        "font-family: 'Source Sans Pro'; color: #928285; vertical-align: middle; "
        "font-weight: 500; font-size: 30px; margin-left: 0.5em;"));
    m_harbikToolBar->addWidget(title);

    auto *spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_harbikToolBar->addWidget(spacer);

    m_appNotesButton = makeLauncherButton(tr("App Notes"), ":/images/document.png", {45, 35}, {25, 25});
    m_appNotesButton->setObjectName(QStringLiteral("appNotesMenuButton"));
    m_actions.appNotesAction = m_harbikToolBar->addWidget(m_appNotesButton);
    m_actions.appNotesAction->setObjectName(QStringLiteral("appNotesBarAction"));
    // No panel, no notes: the button shows once a panel brings documents.
    m_actions.appNotesAction->setVisible(false);

    auto *helpButton = makeLauncherButton(tr("Help"), ":/images/help.png", {45, 35}, {27, 27});
    helpButton->setObjectName(QStringLiteral("helpButton"));
    connect(helpButton, &QPushButton::pressed, m_integration.get(), &WindowIntegration::showHelp);
    m_harbikToolBar->addWidget(helpButton);

    m_forumButton = makeLauncherButton(tr("Forum"), ":/images/Forum.png", {30, 35}, {27, 27});
    connect(m_forumButton, &QPushButton::pressed, this, &MainWindow::showForum);
    m_harbikToolBar->addWidget(m_forumButton);

    m_mainToolBar = makeToolBar(this, QStringLiteral("toolBar"), 30);
    auto *indent = new QWidget;
    indent->setFixedWidth(13);
    m_mainToolBar->addWidget(indent);

    addMenuButton(m_mainToolBar, tr("File"), tr("&File"), QStringLiteral("fileMenu"),
                  {m_actions.homeAct, nullptr, m_actions.loadAct, nullptr, m_actions.saveAct, m_actions.saveAsAct, nullptr, m_actions.exitAct,
                   m_actions.exportHeaderFilesAct});

    QList<QAction *> extras = {m_actions.settingsAct, nullptr, m_actions.openAct, m_actions.reopenAct, nullptr, m_actions.searchAct,
                               m_actions.showDifferencesAct, m_actions.expandAct, m_actions.collapseAct, nullptr, m_actions.getTykVersionAct,
                               m_actions.updateTykAct, nullptr, m_actions.runScriptAct};
    // The switched entries: each only when its switch created it.
    for (QAction *action : {m_actions.recordScriptAct, m_actions.addScriptCommandAct, m_actions.signAct, m_actions.validateAct, m_actions.showLocksAct,
                            m_actions.showSvdTreeAct, m_actions.showPortMappingAct, m_actions.fullscreenAct}) {
        if (action)
            extras << action;
    }
    if (m_actions.generateXmlAct)
        extras << nullptr << m_actions.generateXmlAct;
    if (m_actions.editGuiAct) {
        if (!m_actions.generateXmlAct)
            extras << nullptr;
        extras << m_actions.editGuiAct;
    }
    addMenuButton(m_mainToolBar, tr("Extras"), tr("&Extras"), QStringLiteral("extrasMenu"), extras);
}

// ---------------------------------------------------------------------------
// Status bar

void MainWindow::createStatusBar()
{
    statusBar()->setAutoFillBackground(true);

    // The launcher installs the program inside a bundle whose manifest lies one level up.
    const QString manifest = QDir(AppPaths::programDir()).filePath(QStringLiteral("../META-INF/MANIFEST.MF"));
    QString text;
    if (!QFile::exists(manifest)) {
        text = tr("Quillmate - Unsupported Version (Use the Orvanta Harbik to get support)");
    } else {
        QString version = QStringLiteral("Unknown");
        QFile file(manifest);
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            const QStringList lines = QTextStream(&file).readAll().split(QLatin1Char('\n'));
            const QLatin1String separator(": ");
            for (const QString &line : lines) {
                const int value = line.indexOf(separator);
                const QString rest = value < 0 ? QString() : line.mid(value + separator.size());
                if (line.contains(QLatin1String("Bundle-Version:")))
                    version = rest;
                else if (line.contains(QLatin1String("Bundle-SymbolicName:")))
                    m_integration->setHarbikFeature(rest.section(QLatin1Char(';'), 0, 0) + QStringLiteral(".feature"));
            }
        }
        text = tr("Quillmate - Version %1").arg(version);
    }
    m_versionLabel = new QLabel(text);
    m_versionLabel->setStyleSheet(QStringLiteral("margin-left: 0.5em;"));
    statusBar()->addWidget(m_versionLabel);

    m_fileLabel = new QLabel(tr("Ready"));
    m_fileLabel->setStyleSheet(QStringLiteral("margin-left: 0.1em;"));
    statusBar()->addPermanentWidget(m_fileLabel);
}

// ---------------------------------------------------------------------------
// Forum and differences (application notes: mainwindow_appnotes.cpp)

void MainWindow::showForum()
{
    QDesktopServices::openUrl(QUrl(m_panel->header().forumUrl, QUrl::TolerantMode));
}

void MainWindow::showDifferences()
{
    stopPollingThreads();
    m_tykValues->resetTimeouts();
    const QString file = Prompt::instance().openFileName(this, tr("Open Configuration File"), m_settings.workingDir,
                                                         tr("Configuration Files (*.qlmp)"));
    // Only a project in XML form compares; an older header does not.
    if (file.isEmpty() || !isXmlFile(file))
        return;
    QFile device(file);
    QString openError;
    if (!openInputFile(device, QIODevice::ReadOnly, &openError)) {
        reportCannotOpenFile(file, openError);
        return;
    }
    setWorkingDir(QFileInfo(file).absolutePath());
    // The loader leaves the values alone and fills and shows the dialog.
    QString errorText;
    if (!loadProject(&device, false, &errorText)) {
        logCannotReadFile(file, errorText);
        newProject();
        return;
    }
    m_diffDialog->setFileColumnTitle(QFileInfo(file).fileName());
}

// ---------------------------------------------------------------------------
// The SVD tree and the lock graph, each in a modal dialog.

void MainWindow::showSvdTree()
{
    // Shown without parent and modally; a run without dialogs never shows it.
    if (!Prompt::instance().isInteractive())
        return;
    ShowSvdDialog dialog(m_panel);
    connect(&dialog, &ShowSvdDialog::elementActivated, this,
            [this](ActiveElement *element) { m_elementFinder->raiseElement(element); });
    dialog.exec();
}

void MainWindow::showLocks()
{
    // A modal dialog would stop a run without dialogs.
    if (Prompt::instance().isInteractive())
        m_lockDialog->exec();
}
