#pragma once

// Test ELF files compiled with gcc, their Intel HEX form written by objcopy,
// and the bytes of their loadable sections as objdump and objcopy see them:
// the oracle for the Intel HEX reader.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace ElfHexFixture {

inline const char *firmwareSource()
{
    return "const unsigned char table[40] = {1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,\n"
           "  21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40};\n"
           "unsigned int counter = 0x12345678;\n"
           "unsigned int zeros[8];\n"
           "int entry(void) { return table[3] + (int)counter + (int)zeros[1]; }\n";
}

// Runs a tool; its standard output, or a null array when it failed.
inline QByteArray run(const QString &program, const QStringList &arguments, const QString &dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// Compiles the firmware into dir/name.elf with the extra link options and
// writes dir/name.hex with objcopy; the HEX file's path, empty on failure.
inline QString buildHex(const QString &dir, const QString &name, const QStringList &linkOptions)
{
    QFile source(QDir(dir).filePath(QStringLiteral("fw.c")));
    if (!source.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    source.write(firmwareSource());
    source.close();
    QStringList arguments{QStringLiteral("-Os"), QStringLiteral("-nostdlib"), QStringLiteral("-static"),
                          QStringLiteral("-Wl,-e,entry"), QStringLiteral("-o"), name + QStringLiteral(".elf"),
                          QStringLiteral("fw.c")};
    arguments += linkOptions;
    if (run(QStringLiteral("gcc"), arguments, dir).isNull())
        return QString();
    if (run(QStringLiteral("objcopy"), {QStringLiteral("-O"), QStringLiteral("ihex"), name + QStringLiteral(".elf"),
                                         name + QStringLiteral(".hex")},
            dir)
            .isNull())
        return QString();
    return QDir(dir).filePath(name + QStringLiteral(".hex"));
}

// Address -> byte of every loadable section of the ELF (load addresses).
inline QMap<quint32, quint8> loadableBytes(const QString &dir, const QString &elf, bool *ok)
{
    QMap<quint32, quint8> image;
    *ok = false;
    const QString headers = QString::fromUtf8(run(QStringLiteral("objdump"), {QStringLiteral("-h"), elf}, dir));
    const QStringList lines = headers.split(QLatin1Char('\n'));
    static const QRegularExpression sectionLine(
        QStringLiteral("^\\s*\\d+\\s+(\\S+)\\s+([0-9a-f]+)\\s+[0-9a-f]+\\s+([0-9a-f]+)\\s"));
    int sections = 0;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch match = sectionLine.match(lines.at(i));
        if (!match.hasMatch() || !lines.at(i + 1).contains(QLatin1String("LOAD")))
            continue;
        const QString name = match.captured(1);
        const quint32 lma = match.captured(3).toUInt(nullptr, 16);
        const QString binary = QStringLiteral("section.bin");
        if (run(QStringLiteral("objcopy"), {QStringLiteral("-O"), QStringLiteral("binary"), QStringLiteral("-j"), name,
                                             elf, binary},
                dir)
                .isNull())
            return image;
        QFile file(QDir(dir).filePath(binary));
        if (!file.open(QIODevice::ReadOnly))
            return image;
        const QByteArray bytes = file.readAll();
        if (bytes.size() != int(match.captured(2).toUInt(nullptr, 16)))
            return image;
        for (int b = 0; b < bytes.size(); ++b)
            image.insert(lma + quint32(b), quint8(bytes.at(b)));
        ++sections;
    }
    *ok = sections > 0;
    return image;
}

} // namespace ElfHexFixture
