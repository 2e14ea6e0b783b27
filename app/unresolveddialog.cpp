#include "unresolveddialog.h"

UnresolvedDialog::UnresolvedDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Unresolved defines"));
}
