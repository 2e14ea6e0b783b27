#include "unresolveddialog.h"

#include "consolelinks.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>

UnresolvedDialog::UnresolvedDialog(QWidget *parent)
    : QDialog(parent)
    , m_fileOnly(new QTextBrowser(this))
    , m_panelOnly(new QTextBrowser(this))
{
    setWindowTitle(tr("Load old QLMP: Missing Registers:"));

    // Links name defines: they lead to the element, never to another page.
    for (QTextBrowser *browser : {m_fileOnly, m_panelOnly}) {
        browser->setReadOnly(true);
        browser->setOpenLinks(false);
        browser->setOpenExternalLinks(false);
        connect(browser, &QTextBrowser::anchorClicked, this, &UnresolvedDialog::on_anchorClicked);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->setHorizontalSpacing(30);
    layout->addWidget(new QLabel(tr("Found in QLMP but not in XML (potential loss of data):"), this), 0, 0);
    layout->addWidget(new QLabel(tr("Found in XML but not in QLMP (not critical):"), this), 0, 1);
    layout->addWidget(m_fileOnly, 1, 0);
    layout->addWidget(m_panelOnly, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
}

void UnresolvedDialog::setTexts(const QString &panelOnly, const QString &fileOnly)
{
    m_panelOnly->setHtml(panelOnly);
    m_fileOnly->setPlainText(fileOnly);
}

void UnresolvedDialog::on_anchorClicked(const QUrl &url)
{
    emit defineActivated(readConsoleLink(url.toString()).elementName);
}
