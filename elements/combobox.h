#pragma once

#include <QComboBox>

// A combo box bound to a define; items and values come with the element.
class ComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ComboBox(const QString &name, QWidget *parent = nullptr);
};
