#include "textedit.h"

TextEdit::TextEdit(const QString &name, QWidget *parent)
    : QTextEdit(parent)
{
    setObjectName(name);
}
