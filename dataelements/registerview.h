#pragma once

#include <QTableWidget>

// A view of SVD registers with per-field editors; editing comes with the register view.
class RegisterView : public QTableWidget
{
    Q_OBJECT
public:
    explicit RegisterView(const QString &name, QWidget *parent = nullptr);
};
