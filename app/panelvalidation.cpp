// Validating panel files: the define validation of the panel reader and the
// check against QLM.xsd.
#include "panelvalidation.h"

#include "apppaths.h"
#include "quillpanel.h"
#include "xsdcheck.h"

#include <QCoreApplication>

#include <utility>

PanelValidation::PanelValidation(PanelShell *shell, PanelReadOptions options)
    : m_shell(shell)
    , m_options(std::move(options))
{
}

void PanelValidation::validateFiles(const QStringList &files) const
{
    for (const QString &file : files) {
        validateXmlFile(file);
        QCoreApplication::processEvents();
        checkXsd(file);
        QCoreApplication::processEvents();
    }
}

void PanelValidation::validateXmlFile(const QString &file) const
{
    // The reader's constructor resets the state a read fills (poll lists,
    // I/O port, tool-tip sections): it gets a panel of its own, so that the
    // loaded panel and its polling threads go on untouched.
    Panel scratch(m_shell);
    PanelXmlReader reader(&scratch, m_options);
    reader.validateXmlFile(file);
}

void PanelValidation::checkXsd(const QString &path)
{
    checkPanelAgainstSchema(path, AppPaths::programDir() + QLatin1Char('/') + panelSchemaFileName());
}
