#pragma once

#include "tablehost.h"

#include <QtGlobal>

class Panel;

// What the register tables of the loaded panel ask of it beyond ElementHost;
// the window's parts (Tyk link, working directory) through the panel's shell.
// Owned by the panel, which hands it out as its ElementHost::tableHost().
class PanelTableHost final : public TableHost
{
public:
    explicit PanelTableHost(Panel &panel) : m_panel(panel) {}
    Q_DISABLE_COPY_MOVE(PanelTableHost)

    DataClass *tableVariable(const QString &name) const override;
    TykLink *tableTykLink(bool create) override;
    QString tablePanelFileName() const override;
    QString tablePanelVersion() const override;
    QString tableWorkingDir() const override;
    void setTableWorkingDir(const QString &dir) override;

private:
    Panel &m_panel;
};
