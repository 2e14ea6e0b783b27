#pragma once

#include <QGraphicsView>

// The chip's pin mapping; the picture comes with the pin-mapping element.
class PinMapping : public QGraphicsView
{
    Q_OBJECT
public:
    explicit PinMapping(const QString &name, QWidget *parent = nullptr);
};
