// Measures LOADTABLE: a shown register table of seven columns reading a
// table file of N rows (the best of three), in milliseconds, with the time
// per row, so that growth faster than the rows shows in the last column.
//
//   bench_tableload [N ...]      (default: 5000 10000 20000 50000 200000)
#include "errorreporter.h"
#include "table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

#include <cstdio>

namespace {

QByteArray tableFile(int rows)
{
    QString value;
    value.reserve(rows * 48);
    for (int r = 0; r < rows; ++r)
        value += QStringLiteral("PER.REG%1,0x%2,0,0x%3,0,row %1;")
                     .arg(r)
                     .arg(r % 256, 2, 16, QLatin1Char('0'))
                     .arg(r % 200, 2, 16, QLatin1Char('0'));
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("qlmpxml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("ActiveElements"));
    xml.writeStartElement(QStringLiteral("Table"));
    xml.writeTextElement(QStringLiteral("define"), QStringLiteral("SEQ"));
    xml.writeTextElement(QStringLiteral("value"), value);
    xml.writeEndDocument();
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ErrorReporter::instance().setSinks(false, false, false);
    QList<int> sizes;
    // --check: exit 5 when the time per row of the largest size is more than
    // 1.3 times that of the smallest (the load is meant to be linear).
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--check") == 0) {
            check = true;
            continue;
        }
        bool ok = false;
        const int n = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "bench_tableload: not a row count: %s\n", argv[i]);
            return 1;
        }
        sizes << n;
    }
    if (sizes.isEmpty())
        sizes = {5000, 10000, 20000, 50000, 200000};
    QTemporaryDir dir;

    Table table(QStringLiteral("SEQ"));
    table.setColumn(0, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table.setColumn(1, TableColumnAddress, "Address", {}, "0x%02X", 60, {}, {});
    table.setColumn(2, TableColumnFunc, "Func", {}, {}, 40, "0", {});
    table.setColumn(3, TableColumnValue, "Value", {}, "0x%02X", 60, {}, {});
    table.setColumn(4, TableColumnDelay, "Delay", {}, {}, 40, "0", {});
    table.setColumn(5, TableColumnAnswer, "Answer", {}, {}, 80, {}, {});
    table.setColumn(6, TableColumnComment, "Comment", {}, {}, 100, {}, {});
    table.buildModel(7, 2);
    table.resize(700, 400);
    table.show();
    QCoreApplication::processEvents();

    std::printf("%8s %12s %12s\n", "rows", "LOADTABLE", "us/row");
    double firstPerRow = -1;
    double lastPerRow = -1;
    for (int n : qAsConst(sizes)) {
        const QString path = dir.filePath(QStringLiteral("table%1.qlmp").arg(n));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(tableFile(n)) < 0)
            return 2;
        file.close();
        double best = -1;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            QString message;
            if (!table.runScriptCommand(QStringLiteral("LOADTABLE"), {path}, &message)) {
                std::fprintf(stderr, "bench_tableload: %s\n", qPrintable(message));
                return 3;
            }
            QCoreApplication::processEvents();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (best < 0 || ms < best)
                best = ms;
        }
        const auto *model = qobject_cast<const QStandardItemModel *>(table.model());
        if (!model || model->rowCount() < n) {
            std::fprintf(stderr, "bench_tableload: %d rows read, %d expected\n", model ? model->rowCount() : 0, n);
            return 4;
        }
        std::printf("%8d %12.1f %12.2f\n", n, best, 1000.0 * best / n);
        std::fflush(stdout);
        lastPerRow = 1000.0 * best / n;
        if (firstPerRow < 0)
            firstPerRow = lastPerRow;
    }
    if (sizes.size() > 1) {
        const double ratio = lastPerRow / firstPerRow;
        const bool holds = ratio <= 1.3;
        std::printf("per row at %d / at %d rows: %.2f (bound 1.3: %s)\n", sizes.last(), sizes.first(), ratio,
                    holds ? "holds" : "missed");
        if (check && !holds)
            return 5;
    }
    return 0;
}
