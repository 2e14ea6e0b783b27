#pragma once

#include <QCheckBox>

// A check box bound to a define.
class CheckBox : public QCheckBox
{
    Q_OBJECT
public:
    CheckBox(const QString &name, const QString &text, QWidget *parent = nullptr);
};
