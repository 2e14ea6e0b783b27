// Measures the open of a panel generated from an SVD file against the open of
// the same panel whose SVD file is not found (the panel copied to another
// folder): that open reads and builds the whole panel, then fails and drops
// it for the home panel. Each open runs in a process of its own, so each peak
// memory is its own:
//   window  the menu's open in a shown window (this program as the child,
//           timed from the open until the event loop is idle),
//   -g      the program writing the panel's headers (the whole run),
//   -s      the program saving a project of the panel (the whole run),
//   LOAD    the program running a script that loads the panel (the whole run).
// For each it prints the time and peak memory of both opens and the ratio
// failed/successful. Best time of R runs (default 3), highest peak.
//
//   failedopen_bench [FILE] [--runs R] [--check]   (default: nrf54l15_application.svd)
//
// --check exits 1 when a failed open takes more than 1.5 times its
// successful open or more peak memory, or a run ends with the wrong exit
// code. BENCH_CPU=1 compares processor time (the child's main thread for the
// window, user + system time of the whole run for the others) instead of the
// wall clock (steadier on a machine that other work keeps busy).

#include "benchtimer.h"
#include "errorreporter.h"
#include "eventloop.h"
#include "heaptuning.h"
#include "mainwindow.h"
#include "svdpanelgeneration.h"
#include "quillpanel.h"
#include "prompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr double ratioBound = 1.5;

struct Measure {
    bool ran = false;
    int exitCode = -1;
    double ms = -1;       // wall clock, or processor time with BENCH_CPU
    long peakKb = 0;
    int elements = 0;     // window runs only
};

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// One child process: its exit code, wall time, processor time and peak
// resident memory (from wait4). Output goes to the log file.
Measure runChild(const QString &program, const QStringList &arguments, const QString &workingDir,
                 const QString &logFile, const QList<QPair<QByteArray, QByteArray>> &environment)
{
    Measure measure;
    std::vector<QByteArray> args;
    args.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        args.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const QByteArray dir = QFile::encodeName(workingDir);
    const QByteArray log = QFile::encodeName(logFile);

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0)
        return measure;
    if (pid == 0) {
        for (const auto &variable : environment) {
            if (variable.second.isNull())
                unsetenv(variable.first.constData());
            else
                setenv(variable.first.constData(), variable.second.constData(), 1);
        }
        const int fd = open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        if (chdir(dir.constData()) != 0)
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return measure;
    const double wall = nowMs() - start;
    measure.ran = true;
    measure.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                       + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    measure.ms = qEnvironmentVariableIsSet("BENCH_CPU") ? cpu : wall;
    measure.peakKb = usage.ru_maxrss;
    return measure;
}

void keepBest(Measure &best, const Measure &run)
{
    if (!run.ran)
        return;
    const long peak = std::max(best.peakKb, run.peakKb);
    if (!best.ran || run.ms < best.ms)
        best = run;
    best.peakKb = peak;
}

// The window form, run as this program's child: the menu's open in a shown
// window (the file chosen in the open dialog, the SVD file's dialog
// cancelled), until the event loop is idle. Writes "ms elements" into the
// result file; exits 0 when the open succeeded, 1 when it failed.
int windowChild(QApplication &app, const QString &panelFile, const QString &resultFile)
{
    Q_UNUSED(app)
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList{panelFile}));
    ErrorReporter::instance().setSinks(false, false, false);
    MainWindow window{CommandLineOptions()};
    window.resize(1200, 800);
    window.show();
    runUntilIdle();

    BenchTimer timer;
    timer.start();
    window.open();
    runUntilIdle();
    const qint64 ns = timer.nsecsElapsed();
    const bool opened = QFileInfo(window.panel()->header().xmlFile).fileName() == QFileInfo(panelFile).fileName();
    QFile result(resultFile);
    if (result.open(QIODevice::WriteOnly | QIODevice::Truncate))
        result.write(QByteArray::number(double(ns) / 1e6, 'f', 2) + ' '
                     + QByteArray::number(window.panel()->getAllElements().size()) + '\n');
    result.close();
    std::fflush(nullptr);
    // The process ends here: its teardown is not part of the open.
    std::_Exit(opened ? 0 : 1);
}

void printRow(const char *form, const Measure &found, const Measure &missing, bool &boundMet)
{
    const double ratio = found.ms > 0 ? missing.ms / found.ms : 0;
    const bool met = found.ran && missing.ran && ratio <= ratioBound && missing.peakKb <= found.peakKb;
    boundMet = boundMet && met;
    std::printf("%-7s found: %9.0f ms %7.0f MB (exit %d) | SVD missing: %9.0f ms %7.0f MB (exit %d) | "
                "ratio %.2f%s\n",
                form, found.ms, double(found.peakKb) / 1024.0, found.exitCode, missing.ms,
                double(missing.peakKb) / 1024.0, missing.exitCode, ratio, met ? "" : "  OVER THE BOUND");
}

} // namespace

