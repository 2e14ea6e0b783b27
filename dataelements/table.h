#pragma once

#include <QTableWidget>

// A table of register operations; the operations come with the table element.
class Table : public QTableWidget
{
    Q_OBJECT
public:
    explicit Table(const QString &name, QWidget *parent = nullptr);
};
