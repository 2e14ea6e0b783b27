#include "text.h"

#include "kindedits.h"
#include "programstate.h"

QString numberedName(const QString &text, const QString &fallback, int *counter)
{
    return QStringLiteral("%1_%2").arg(text.isEmpty() ? fallback : text).arg((*counter)++);
}

Text::Text(const QString &name, const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(name.isEmpty() ? numberedName(text, QStringLiteral("TEXT"), &ProgramState::instance().textCount) : name);
}

void listTextRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<Text *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
}

bool editTextRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *text = qobject_cast<Text *>(element);
    if (!text || row != QLatin1String("Label"))
        return false;
    text->setText(value);
    writes->append({QStringLiteral("label"), value});
    return true;
}
