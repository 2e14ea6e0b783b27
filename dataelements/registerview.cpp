#include "registerview.h"

RegisterView::RegisterView(const QString &name, QWidget *parent)
    : QTableWidget(parent)
{
    setObjectName(name);
}
