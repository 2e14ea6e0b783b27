// MainWindow: the "Generate XML from SVD" command.
#include "mainwindow.h"

#include "prompt.h"
#include "svdpanelgeneration.h"

#include <QFileInfo>

void MainWindow::generateXMLFromSVD()
{
    const QString svdFile = Prompt::instance().openFileName(this, tr("Open SVD File"), m_settings.lastDir, tr("SVD Files (*.svd)"));
    if (svdFile.isEmpty())
        return;
    // "Tree" is the box's first button: answered 0.
    PromptMessage format;
    format.parent = this;
    format.icon = QMessageBox::Question;
    format.title = format.text = QStringLiteral("Select output format");
    format.buttons = QMessageBox::Yes | QMessageBox::No;
    format.buttonTexts = {{QMessageBox::Yes, QStringLiteral("Tree")}, {QMessageBox::No, QStringLiteral("Group")}};
    const bool tree = Prompt::ask(format).button == QMessageBox::Yes;
    if (!generatePanelFromSvd(m_panel, svdFile, tree))
        return;

    PromptMessage open;
    open.icon = QMessageBox::Information;
    open.title = QStringLiteral("XML generated");
    open.text = QStringLiteral("Do you want to open the created XML?");
    open.buttons = QMessageBox::Yes | QMessageBox::No;
    if (Prompt::ask(open).button == QMessageBox::Yes) {
        const QString generated = QFileInfo(svdFile).baseName() + QStringLiteral("_Generated.xml");
        if (this->open(generated))
            initLoadedConfiguration(true);
    }
}
