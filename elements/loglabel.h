#pragma once

#include <QLabel>

// A label that logs values to a file; logging comes with the element.
class LogLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LogLabel(const QString &name, QWidget *parent = nullptr);
};
