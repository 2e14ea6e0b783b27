#pragma once

#include <QDialog>

class DiffDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DiffDialog(QWidget *parent = nullptr);
};
