#include "table.h"

Table::Table(const QString &name, QWidget *parent)
    : QTableWidget(parent)
{
    setObjectName(name);
}
