// MainWindow: the three settings stores (per installation, global, settings.ini)
// and the settings dialog.
#include "mainwindow.h"

#include "apppaths.h"
#include "quillpanel.h"
#include "settingsdialog.h"
#include "tyklink.h"
#include "windowconsole.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTextBrowser>
#include <QToolBar>

void MainWindow::readSettings()
{
    auto store = AppPaths::openMainStore();
    const QByteArray geometry = store->value(QStringLiteral("geometry")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        // Without a window manager nothing maximises a window: give it the
        // screen's size too, so it starts filling the screen either way.
        if (QScreen *screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    setWorkingDir(store->value(QStringLiteral("workingDir")).toString());
    setScriptsDir(store->value(QStringLiteral("scriptsDir"),
                               QDir(AppPaths::programDir()).filePath(QStringLiteral("scripts")))
                      .toString());
    m_settings.tykLoggingMode = quint16(store->value(QStringLiteral("TykLoggingMode"), 0).toUInt());
    m_settings.tykLoggingTimeStamps = store->value(QStringLiteral("TykLoggingTimeStamps"), false).toBool();
    m_settings.tykLoggingFilename = store->value(QStringLiteral("TykLoggingFilename")).toString();
    m_settings.toolbarEnabled = store->value(QStringLiteral("ToolbarEnabled"), 1).toInt() != 0;
}

static bool iniBool(const QVariant &value)
{
    // INI values come back as text: "true"/"false", "1"/"0".
    const QString text = value.toString().trimmed();
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number != 0;
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void MainWindow::readSettingsIni(QString &file)
{
    auto ini = AppPaths::openSettingsIni();
    m_settings.settingsIniPath = AppPaths::settingsIniPath();
    const QStringList keys = ini->allKeys();
    for (const QString &key : keys) {
        const QVariant value = ini->value(key);
        const QString name = key.toLower();
        if (name == QLatin1String("enablesign"))
            m_settings.switches.enableSign = iniBool(value);
        else if (name == QLatin1String("enablevalidate"))
            m_settings.switches.enableValidate = iniBool(value);
        else if (name == QLatin1String("enableshowlocks"))
            m_settings.switches.enableShowLocks = iniBool(value);
        else if (name == QLatin1String("enableshowsvdtree"))
            m_settings.switches.enableShowSvdTree = iniBool(value);
        else if (name == QLatin1String("enableshowportmapping"))
            m_settings.switches.enableShowPortMapping = quint16(value.toString().trimmed().toUInt());
        else if (name == QLatin1String("enableeditgui"))
            m_settings.switches.enableEditGui = iniBool(value);
        else if (name == QLatin1String("enablegeneratexmlfromsvd"))
            m_settings.switches.enableGenerateXmlFromSvd = iniBool(value);
        else if (name == QLatin1String("enablekeil"))
            m_settings.keil = iniBool(value);
        else if (name == QLatin1String("integrateviaharbik"))
            m_settings.harbikToolId = value.toString();
        else if (name == QLatin1String("enablescriptrecording"))
            m_settings.switches.enableScriptRecording = iniBool(value);
        else if (name == QLatin1String("enablefullscreen"))
            m_settings.switches.enableFullscreen = iniBool(value);
        else if (name == QLatin1String("checkfwversiononload"))
            m_settings.switches.checkFwVersionOnLoad = iniBool(value);
        else if (name == QLatin1String("loadonstart")) {
            if (file.isEmpty())
                file = AppPaths::normalizePanelPath(value.toString());
        } else if (name == QLatin1String("externaleditor"))
            m_settings.switches.externalEditor = value.toString();
        else if (name == QLatin1String("disableproductstatestorage"))
            m_settings.switches.disableProductStateStorage = iniBool(value);
    }
}

void MainWindow::writeSettings()
{
    auto store = AppPaths::openMainStore();
    if (!m_fullScreen)
        store->setValue(QStringLiteral("geometry"), saveGeometry());
    store->setValue(QStringLiteral("workingDir"), m_settings.workingDir);
}

void MainWindow::setWorkingDir(const QString &dir)
{
    if (!dir.isEmpty())
        QDir::setCurrent(dir);
    // The store holds the folder since it was last set here: the same folder
    // again (every open, save and load) would only sync the store to disk.
    if (dir != m_settings.workingDir)
        AppPaths::openMainStore()->setValue(QStringLiteral("workingDir"), dir);
    m_settings.workingDir = dir;
}

void MainWindow::setScriptsDir(const QString &dir)
{
    AppPaths::openMainStore()->setValue(QStringLiteral("scriptsDir"), dir);
    m_settings.scriptsDir = dir;
    m_settings.lastDir = dir;
}

void MainWindow::applySettings(quint16 loggingMode, bool timeStamps, QString logFile,
                               unsigned updatePeriod, bool toolbarOn)
{
    {
        auto store = AppPaths::openMainStore();
        store->setValue(QStringLiteral("TykLoggingMode"), loggingMode);
        store->setValue(QStringLiteral("TykLoggingTimeStamps"), timeStamps);
        store->setValue(QStringLiteral("TykLoggingFilename"), logFile);
        store->setValue(QStringLiteral("UpdatePeriod"), updatePeriod);
        store->setValue(QStringLiteral("ToolbarEnabled"), toolbarOn ? 1 : 0);
    }
    m_settings.tykLoggingMode = loggingMode;
    m_settings.tykLoggingTimeStamps = timeStamps;
    m_settings.tykLoggingFilename = logFile;
    if (m_console)
        m_console->scrollToEnd();
    if (toolbarOn != m_settings.toolbarEnabled) {
        m_settings.toolbarEnabled = toolbarOn;
        if (m_harbikToolBar)
            m_harbikToolBar->setVisible(toolbarOn && !m_fullScreen);
    }
}

void MainWindow::showSettingsDialog()
{
    auto store = AppPaths::openMainStore();
    const unsigned updatePeriod = store->value(QStringLiteral("UpdatePeriod"), 2).toUInt();
    const bool toolbarOn = store->value(QStringLiteral("ToolbarEnabled"), 1).toInt() != 0;
    store.reset();

    SettingsDialog dialog(this);
    dialog.setWorkingDirText(QDir(m_settings.workingDir).absolutePath());
    dialog.setScriptsDir(QDir(m_settings.scriptsDir).absolutePath());
    dialog.setValues(m_settings.tykLoggingMode, m_settings.tykLoggingTimeStamps, m_settings.tykLoggingFilename, updatePeriod);
    dialog.setToolbarChecked(toolbarOn);
    dialog.exec();
}
