#include "diffdialog.h"

DiffDialog::DiffDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Differences"));
}
