#pragma once

#include "spinbox.h"

// A spin box that shows its value in hexadecimal.
class HexSpinBox : public SpinBox
{
    Q_OBJECT
public:
    explicit HexSpinBox(const QString &name, QWidget *parent = nullptr);
};
