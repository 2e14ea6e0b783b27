#pragma once

#include <QSlider>

// A slider bound to a define; value handling comes with the element.
class Slider : public QSlider
{
    Q_OBJECT
public:
    explicit Slider(const QString &name, QWidget *parent = nullptr);
};
