#include "consolelinks.h"

static const QString colonMark = QStringLiteral("$$$COLON$$$");
static const QString positionMark = QStringLiteral("$xmlopen$");

QString linkTarget(const QString &name)
{
    return QString(name).replace(QLatin1Char(':'), colonMark);
}

QString filePositionLink(const QString &file, const QString &line, const QString &column)
{
    return positionMark + QStringLiteral("%1$-n%2$-c%3").arg(linkTarget(file), line, column);
}

ConsoleLink readConsoleLink(const QString &href)
{
    const QString text = QString(href).replace(colonMark, QStringLiteral(":"));
    ConsoleLink link;
    if (text.startsWith(positionMark))
        link.editorArguments = text.mid(positionMark.size()).split(QLatin1Char('$'));
    else
        link.elementName = text;
    return link;
}
