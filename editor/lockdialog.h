#pragma once

#include <QDialog>

// The lock graph of the loaded panel. This build keeps an empty graph; the
// node drawing comes with the panel editor.
class LockDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LockDialog(QWidget *parent = nullptr);

    void clearGraph();
};
