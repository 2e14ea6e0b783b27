#pragma once

#include <QLabel>

// A static text.
class Text : public QLabel
{
    Q_OBJECT
public:
    explicit Text(const QString &name, const QString &text, QWidget *parent = nullptr);
};
