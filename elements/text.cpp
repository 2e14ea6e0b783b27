#include "text.h"

Text::Text(const QString &name, const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
    setText(text);
}