int main(int argc, char **argv)
{
    // As the program itself runs.
    tuneHeapForLargeTexts();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == QLatin1String("--window-child"))
        return windowChild(app, args.at(1), args.at(2));

    QString path = QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd");
    int runs = 3;
    bool check = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else if (args.at(i) == QLatin1String("--check"))
            check = true;
        else
            path = QFileInfo(args.at(i)).absoluteFilePath();
    }
    if (!QFileInfo(path).isFile()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 2;
    }

    // found/: the generated panel beside its SVD file; missing/: the same
    // panel alone. The program's own folder (with its home panel) serves
    // every run; settings go into a folder of the bench's own.
    QTemporaryDir root;
    const QDir rootDir(root.path());
    for (const char *folder : {"found", "missing", "config"})
        rootDir.mkpath(QLatin1String(folder));
    const QString config = rootDir.filePath(QStringLiteral("config"));
    const QString programDir = QFileInfo(QStringLiteral(QUILLMATE_PROGRAM)).absolutePath();
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("QUILLMATE_APPDIR", programDir.toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    ErrorReporter::instance().setSinks(false, false, false);

    QString panelName;
    {
        const QString found = rootDir.filePath(QStringLiteral("found"));
        QDir::setCurrent(found);
        const QString svd = QFileInfo(path).fileName();
        QFile::copy(path, svd);
        MainWindow window{CommandLineOptions()};
        if (!generatePanelFromSvd(window.panel(), svd, true)) {
            std::fprintf(stderr, "no panel was generated from %s\n", qPrintable(path));
            return 2;
        }
        panelName = QFileInfo(svd).baseName() + QStringLiteral("_Generated.xml");
    }
    for (const char *folder : {"found", "missing"}) {
        const QDir dir(rootDir.filePath(QLatin1String(folder)));
        if (QLatin1String(folder) == QLatin1String("missing"))
            QFile::copy(rootDir.filePath(QStringLiteral("found/") + panelName), dir.filePath(panelName));
        QFile disclaimer(dir.filePath(QStringLiteral("disclaimer.txt")));
        if (disclaimer.open(QIODevice::WriteOnly))
            disclaimer.write("/* bench */\n");
        QFile script(dir.filePath(QStringLiteral("load.script")));
        if (script.open(QIODevice::WriteOnly))
            script.write("LOAD(" + QFile::encodeName(dir.filePath(panelName)) + ")\nEXIT(0)\n");
    }
    QDir::setCurrent(root.path());

    const QList<QPair<QByteArray, QByteArray>> environment{
        {"QT_QPA_PLATFORM", "offscreen"},
        {"XDG_CONFIG_HOME", config.toUtf8()},
        {"QUILLMATE_APPDIR", programDir.toUtf8()},
        {"QUILLMATE_NONINTERACTIVE", QByteArray()}};
    const QString log = rootDir.filePath(QStringLiteral("runs.log"));
    const QString self = QCoreApplication::applicationFilePath();
    const QString program = QStringLiteral(QUILLMATE_PROGRAM);

    enum Form { Window, Generate, Save, Load, FormCount };
    const char *formNames[FormCount] = {"window", "-g", "-s", "LOAD"};
    Measure best[FormCount][2];
    int elements = 0;
    for (int r = 0; r < runs; ++r) {
        for (int form = 0; form < FormCount; ++form) {
            for (int missing = 0; missing < 2; ++missing) {
                const QString dir = rootDir.filePath(QLatin1String(missing ? "missing" : "found"));
                const QString panel = QDir(dir).filePath(panelName);
                const QString result = rootDir.filePath(QStringLiteral("window.result"));
                Measure run;
                switch (Form(form)) {
                case Window:
                    QFile::remove(result);
                    run = runChild(self, {QStringLiteral("--window-child"), panel, result}, dir, log, environment);
                    if (run.ran) {
                        // The open itself, without the program's start and the window's first show.
                        QFile file(result);
                        const QList<QByteArray> parts =
                            file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split(' ') : QList<QByteArray>();
                        run.ms = parts.size() == 2 ? parts.at(0).toDouble() : -1;
                        run.elements = parts.size() == 2 ? parts.at(1).toInt() : 0;
                        if (!missing)
                            elements = run.elements;
                    }
                    break;
                case Generate:
                    run = runChild(program, {QStringLiteral("-g"), panel}, dir, log, environment);
                    break;
                case Save:
                    QFile::remove(QDir(dir).filePath(QStringLiteral("bench.qlmp")));
                    run = runChild(program, {QStringLiteral("-s") + QDir(dir).filePath(QStringLiteral("bench.qlmp")), panel},
                                   dir, log, environment);
                    break;
                case Load:
                    run = runChild(program, {QStringLiteral("-q"), QStringLiteral("-b") + QDir(dir).filePath(QStringLiteral("load.script"))},
                                   dir, log, environment);
                    break;
                default:
                    break;
                }
                keepBest(best[form][missing], run);
            }
        }
    }

    std::printf("file: %s, %d elements in the opened panel; best of %d, highest peak\n", qPrintable(path), elements,
                runs);
    bool boundMet = true;
    bool exitCodes = true;
    for (int form = 0; form < FormCount; ++form) {
        printRow(formNames[form], best[form][0], best[form][1], boundMet);
        exitCodes = exitCodes && best[form][0].exitCode == 0 && best[form][1].exitCode == 1;
    }
    std::printf("bound: failed open <= %.1f x the successful open, no more peak memory: %s%s\n", ratioBound,
                boundMet ? "met" : "NOT MET", exitCodes ? "" : "; an exit code is wrong (found 0, missing 1 expected)");
    if (!exitCodes) {
        QFile runLog(log);
        if (runLog.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s\n", runLog.readAll().right(4000).constData());
    }
    if (check && (!boundMet || !exitCodes))
        return 1;
    return 0;
}
