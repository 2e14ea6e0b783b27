#pragma once

#include <qwt_knob.h>

// A knob bound to a define; value handling comes with the element.
class Knob : public QwtKnob
{
    Q_OBJECT
public:
    explicit Knob(const QString &name, QWidget *parent = nullptr);
};
