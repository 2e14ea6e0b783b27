#pragma once

#include <QString>

class QWidget;
class TykLink;

// What the panel model needs of the window around it: showing the panel's
// root widget, the macro recorder, and the actions that reach beyond one
// panel (loading another file, running a script, the target link). The main
// window implements it; tests may implement it over a plain widget.
class PanelShell
{
public:
    virtual ~PanelShell();

    // Shows widget as the panel (the window's central widget). The previous
    // panel widget is hidden and deleted at once when no element walk runs
    // (Panel::elementCodeRunning), else once control is back in the event
    // loop: an action of the old panel may still be running.
    virtual void showPanelWidget(QWidget *widget) = 0;
    // The parent of the panel's dialogs.
    virtual QWidget *dialogParent() = 0;

    virtual bool isRecording() const = 0;
    virtual void recordScriptLine(const QString &line, const QString &consoleLine) = 0;
    // The script file running now, for the position of script errors.
    virtual QString runningScriptFile() const = 0;

    // Marks the window's project modified.
    virtual void setProjectModified() = 0;
    // Ends the window's mark on a found element.
    virtual void cancelHighlight() = 0;

    // The actions that reach beyond the panel.
    virtual void loadFile(const QString &name) = 0;
    virtual void runScript(const QString &text) = 0;
    virtual void startProgram(const QString &program) = 0;
    virtual void sendUSB(const QString &values) = 0;
    virtual void recData(const QString &values) = 0;

    // What the register tables use of the window: its Tyk link (made, with
    // the window's log settings, when create is set and none exists) and its
    // working directory. A shell without them has no link and no folder.
    virtual TykLink *tykLinkForTables(bool create)
    {
        Q_UNUSED(create)
        return nullptr;
    }
    virtual QString tableWorkingDirectory() const { return QString(); }
    virtual void setTableWorkingDirectory(const QString &dir) { Q_UNUSED(dir) }
};
