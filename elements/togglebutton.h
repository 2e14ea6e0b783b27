#pragma once

#include <QPushButton>

// A two-state button bound to a define; its value handling comes with the element.
class ToggleButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ToggleButton(const QString &name, const QString &text, QWidget *parent = nullptr);
};
