#pragma once

#include "panelxmlreader.h"

#include <QString>
#include <QStringList>

class PanelShell;

// Validating panel files: the define validation of the panel reader and the
// check against QLM.xsd beside the program. Each prints its findings on the
// console and changes nothing; the loaded panel and its polling threads go on
// untouched. The window hands one out with its read options
// (MainWindow::panelValidation).
class PanelValidation
{
public:
    PanelValidation(PanelShell *shell, PanelReadOptions options);

    // The define validation of one panel file (script command VALIDATE).
    void validateXmlFile(const QString &file) const;
    // The check against QLM.xsd beside the program (script command CHECKXSD).
    static void checkXsd(const QString &path);
    // Both, file after file, as the "Validate XML File" command runs them.
    void validateFiles(const QStringList &files) const;

private:
    PanelShell *m_shell;
    PanelReadOptions m_options;
};
