#pragma once

// The firmware image of the var element tests: fixtures/varfirmware.c built
// with gcc -g, its data linked at 0x20000000 as on a microcontroller, and
// gdb's word on where its variables lie. Used by the builder tests and by the
// live panel test.

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

struct GdbPlace {
    quint64 address = 0;
    quint64 size = 0;
};

// Why the tools the image needs are missing; empty when gcc, gdb and readelf
// are all there.
inline QString varFirmwareToolsMissing()
{
    for (const char *tool : {"gcc", "gdb", "readelf"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is needed to build and inspect the test firmware").arg(QLatin1String(tool));
    }
    return QString();
}

// Builds the image into dir; its path, or an empty text (with the compiler's
// complaint in *why).
inline QString buildVarFirmware(const QString &fixtureDir, const QString &dir, QString *why)
{
    const QString output = QDir(dir).filePath(QStringLiteral("varfirmware.elf"));
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"),
              {QStringLiteral("-g"), QStringLiteral("-O0"), QStringLiteral("-nostdlib"), QStringLiteral("-static"),
               QStringLiteral("-no-pie"), QStringLiteral("-Wl,--entry=main"), QStringLiteral("-Wl,-Tdata=0x20000000"),
               QDir(fixtureDir).filePath(QStringLiteral("varfirmware.c")), QStringLiteral("-o"), output});
    if (!gcc.waitForFinished(120000) || gcc.exitStatus() != QProcess::NormalExit || gcc.exitCode() != 0) {
        *why = QString::fromLocal8Bit(gcc.readAllStandardError());
        return QString();
    }
    return output;
}

// Address and size of each name as gdb prints them for the file; names gdb
// cannot place are missing from the result.
inline QHash<QString, GdbPlace> gdbPlaces(const QString &file, const QStringList &names)
{
    QStringList arguments{QStringLiteral("-batch"), QStringLiteral("-nx")};
    for (const QString &name : names) {
        arguments << QStringLiteral("-ex") << QStringLiteral("echo @@%1\\n").arg(name) << QStringLiteral("-ex")
                  << QStringLiteral("print &%1").arg(name) << QStringLiteral("-ex")
                  << QStringLiteral("print sizeof(%1)").arg(name);
    }
    arguments << file;
    QProcess gdb;
    gdb.start(QStringLiteral("gdb"), arguments);
    gdb.waitForFinished(120000);

    static const QRegularExpression addressLine(QStringLiteral("^\\$\\d+ = \\(.*?\\) 0x([0-9a-f]+)"));
    static const QRegularExpression sizeLine(QStringLiteral("^\\$\\d+ = (\\d+)$"));
    QHash<QString, GdbPlace> places;
    QString current;
    GdbPlace place;
    int seen = 0;
    const QStringList lines = QString::fromUtf8(gdb.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("@@"))) {
            current = line.mid(2).trimmed();
            seen = 0;
            continue;
        }
        const QRegularExpressionMatch address = addressLine.match(line);
        const QRegularExpressionMatch size = sizeLine.match(line);
        if (seen == 0 && address.hasMatch()) {
            place.address = address.captured(1).toULongLong(nullptr, 16);
            seen = 1;
        } else if (seen == 1 && size.hasMatch()) {
            place.size = size.captured(1).toULongLong();
            places.insert(current, place);
            seen = 2;
        }
    }
    return places;
}
