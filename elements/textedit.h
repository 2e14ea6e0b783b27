#pragma once

#include <QTextEdit>

// A multi-line text bound to a define; value handling comes with the element.
class TextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit TextEdit(const QString &name, QWidget *parent = nullptr);
};
