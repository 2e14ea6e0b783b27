// MainWindow: validating panel files (the define validation of the panel
// reader and the check against QLM.xsd), and the version comparison of the
// adapter firmware check.
#include "mainwindow.h"

#include "apppaths.h"
#include "quillpanel.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "prompt.h"
#include "xsdcheck.h"

#include <QCoreApplication>

void MainWindow::validateDefines()
{
    const QStringList files = Prompt::instance().openFileNames(this, tr("Validate XML File"), m_settings.workingDir,
                                                               tr("XML Files (*.xml)"), tr("Validate"));
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
    Panel scratch(m_panelShell.get());
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
