// Measures generating a panel from an SVD file (Tree layout) against reading
// the same file into a fresh register model with the SVD reader, and then
// opening the generated panel (read and post-load set-up). Best of R runs.
//
//   svdgenerate_bench [FILE] [--runs R]     (default: nrf54l15_application.svd)
//
// Goal: generation <= 3 times the read.

#include "errorreporter.h"
#include "mainwindow.h"
#include "moduletablehost.h"
#include "panel.h"
#include "prompt.h"
#include "svdstreamreader.h"
#include "svdxmlgenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("app"));
    QDir(root.path()).mkpath(QStringLiteral("config"));
    qputenv("QUILLMATE_APPDIR", root.filePath(QStringLiteral("app")).toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath(QStringLiteral("config")));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    ErrorReporter::instance().setSinks(false, false, false);

    QString path = QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd");
    int runs = 3;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else
            path = QFileInfo(args.at(i)).absoluteFilePath();
    }
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray data = source.readAll();
    source.close();
    QDir::setCurrent(root.path());
    QFile::copy(path, QFileInfo(path).fileName());
    QFile disclaimer(QStringLiteral("disclaimer.txt"));
    if (disclaimer.open(QIODevice::WriteOnly))
        disclaimer.write("/* bench */\n");
    disclaimer.close();

    qint64 read = -1, generate = -1, open = -1;
    int elements = 0;
    bool ok = true;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        {
            ModuleTableHost host;
            SvdStreamReader reader(&host, QStringLiteral("bench.xml"));
            timer.start();
            ok = reader.readData(data) && ok;
            const qint64 t = timer.nsecsElapsed();
            read = read < 0 ? t : std::min(read, t);
        }
        MainWindow window{CommandLineOptions()};
        QFile svd(QFileInfo(path).fileName());
        svd.open(QIODevice::ReadOnly | QIODevice::Text);
        SvdXmlGenerator generator(window.panel());
        timer.start();
        ok = generator.generate(&svd) && ok;
        const qint64 g = timer.nsecsElapsed();
        generate = generate < 0 ? g : std::min(generate, g);
        svd.close();
        window.signXmlChecksum(generator.outputName());
        // BENCH_KEEP=DIR keeps the generated panel (and its SVD file) for a look.
        const QString keep = qEnvironmentVariable("BENCH_KEEP");
        if (!keep.isEmpty()) {
            QFile::remove(QDir(keep).filePath(generator.outputName()));
            QFile::copy(generator.outputName(), QDir(keep).filePath(generator.outputName()));
            QFile::copy(svd.fileName(), QDir(keep).filePath(svd.fileName()));
        }

        MainWindow opener{CommandLineOptions()};
        timer.start();
        ok = opener.open(generator.outputName()) && ok;
        opener.initLoadedConfiguration(true);
        const qint64 o = timer.nsecsElapsed();
        open = open < 0 ? o : std::min(open, o);
        elements = opener.panel()->allElements.size();
        // As after a user's action, the event loop runs before the window
        // goes: its widgets are not deleted with events still queued.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    std::printf("file: %s (%lld bytes)%s\n", qPrintable(path), static_cast<long long>(data.size()),
                ok ? "" : " FAILED");
    std::printf("SVD reader into model:   %9.2f ms\n", read / 1e6);
    std::printf("panel generation:        %9.2f ms\n", generate / 1e6);
    std::printf("ratio: %.2f (goal <= 3)\n", double(generate) / double(read));
    std::printf("open of the generated panel: %9.2f ms for %d elements (%.3f ms per 1000)\n", open / 1e6,
                elements, open / 1e6 / std::max(1, elements) * 1000.0);
    return ok ? 0 : 1;
}
