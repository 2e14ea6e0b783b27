#include "panelscripthost.h"

#include "quillpanel.h"
#include "pushbutton.h"
#include "tabwidget.h"

#include <algorithm>

int PanelScriptHost::scriptSetDef(const QString &text)
{
    return m_panel.applySetDef(text);
}

void PanelScriptHost::scriptLock(const QString &text)
{
    m_panel.on_sendLock(text);
}

void PanelScriptHost::scriptUnlock(const QString &text)
{
    m_panel.on_sendUnlock(text);
}

QList<QPair<QString, QObject *>> PanelScriptHost::scriptPushButtons() const
{
    const QHash<QString, PushButton *> &byName = m_panel.registries().pushButtonsByName;
    QList<QPair<QString, QObject *>> buttons;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        buttons.append({it.key(), it.value()});
    // The registry is a hash: a fixed order makes the first match repeatable.
    std::sort(buttons.begin(), buttons.end(),
              [](const QPair<QString, QObject *> &a, const QPair<QString, QObject *> &b) { return a.first < b.first; });
    return buttons;
}

void PanelScriptHost::scriptSelectTab(const QString &name, int index)
{
    if (TabWidget *tabs = m_panel.registries().tabWidgetsByName.value(name))
        tabs->setCurrentIndex(index);
}

void PanelScriptHost::scriptResetGui()
{
    m_panel.resetGUI();
}

void PanelScriptHost::scriptSetDefinePrefix(const QString &key, const QString &text)
{
    m_panel.editHeader().definePrefixes.insert(key, text);
}
