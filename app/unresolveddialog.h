#pragma once

#include <QDialog>

class UnresolvedDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UnresolvedDialog(QWidget *parent = nullptr);
};
