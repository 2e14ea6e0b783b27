// MainWindow: validating panel files (the define validation of the panel
// reader and the check against QLM.xsd), and the version comparison of the
// adapter firmware check.
#include "mainwindow.h"

#include "apppaths.h"
#include "panel.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "prompt.h"
#include "xsdcheck.h"

#include <QCoreApplication>
#include <QFileDialog>

void MainWindow::validateDefines()
{
    const QString title = tr("Validate XML File");
    const QString filter = tr("XML Files (*.xml)");
    QStringList files;
    if (Prompt::instance().isInteractive()) {
        // Several files at once: the prompt service offers one per dialog.
        QFileDialog dialog(this, title, workingDir, filter);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setLabelText(QFileDialog::Accept, tr("Validate"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        files = dialog.selectedFiles();
    } else {
        const QString file = Prompt::instance().openFileName(this, title, workingDir, filter);
        if (file.isEmpty())
            return;
        files.append(file);
    }
    validateFiles(files);
}

void MainWindow::validateFiles(const QStringList &files)
{
    for (const QString &file : files) {
        validateXmlFile(file);
        QCoreApplication::processEvents();
        checkXsd(file);
        QCoreApplication::processEvents();
    }
}

void MainWindow::validateXmlFile(const QString &file)
{
    // The reader's constructor resets the state a read fills (poll lists,
    // I/O port, tool-tip sections): it gets a panel of its own, so that the
    // loaded panel and its polling threads go on untouched.
    Panel scratch(this);
    PanelXmlReader reader(&scratch, panelReadOptions());
    reader.validateXmlFile(file);
}

void MainWindow::checkXsd(QString path)
{
    checkPanelAgainstSchema(path, AppPaths::programDir() + QLatin1Char('/') + panelSchemaFileName());
}

int MainWindow::versionCompare(const quint16 a[3], const quint16 b[3])
{
    return ::versionCompare(a, b);
}
