// Reading older generated headers and migration maps: text rules only, no
// window, so that they can be tested and fuzzed on their own.
#include "oldheader.h"

#include <QRegularExpression>

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
