#include "paneltablehost.h"

#include "quillpanel.h"
#include "panelshell.h"

DataClass *PanelTableHost::tableVariable(const QString &name) const
{
    return m_panel.registries().variablesByName.value(name, nullptr);
}

TykLink *PanelTableHost::tableTykLink(bool create)
{
    return m_panel.shell() ? m_panel.shell()->tykLinkForTables(create) : nullptr;
}

QString PanelTableHost::tablePanelFileName() const
{
    return m_panel.header().xmlFileName();
}

QString PanelTableHost::tablePanelVersion() const
{
    return m_panel.header().xmlVersion;
}

QString PanelTableHost::tableWorkingDir() const
{
    return m_panel.shell() ? m_panel.shell()->tableWorkingDirectory() : QString();
}

void PanelTableHost::setTableWorkingDir(const QString &dir)
{
    if (m_panel.shell())
        m_panel.shell()->setTableWorkingDirectory(dir);
}
