// MainWindow: the "Validate XML File" command and the validation it hands out
// with its read options (panelvalidation.h).
#include "mainwindow.h"

#include "prompt.h"

void MainWindow::validateDefines()
{
    const QStringList files = Prompt::instance().openFileNames(this, tr("Validate XML File"), m_settings.workingDir,
                                                               tr("XML Files (*.xml)"), tr("Validate"));
    panelValidation().validateFiles(files);
}

PanelValidation MainWindow::panelValidation() const
{
    return PanelValidation(m_panelShell.get(), panelReadOptions());
}
