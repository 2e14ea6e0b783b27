#include "apppaths.h"
#include "commandline.h"
#include "errorreporter.h"
#include "heaptuning.h"
#include "mainwindow.h"
#include "programversion.h"
#include "prompt.h"
#include "resources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QSettings>

#include <cstdio>

// A scale factor stored by the settings dialog takes effect at the next start,
// unless the environment already sets one.
static void applyStoredScaleFactor()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    const QString ini = QDir(AppPaths::programDirBeforeApplication()).filePath(QStringLiteral("settings.ini"));
    if (!QFile::exists(ini))
        return;
    const QString text = QSettings(ini, QSettings::IniFormat).value(QStringLiteral("ScaleFactor")).toString().trimmed();
    bool ok = false;
    const double factor = text.toDouble(&ok);
    if (ok && factor >= 1.0)
        qputenv("QT_SCALE_FACTOR", text.toUtf8());
}

int main(int argc, char *argv[])
{
    tuneHeapForLargeTexts();
    applyStoredScaleFactor();

    // Runs that end by themselves need no display: without one they take the
    // offscreen platform, also when a display is named but cannot be reached.
    // An interactive start without a display says so and ends, never aborts.
    QStringList startArguments;
    for (int i = 0; i < argc; ++i)
        startArguments << QString::fromLocal8Bit(argv[i]);
    const bool selfEnding = endsByItself(startArguments);
    const bool platformChosen = !qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool displayVariableSet = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platformChosen) {
        const QByteArray platform = startPlatform(!qEnvironmentVariableIsEmpty("DISPLAY"),
                                                  !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), selfEnding);
        if (platform.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(noDisplayMessage(false)));
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", platform);
    }

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication app(argc, argv);
    if (platformChosen) {
        // Programs started from here choose their own platform.
        qunsetenv("QT_QPA_PLATFORM");
        if (!selfEnding && !Prompt::displayAvailable()) {
            std::fprintf(stderr, "%s\n", qPrintable(noDisplayMessage(displayVariableSet)));
            return 1;
        }
    }

    const QDir startDirectory = QDir::current();
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    readProgramVersion();
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta Technologies"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta Quillmate"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(programVersion().majorVersion())
                                                .arg(programVersion().minorVersion())
                                                .arg(programVersion().patchVersion()));
    QCoreApplication::addLibraryPath(QStringLiteral("./"));

    initQuillmateResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/vortal_k.png")));
    QFile styleSheet(QStringLiteral(":/styles/UIElementsStyle.qss"));
    QString styleText;
    if (styleSheet.open(QIODevice::ReadOnly))
        styleText = QString::fromUtf8(styleSheet.readAll());
    app.setStyleSheet(styleText);
    // A platform theme may hand in its font, palette and style sheet through
    // a queued call that would only run in the first event loop pass (qt5ct
    // does). Taken now, before any widget exists: arriving after a panel was
    // built, each would polish every widget of it again under the style sheet.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);

    // Runs that must end by themselves, and runs nobody can see, never wait
    // on a dialog.
    const QStringList arguments = QCoreApplication::arguments();
    const bool unattended = !Prompt::displayAvailable() || Prompt::nonInteractiveRequested();
    if (isNonInteractiveRun(arguments) || unattended)
        Prompt::install(std::make_unique<NonInteractivePrompt>());
    Prompt::setLogSink(appendToLogFile);

    CommandLineOptions options = parseCommandLine(arguments, showUsageBox);
    options.unattended = unattended;
    options.file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    resolveCommandLinePaths(options, startDirectory);

    // A log that would replace what the run reads fails the run before
    // anything is opened.
    const QString scriptsDir = AppPaths::openMainStore()
                                   ->value(QStringLiteral("scriptsDir"),
                                           QDir(AppPaths::programDir()).filePath(QStringLiteral("scripts")))
                                   .toString();
    const QString logRefusal = commandLineLogRefusal(options, scriptsDir);
    if (!logRefusal.isEmpty()) {
        std::fprintf(stderr, "%s\n", logRefusal.toLocal8Bit().constData());
        return 1;
    }

    options.showBeforeOpen = true;
    MainWindow window(options);
    window.show();
    return app.exec();
}
