#pragma once

#include <QDoubleSpinBox>

// A floating-point spin box bound to a define; value handling comes with the element.
class DoubleSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit DoubleSpinBox(const QString &name, QWidget *parent = nullptr);
};
