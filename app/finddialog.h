#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QPushButton;

// Asks for the name of a panel element, offering the panel's element names
// (case-insensitive completion) while typing.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindDialog(const QStringList &names, QWidget *parent = nullptr);

    // The name accepted with "Find"; empty when none was.
    QString text() const { return m_text; }

    QLineEdit *lineEdit() const { return m_edit; }
    QPushButton *findButton() const { return m_find; }

public slots:
    void findClicked();

private:
    QLineEdit *m_edit;
    QPushButton *m_find;
    QString m_text;
};
