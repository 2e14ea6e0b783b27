#include "text.h"

// Numbers the texts built without a name, for the whole run.
static int textCount = 0;

QString numberedName(const QString &text, const QString &fallback, int *counter)
{
    return QStringLiteral("%1_%2").arg(text.isEmpty() ? fallback : text).arg((*counter)++);
}

Text::Text(const QString &name, const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(name.isEmpty() ? numberedName(text, QStringLiteral("TEXT"), &textCount) : name);
}
