#pragma once

#include <QLineEdit>

// A one-line text bound to a define; value handling comes with the element.
class LineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit LineEdit(const QString &name, QWidget *parent = nullptr);
};
