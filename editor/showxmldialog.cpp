#include "showxmldialog.h"

ShowXMLDialog::ShowXMLDialog(QWidget *panelRoot, QWidget *parent)
    : QDialog(parent), m_panelRoot(panelRoot)
{
    setWindowTitle(tr("Edit GUI"));
}
