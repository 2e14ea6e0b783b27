#pragma once

#include "scriptpanelhost.h"

class Panel;

// The script commands' view of the loaded panel: each operation is the one
// the panel's own element actions use. Owned by the panel.
class PanelScriptHost final : public ScriptPanelHost
{
public:
    explicit PanelScriptHost(Panel &panel) : m_panel(panel) {}
    Q_DISABLE_COPY_MOVE(PanelScriptHost)

    int scriptSetDef(const QString &text) override;
    void scriptLock(const QString &text) override;
    void scriptUnlock(const QString &text) override;
    QList<QPair<QString, QObject *>> scriptPushButtons() const override;
    void scriptSelectTab(const QString &name, int index) override;
    void scriptResetGui() override;
    void scriptSetDefinePrefix(const QString &key, const QString &text) override;

private:
    Panel &m_panel;
};
