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
// Prints per panel: the start without the theme, with it, and the ratio;
// then the open alone (the start less the start without a panel under the
// same theme, which holds what the theme itself costs at every start) with
// its ratio (goal: at most 1.2; --check exits with 5 when one is above it).
#include "mainwindow.h"
#include "panelsigning.h"
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
    insertChecksum(panel);
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

// One start of the program on panel (none when empty) with the script, under
// theme (none when empty); the wall time from the start to the process's end.
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
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("-b") + script};
    if (!panel.isEmpty())
        arguments.prepend(panel);
    process.start(QStringLiteral(QUILLMATE_PROGRAM), arguments);
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

    // Best of the runs for the panel at path (empty: no panel), without and
    // with the theme, taken in turns so that neither has the warmer file
    // cache to itself; false when a start failed.
    const auto measure = [&](const QString &name, const QString &path, double *plain, double *themed) {
        *plain = *themed = 1e300;
        for (int r = 0; r < runs; ++r) {
            for (const QString &each : {QString(), theme}) {
                const Start start = runProgram(path, script, configDir, each);
                if (!start.ok) {
                    std::fprintf(stderr, "themestart_bench: the start with %s failed:\n%s\n", qPrintable(name),
                                 qPrintable(start.stdErr.left(2000)));
                    return false;
                }
                double &best = each.isEmpty() ? *plain : *themed;
                best = std::min(best, start.ms);
            }
        }
        return true;
    };

    double emptyPlain = 0;
    double emptyThemed = 0;
    if (!measure(QStringLiteral("no panel"), QString(), &emptyPlain, &emptyThemed))
        return 2;
    std::printf("theme \"%s\", best of %d; start without a panel: %.0f ms plain, %.0f ms themed\n", qPrintable(theme),
                runs, emptyPlain, emptyThemed);
    std::printf("%-18s %10s %10s %7s %10s %10s %7s\n", "panel", "plain ms", "themed ms", "ratio", "open ms",
                "themed", "ratio");
    bool withinGoal = true;
    for (const auto &panel : qAsConst(panels)) {
        double plain = 0;
        double themed = 0;
        if (!measure(panel.first, panel.second, &plain, &themed))
            return 2;
        const double openPlain = std::max(plain - emptyPlain, 1.0);
        const double openThemed = std::max(themed - emptyThemed, 1.0);
        std::printf("%-18s %10.0f %10.0f %7.2f %10.0f %10.0f %7.2f\n", qPrintable(panel.first), plain, themed,
                    themed / plain, openPlain, openThemed, openThemed / openPlain);
        std::fflush(stdout);
        withinGoal = withinGoal && openThemed <= 1.2 * openPlain;
    }
    return check && !withinGoal ? 5 : 0;
}
