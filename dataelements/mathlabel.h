#pragma once

#include <QLabel>

// A label that shows a live formula; evaluation comes with the formula element.
class MathLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MathLabel(const QString &name, QWidget *parent = nullptr);
};
