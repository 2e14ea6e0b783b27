#pragma once

#include <QSpinBox>

// A spin box bound to a define.
class SpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit SpinBox(const QString &name, QWidget *parent = nullptr);
};
