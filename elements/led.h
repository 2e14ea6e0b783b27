#pragma once

#include <QWidget>

// An LED showing bits of a define or variable; drawing comes with the element.
class Led : public QWidget
{
    Q_OBJECT
public:
    explicit Led(const QString &name, QWidget *parent = nullptr);
};
