#include "lockdialog.h"

LockDialog::LockDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Locks"));
}

void LockDialog::clearGraph()
{
}
