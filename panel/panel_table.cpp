// Panel: what the register tables ask of it (TableHost).
#include "panel.h"

#include "panelshell.h"

DataClass *Panel::tableVariable(const QString &name) const
{
    return m_variablesByName.value(name, nullptr);
}

TykLink *Panel::tableTykLink(bool create)
{
    return m_shell ? m_shell->tykLinkForTables(create) : nullptr;
}

QString Panel::tablePanelFileName() const
{
    return getXMLFileName();
}

QString Panel::tableWorkingDir() const
{
    return m_shell ? m_shell->tableWorkingDirectory() : QString();
}

void Panel::setTableWorkingDir(const QString &dir)
{
    if (m_shell)
        m_shell->setTableWorkingDirectory(dir);
}
