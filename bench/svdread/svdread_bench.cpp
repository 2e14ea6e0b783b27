// Measures SvdStreamReader reading an SVD file into a fresh register model
// against a bare QXmlStreamReader pass that only walks the tokens of the same
// bytes. Both read from memory; the best of R runs is printed.
//
//   svdread_bench [FILE] [--runs R]     (default: nrf54l15_application.svd)
//
// Goal: ratio <= 2.

#include "moduletablehost.h"
#include "registermodel.h"
#include "svdstreamreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>

namespace {

using Host = ModuleTableHost;

qint64 barePass(const QByteArray &data, int *tokens)
{
    QElapsedTimer timer;
    timer.start();
    QXmlStreamReader xml(data);
    int count = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        ++count;
    }
    *tokens = count;
    return timer.nsecsElapsed();
}

qint64 modelPass(const QByteArray &data, int *registers, bool *ok)
{
    QElapsedTimer timer;
    timer.start();
    Host host;
    SvdStreamReader reader(&host, QStringLiteral("bench.xml"));
    *ok = reader.readData(data);
    const qint64 elapsed = timer.nsecsElapsed();
    int count = 0;
    for (const ModuleRecord *module : qAsConst(host.modules))
        count += module->registers.size();
    *registers = count;
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString path = QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd");
    int runs = 10;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else
            path = args.at(i);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray data = file.readAll();

    qint64 bare = -1, model = -1;
    int tokens = 0, registers = 0;
    bool ok = false;
    for (int r = 0; r < runs; ++r) {
        const qint64 b = barePass(data, &tokens);
        const qint64 m = modelPass(data, &registers, &ok);
        bare = bare < 0 ? b : std::min(bare, b);
        model = model < 0 ? m : std::min(model, m);
    }
    std::printf("file: %s (%lld bytes), %d tokens, %d registers, read %s\n", qPrintable(path),
                static_cast<long long>(data.size()), tokens, registers, ok ? "ok" : "FAILED");
    std::printf("bare QXmlStreamReader pass: %8.2f ms\n", bare / 1e6);
    std::printf("SvdStreamReader into model: %8.2f ms\n", model / 1e6);
    std::printf("ratio: %.2f (goal <= 2)\n", double(model) / double(bare));
    return ok ? 0 : 1;
}
