// MainWindow: panels generated from SVD files.
#include "mainwindow.h"
#include "inputfile.h"

#include "errorreporter.h"
#include "quillpanel.h"
#include "prompt.h"
#include "svdxmlgenerator.h"

#include <QFile>
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
    if (!generateXMLFromSVD(svdFile, tree))
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

bool MainWindow::generateXMLFromSVD(const QString &svdFile, bool treeLayout)
{
    return generateXMLFromSVD(svdFile, treeLayout, nullptr);
}

bool MainWindow::generateXMLFromSVD(const QString &svdFile, bool treeLayout, int *namesLeftOut)
{
    if (namesLeftOut)
        *namesLeftOut = 0;
    if (svdFile.isEmpty())
        return false;
    SvdXmlGenerator generator(m_panel);
    generator.treeFormat = treeLayout;
    QFile file(svdFile);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(svdFile, openError);
        return false;
    }
    const bool generated = generator.generate(&file);
    if (namesLeftOut)
        *namesLeftOut = int(generator.leftOutNames().size());
    if (!generated) {
        // A refused or failed write of the panel was reported as such; only
        // a file that did not read is reported against the SVD file.
        if (!generator.outputFailed())
            logCannotReadFile(svdFile, generator.errorString().toHtmlEscaped() + QStringLiteral("<br>")
                                           + generator.formatErrorLocation());
        return false;
    }
    // The generator wrote the panel signed, in one write.
    return true;
}
