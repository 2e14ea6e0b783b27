// Reading older generated headers and migration maps: text rules and the file
// reads built on them, no window, so that they can be tested and fuzzed on
// their own.
#include "oldheader.h"

#include "errorreporter.h"
#include "xmlfilekind.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

QString panelFileFromHeaderText(const QString &text)
{
    static const QLatin1String marker("#define Config_File");
    for (const QStringRef &line : text.splitRef(QLatin1Char('\n'))) {
        if (!line.startsWith(marker))
            continue;
        QString name = line.mid(20).trimmed().toString();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2).trimmed();
        return name;
    }
    return QString();
}

QStringList oldHeaderDefineWords(const QString &line)
{
    static const QRegularExpression define(QStringLiteral("^#define\\s+(\\S+)\\s+(\\S.*)$"));
    const QRegularExpressionMatch match = define.match(line.trimmed());
    if (!match.hasMatch())
        return QStringList();
    QString value = match.captured(2).trimmed();
    // Our own export writes "(0x1F) /*decimal 31*/"; the comment is no part of
    // the value. Values holding comment delimiters are never exported.
    const int comment = value.indexOf(QLatin1String("/*"));
    if (comment > 0 && value.endsWith(QLatin1String("*/")))
        value = value.left(comment).trimmed();
    if (value.isEmpty())
        return QStringList();
    return {QStringLiteral("#define"), match.captured(1), value};
}

bool isHeaderMarkerDefine(const QString &name)
{
    return name.compare(QLatin1String("ZELQuillmate_Version"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("Config_File"), Qt::CaseInsensitive) == 0;
}

QStringList migrationMapWords(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.trimmed().split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty())
        return words;
    const QString &first = words.first();
    if (isHeaderMarkerDefine(first) || first.compare(QLatin1String("Config_File_Version"), Qt::CaseInsensitive) == 0)
        return QStringList();
    return words;
}

bool isXmlFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(QFileInfo(path).absoluteFilePath(), file.errorString());
        return false;
    }
    // XML by its content, whatever its declaration, encoding or line ends;
    // the older line-based files start otherwise.
    return XmlFileKind::looksLikeXml(file.read(64 * 1024));
}

QStringList readMigrationFile(QStringList *defineLines, QStringList *dropNames, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // The caller is in the middle of a load: it goes on without the map
        // instead of the panel being replaced under it.
        reportCannotOpenFile(path, file.errorString());
        return QStringList();
    }
    // The first line of each define name, found once for the whole map.
    QHash<QString, int> firstLineOf;
    for (int i = defineLines->size() - 1; i >= 0; --i)
        firstLineOf.insert(defineLines->at(i).section(QLatin1Char(' '), 1, 1), i);
    QStringList result;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    QString line;
    while (stream.readLineInto(&line)) {
        const QStringList words = migrationMapWords(line);
        if (words.size() == 1) {
            dropNames->append(words.first());
            continue;
        }
        if (words.size() < 2)
            continue;
        const QString &oldName = words.at(0);
        const QString &newName = words.at(1);
        // Each map line rewrites the first line of its old name, once: the
        // result is never fed back, so a map that renames A to B and B to A
        // ends like any other.
        const int at = firstLineOf.value(oldName, -1);
        if (at < 0)
            continue;
        QStringList defineWords = defineLines->at(at).split(QLatin1Char(' '));
        if (defineWords.size() < 3)
            continue;
        defineWords[1] = newName;
        defineWords.append(oldName);
        result.append(defineWords.join(QLatin1Char(' ')));
    }
    return result;
}
