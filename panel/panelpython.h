#pragma once

#include <QString>

class PanelShell;
class PythonBridge;
class QObject;

// The panel's side of Python: starting it for a panel that uses it and
// publishing elements, variables and display items to Python code through
// the window's bridge. The panel owns one; the window sets the bridge.
class PanelPython
{
public:
    explicit PanelPython(PanelShell *shell) : m_shell(shell) {}

    // The window's Python host; null: Python cannot be started.
    void setBridge(PythonBridge *bridge) { m_bridge = bridge; }
    // Starts Python for a panel that uses it; warns ("Python integration")
    // and returns false when it cannot start.
    bool start();
    // Publishes object to Python under define with every "." turned into "_";
    // nothing while Python has not been started or define is empty.
    void publish(const QString &define, QObject *object);

private:
    PanelShell *m_shell;
    PythonBridge *m_bridge = nullptr;
};
