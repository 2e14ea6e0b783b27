// Measures ELFReader::Read on a generated firmware-like ELF file with
// thousands of globals: its time against readelf printing the same text
// alone, and its peak memory against the size of that text.
//
//   symscan_bench [--globals N] [--runs R]
//
// Goals: time ratio <= 1.3, memory ratio <= 2.

#include "elfreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Structures, arrays of structures, nested arrays, unions and scalars, in the
// mix a firmware image has; every global is used, so nothing is dropped.
QByteArray generateSource(int globals)
{
    QByteArray source = "#include <stdint.h>\n";
    const int types = std::max(1, globals / 4);
    for (int t = 0; t < types; ++t) {
        source += QByteArray("typedef struct { uint8_t mode; uint32_t limit[") + QByteArray::number(2 + t % 13)
                  + "]; struct { uint16_t x, y; } pos[3]; int16_t table[2][" + QByteArray::number(1 + t % 7)
                  + "]; union { uint32_t word; uint8_t bytes[4]; } raw; volatile uint32_t status; } cfg"
                  + QByteArray::number(t) + "_t;\n";
    }
    for (int g = 0; g < globals; ++g) {
        const QByteArray n = QByteArray::number(g);
        switch (g % 4) {
        case 0:
            source += "cfg" + QByteArray::number(g % types) + "_t settings" + n + ";\n";
            break;
        case 1:
            source += "cfg" + QByteArray::number(g % types) + "_t list" + n + "[" + QByteArray::number(2 + g % 5) + "];\n";
            break;
        case 2:
            source += "uint32_t samples" + n + "[" + QByteArray::number(8 + g % 200) + "];\n";
            break;
        default:
            source += "volatile int32_t counter" + n + ";\n";
            break;
        }
    }
    source += "int main(void) { return 0; }\n";
    return source;
}

QStringList readelfArguments(const QString &file)
{
    return {QStringLiteral("-a"), QStringLiteral("-wi"), QStringLiteral("-wN"), QStringLiteral("--"), file};
}

QProcessEnvironment cLocale()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

// readelf alone: to /dev/null, or to a pipe that is read and thrown away.
// Returns the milliseconds taken and the bytes printed (pipe only).
double timeReadelf(const QString &program, const QString &file, bool toPipe, qint64 *printed)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(readelfArguments(file));
    process.setProcessEnvironment(cLocale());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!toPipe)
        process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QIODevice::ReadOnly);
    process.waitForStarted();
    qint64 total = 0;
    std::vector<char> buffer(1 << 20);
    while (toPipe) {
        if (process.bytesAvailable() > 0) {
            total += process.read(buffer.data(), qint64(buffer.size()));
            continue;
        }
        if (process.state() == QProcess::NotRunning)
            break;
        process.waitForReadyRead(1000);
    }
    process.waitForFinished(-1);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (printed)
        *printed = total;
    return ms;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 statusField(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Child mode: the growth of the resident set from before Read to its peak.
int measureMemory(const QString &file)
{
    const qint64 before = statusField("VmRSS:");
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    const bool peakReset = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
    clearRefs.close();
    Symscan::ELFReader reader;
    const unsigned int result = reader.Read(QFile::encodeName(file).constData());
    const qint64 peak = statusField("VmHWM:");
    unsigned long address = 0, size = 0;
    const unsigned int probe = reader.GetAddress("list1[1].pos[2].y", address, size);
    std::printf("result=%u probe=%u peak_reset=%d growth=%lld\n", result, probe, peakReset ? 1 : 0,
                (long long)(peak - before));
    return result == 0 && probe == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--measure-memory"))
        return measureMemory(args.at(2));

    int globals = 10000;
    int runs = 5;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--globals"))
            globals = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--runs"))
            runs = std::max(1, args.at(i + 1).toInt());
    }

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("firmware.c"));
    const QString elf = dir.filePath(QStringLiteral("firmware.elf"));
    QFile sourceFile(source);
    if (!sourceFile.open(QIODevice::WriteOnly) || sourceFile.write(generateSource(globals)) < 0)
        return 2;
    sourceFile.close();
    if (QProcess::execute(QStringLiteral("gcc"), {QStringLiteral("-g"), QStringLiteral("-o"), elf, source}) != 0) {
        std::fprintf(stderr, "gcc failed\n");
        return 2;
    }

    Symscan::ELFReader reader;
    const QString readelf = reader.ReadelfProgram();
    if (readelf.isEmpty()) {
        std::fprintf(stderr, "no readelf\n");
        return 2;
    }
    qint64 textSize = 0;
    timeReadelf(readelf, elf, true, &textSize); // warm the page cache

    std::vector<double> alone, piped, reads;
    for (int r = 0; r < runs; ++r) {
        alone.push_back(timeReadelf(readelf, elf, false, nullptr));
        piped.push_back(timeReadelf(readelf, elf, true, nullptr));
        QElapsedTimer timer;
        timer.start();
        const unsigned int result = reader.Read(QFile::encodeName(elf).constData());
        reads.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (result != 0) {
            std::fprintf(stderr, "Read failed: %s\n", Symscan::CLog::ErrorCodeToString(result));
            return 1;
        }
    }

    QProcess child;
    child.start(app.applicationFilePath(), {QStringLiteral("--measure-memory"), elf});
    child.waitForFinished(-1);
    const QByteArray report = child.readAllStandardOutput().trimmed();
    qint64 growth = -1;
    for (const QByteArray &item : report.split(' ')) {
        if (item.startsWith("growth="))
            growth = item.mid(7).toLongLong();
    }

    const double timeRatio = median(reads) / median(alone);
    const double memoryRatio = double(growth) / double(textSize);
    std::printf("globals: %d, ELF file: %lld bytes, readelf text: %lld bytes, runs: %d\n", globals,
                (long long)QFileInfo(elf).size(), (long long)textSize, runs);
    std::printf("readelf alone (median): %.1f ms to /dev/null, %.1f ms to a pipe\n", median(alone), median(piped));
    std::printf("ELFReader::Read (median): %.1f ms\n", median(reads));
    std::printf("time ratio: %.2f (goal <= 1.3; %.2f against the pipe)\n", timeRatio, median(reads) / median(piped));
    std::printf("peak memory of Read: %lld bytes (%s)\n", (long long)growth, report.constData());
    std::printf("memory ratio: %.2f (goal <= 2)\n", memoryRatio);
    return 0;
}
