#pragma once

#include "intelhexreader.h"

#include <QString>
#include <QVector>

class ActiveElement;
class ScriptPanelHost;
struct JLinkSettings;

// What the script commands on files, elements, tables, the window and the
// target need of the main window beyond ScriptHost. The window implements
// it; each operation is the one its menu or the mouse uses. What the
// commands do on the panel's elements goes to the panel (scriptPanel).
class ScriptWindowHost
{
public:
    virtual ~ScriptWindowHost() = default;

    // ---- Files and directories
    // Opens a project, a script or a panel by its kind (name as resolved).
    // False when the file did not open.
    virtual bool scriptLoadFile(const QString &path) = 0;
    // Writes the project (and its headers); false when it was not written.
    virtual bool scriptSaveProject(const QString &path, bool sorted) = 0;
    virtual void scriptSetCurrentFile(const QString &path) = 0;
    // The current project file; empty when none.
    virtual QString scriptCurrentFile() const = 0;
    virtual QString scriptWorkingDir() const = 0;
    virtual QString scriptScriptsDir() const = 0;
    virtual void scriptSetWorkingDir(const QString &dir) = 0;
    virtual void scriptSetScriptsDir(const QString &dir) = 0;
    // Shows the catalog dialog; false when the catalog file could not be
    // opened or read (reported already).
    virtual bool scriptSelectFromCatalog(const QString &file) = 0;
    virtual bool scriptExportHeaders() = 0;
    virtual bool scriptSign(const QString &file) = 0;
    virtual void scriptValidate(const QString &file) = 0;
    virtual void scriptCheckXsd(const QString &file) = 0;

    // ---- Elements
    // The loaded panel.
    virtual ScriptPanelHost *scriptPanel() = 0;
    // Brings the element into view and marks it for 5000 ms.
    virtual void scriptRaiseElement(ActiveElement *element) = 0;

    // ---- Window
    // Enters (on) or leaves full-screen mode; nothing when it is so already.
    virtual void scriptSetFullScreen(bool on) = 0;
    virtual void scriptMoveWindow(int x, int y, bool raise) = 0;
    virtual void scriptClearConsole() = 0;
    virtual void scriptShowConsole(bool on) = 0;
    virtual void scriptShowPinMapper() = 0;
    // Writes and signs the panel generated from the SVD file; false when the
    // file did not read or the panel was not written. namesLeftOut receives
    // how many names of the file were left out of the panel (each reported).
    virtual bool scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout, int *namesLeftOut) = 0;
    // The open (open) or save file dialog; empty when cancelled or when no
    // user can answer.
    virtual QString scriptFileDialog(const QString &caption, const QString &directory, const QString &filter,
                                     bool open) = 0;

    // ---- Target
    // The window's J-Link record, filled anew by each DOWNLOAD.
    virtual JLinkSettings &scriptJLinkSettings() = 0;
    // Sends the task file to the Tyk adapter; false with *error when it failed,
    // false with an empty *error when the window has told the user itself (a
    // panel that does not use the Tyk).
    virtual bool scriptSendTask(const QString &file, quint8 header1, bool flag, quint8 header3, quint16 word,
                                QString *error) = 0;
    // The window's list of Intel HEX blocks; WRITEBSL appends to it.
    virtual QVector<IntelHexBlock> &scriptIntelHexBlocks() = 0;
};
