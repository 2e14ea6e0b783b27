// MainWindow: the application notes of a panel, the port-mapping command and
// the catalog dialog's entry point.
#include "mainwindow.h"

#include "errorreporter.h"
#include "quillpanel.h"
#include "prompt.h"
#include "selectfromcatalogdialog.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

void MainWindow::createAppNotesMenu()
{
    if (!m_appNotesButton)
        return;
    // The menu of the previous panel stays a child of the window.
    m_appNotesButton->setMenu(nullptr);
    const QDir folder(QDir(m_panel->getXMLDir()).filePath(m_panel->documentsPath()));
    const QStringList notes = folder.exists() ? folder.entryList({QStringLiteral("*.pdf")}) : QStringList();
    if (notes.isEmpty()) {
        m_actions.appNotesAction->setVisible(false);
        return;
    }
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("appNotesMenu"));
    for (const QString &note : notes)
        connect(menu->addAction(note), &QAction::triggered, this, &MainWindow::showAppNotes);
    menu->setFixedWidth(int(menu->sizeHint().width() * 1.15));
    m_appNotesButton->setMenu(menu);
    m_actions.appNotesAction->setVisible(true);
}

void MainWindow::showAppNotes()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    // A local-file URL: a "#" or "%" in a document's name stays part of the name.
    const QString folder = QDir(m_panel->getXMLDir()).filePath(m_panel->documentsPath());
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder + QLatin1Char('/') + action->text()));
}

void MainWindow::showPortMapping()
{
    // The view itself comes with the pin mapping; it checks the switch and
    // the panel's scroll area.
    m_pinMapping->openPortMappingDialog();
}

bool MainWindow::selectFromCatalog(const QString &catalogFile, bool *catalogRead)
{
    const QString path = QDir(m_settings.workingDir).filePath(catalogFile);
    SelectFromCatalogDialog dialog(this, path, m_panel);
    if (catalogRead)
        *catalogRead = dialog.catalogRead();
    // The dialog is modal: a run without a user only reads the catalog (its
    // errors are reported) and goes on.
    if (!Prompt::instance().isInteractive()) {
        ::logMessage(tr("<font color=\"orange\"><b>Catalog not shown: </b></font>%1 (no user to pick a record)<br>")
                         .arg(QDir::toNativeSeparators(path).toHtmlEscaped()));
        return false;
    }
    return dialog.exec() == QDialog::Accepted;
}
