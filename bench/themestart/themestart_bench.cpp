// Measures the program's start with a large panel under a platform theme
// against the same start without one, side by side: the real program as a
// child process opens the panel named on its command line and runs a short
// batch script that lets the event loop run (WAIT) and ends (EXIT), so work
// the theme hands in through the event loop after the panel was built is
// part of the figure. Panels: generated ones of N value elements, and the
// panel generated from the 800 KB SVD fixture (nrf51.svd).
//
//   themestart_bench [--check] [N ...] [--runs R]     (default: 34000, best of 3)
//
// BENCH_THEME names the platform theme (default "qt5ct"); the child runs on
// the offscreen platform unless BENCH_DISPLAY=1 keeps the environment's.
// Prints per panel: the start without the theme, with it, and the ratio
// (goal: at most 1.2; --check exits with 5 when a ratio is above it).
#include "mainwindow.h"
#include "prompt.h"
#include "svdxmlgenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const int elementsPerGrid = 40;
const int elementsPerTab = 200;

// A mix of check boxes, spin boxes and hex spin boxes in grids on tabs, every
// second one on a bit of a register, as the open benchmark builds them.
QString generatedPanel(int n)
{
    QString panel;
    QTextStream p(&panel);
    p << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
      << "<checksum>" << QString(64, QLatin1Char('0')) << "</checksum>\n"
      << "<version label=\"1.0.0\"/>\n<tabcontainer label=\"Bench\">\n";
    for (int i = 0; i < n; ++i) {
        if (i % elementsPerTab == 0)
            p << "<verticalcontainer label=\"Page " << i / elementsPerTab << "\">\n";
        if (i % elementsPerGrid == 0)
            p << "<header file=\"bench" << (i / elementsPerGrid) % 2 << ".h\"><gridcontainer columns=\"4\">\n";
        const QString define = (i % 2 == 0)
            ? QStringLiteral("REG%1.CTRL[%2:%2]").arg(i / elementsPerGrid).arg((i % elementsPerGrid) / 2)
            : QStringLiteral("PLAIN_%1").arg(i);
        switch (i % 3) {
        case 0:
            p << "<checkbox define=\"" << define << "\" label=\"Option " << i << "\"/>\n";
            break;
        case 1:
            p << "<spinbox define=\"" << define << "\" range=\"0;1\" default=\"1\"/>\n";
            break;
        default:
            p << "<hexspinbox define=\"" << define << "\" range=\"0x0;0x1\" default=\"0x0\"/>\n";
            break;
        }
        if (i % elementsPerGrid == elementsPerGrid - 1 || i == n - 1)
            p << "</gridcontainer></header>\n";
        if (i % elementsPerTab == elementsPerTab - 1 || i == n - 1)
            p << "</verticalcontainer>\n";
    }
    p << "</tabcontainer>\n</zelmlcfg>\n";
    MainWindow::insertChecksum(panel);
    return panel;
}

// The panel generated from the SVD fixture, written into dir beside a copy of
// the SVD file it names; its path, or empty when the generation failed.
QString svdPanel(const QDir &dir)
{
    const QString svdName = QStringLiteral("nrf51.svd");
    if (!QFile::copy(QDir(QStringLiteral(SVD_FIXTURE_DIR)).filePath(svdName), dir.filePath(svdName)))
        return QString();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    MainWindow window{CommandLineOptions()};
    QFile svd(svdName);
    bool ok = svd.open(QIODevice::ReadOnly | QIODevice::Text);
    SvdXmlGenerator generator(window.panel());
    ok = ok && generator.generate(&svd);
    svd.close();
    const QString output = ok ? dir.filePath(generator.outputName()) : QString();
    if (ok)
        window.signXmlChecksum(generator.outputName());
    QDir::setCurrent(previous);
    return output;
}

struct Start {
    bool ok = false;
    double ms = 0;
    QString stdErr;
};

// One start of the program on panel with the script, under theme (none when
// empty); the wall time from the start to the process's end.
Start runProgram(const QString &panel, const QString &script, const QString &configDir, const QString &theme)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!qEnvironmentVariableIsSet("BENCH_DISPLAY"))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    environment.remove(QStringLiteral("QUILLMATE_NONINTERACTIVE"));
    if (theme.isEmpty())
        environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    else
        environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), theme);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(configDir);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(QUILLMATE_PROGRAM), {panel, QStringLiteral("-q"), QStringLiteral("-b") + script});
    Start start;
    start.ok = process.waitForFinished(30 * 60 * 1000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    start.ms = double(timer.nsecsElapsed()) / 1e6;
    start.stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return start;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("QUILLMATE_APPDIR", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    const QString configDir = dir.filePath(QStringLiteral("config"));

    QList<int> sizes;
    int runs = 3;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--check") {
            check = true;
            continue;
        }
        if (QByteArray(argv[i]) == "--runs" && i + 1 < argc) {
            runs = std::max(1, QByteArray(argv[++i]).toInt());
            continue;
        }
        bool ok = false;
        const int n = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "themestart_bench: not a panel size: %s\n", argv[i]);
            return 1;
        }
        sizes << n;
    }
    if (sizes.isEmpty())
        sizes = {34000};
    const QString theme = qEnvironmentVariableIsSet("BENCH_THEME") ? qEnvironmentVariable("BENCH_THEME")
                                                                   : QStringLiteral("qt5ct");

    const QString script = dir.filePath(QStringLiteral("exit.script"));
    {
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly) || file.write("WAIT(50)\nEXIT(2)\n") < 0)
            return 1;
    }
    QList<QPair<QString, QString>> panels; // name, path
    for (int n : sizes) {
        const QString path = dir.filePath(QStringLiteral("bench%1.xml").arg(n));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(generatedPanel(n).toUtf8()) < 0)
            return 1;
        panels.append({QStringLiteral("%1 elements").arg(n), path});
    }
    const QString svd = svdPanel(QDir(dir.path()));
    if (svd.isEmpty()) {
        std::fprintf(stderr, "themestart_bench: the SVD panel was not generated\n");
        return 1;
    }
    panels.append({QStringLiteral("nrf51.svd panel"), svd});

    std::printf("theme \"%s\", best of %d\n%-18s %12s %12s %7s\n", qPrintable(theme), runs, "panel", "plain ms",
                "themed ms", "ratio");
    bool withinGoal = true;
    for (const auto &panel : qAsConst(panels)) {
        double plain = 1e300;
        double themed = 1e300;
        // Taken in turns, so that neither has the warmer file cache to itself.
        for (int r = 0; r < runs; ++r) {
            for (const QString &name : {QString(), theme}) {
                const Start start = runProgram(panel.second, script, configDir, name);
                if (!start.ok) {
                    std::fprintf(stderr, "themestart_bench: the start with %s failed:\n%s\n",
                                 qPrintable(panel.first), qPrintable(start.stdErr.left(2000)));
                    return 2;
                }
                double &best = name.isEmpty() ? plain : themed;
                best = std::min(best, start.ms);
            }
        }
        std::printf("%-18s %12.0f %12.0f %7.2f\n", qPrintable(panel.first), plain, themed, themed / plain);
        std::fflush(stdout);
        withinGoal = withinGoal && themed <= 1.2 * plain;
    }
    return check && !withinGoal ? 5 : 0;
}
