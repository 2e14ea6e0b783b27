#pragma once

#include "panelshell.h"

#include <QtGlobal>

class MainWindow;

// The window as the panel sees it: showing the panel widget, the macro
// recorder, and the element actions that reach beyond the panel (loading a
// file, running a script or a program, the Tyk value lists). Owned by the
// window; the panel holds it as its shell.
class WindowPanelShell final : public PanelShell
{
public:
    explicit WindowPanelShell(MainWindow &window) : m_window(window) {}
    Q_DISABLE_COPY_MOVE(WindowPanelShell)

    void showPanelWidget(QWidget *widget) override;
    QWidget *dialogParent() override;
    // Whether the recorder's stream has somewhere to write.
    bool isRecording() const override;
    // Writes line to the recorder and echoes consoleLine on the console, each
    // followed by the pending comment.
    void recordScriptLine(const QString &line, const QString &consoleLine) override;
    QString runningScriptFile() const override;
    void setProjectModified() override;
    void cancelHighlight() override;
    void loadFile(const QString &name) override;
    void runScript(const QString &text) override;
    void startProgram(const QString &program) override;
    // The Tyk value lists: sendUSB packs a send list and transfers it,
    // recData unpacks the reply of that transfer into elements and variables.
    void sendUSB(const QString &values) override;
    void recData(const QString &values) override;
    // The register tables' link and folder.
    TykLink *tykLinkForTables(bool create) override;
    QString tableWorkingDirectory() const override;
    void setTableWorkingDirectory(const QString &dir) override;

private:
    MainWindow &m_window;
};
