#include "finddialog.h"

#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindDialog::FindDialog(const QStringList &names, QWidget *parent)
    : QDialog(parent)
    , m_edit(new QLineEdit(this))
    , m_find(new QPushButton(tr("&Find"), this))
{
    setWindowTitle(tr("Find a GUI element"));
    m_edit->setMinimumWidth(200);
    auto *completer = new QCompleter(names, m_edit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_edit->setCompleter(completer);

    connect(m_find, &QPushButton::clicked, this, &FindDialog::findClicked);
    connect(m_find, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(new QLabel(tr("Enter the name of a GUI element:"), this));
    layout->addWidget(m_edit);
    layout->addWidget(m_find);
}

void FindDialog::findClicked()
{
    if (m_edit->text().isEmpty())
        return;
    m_text = m_edit->text();
    m_edit->clear();
    hide();
}
