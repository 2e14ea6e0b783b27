#pragma once

#include <QPushButton>

// A panel button; its actions come with the button element.
class PushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit PushButton(const QString &name, const QString &text, QWidget *parent = nullptr);
};
