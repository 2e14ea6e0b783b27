#pragma once

#include "scripthost.h"
#include "scriptwindowhost.h"

#include <QtGlobal>

class MainWindow;
class QObject;

// Whether a script sees the element enabled: a value-bearing widget answers
// for itself, a radio group by its first button; anything else is not.
bool isElementEnabled(QObject *element);

// The window as the script engine sees it: the console, the panel's
// registries and the settings scripts change (ScriptHost), and the commands
// on files, elements, tables, the window and the target (ScriptWindowHost),
// each the operation the window's menus or the mouse use. Owned by the window.
class WindowScriptHost final : public ScriptHost, public ScriptWindowHost
{
public:
    explicit WindowScriptHost(MainWindow &window) : m_window(window) {}
    Q_DISABLE_COPY_MOVE(WindowScriptHost)

    // ---- ScriptHost
    void printOnConsole(const QString &html) override;
    ActiveElement *elementByDefine(const QString &define) override;
    QList<ActiveElement *> scriptElements() override;
    QHash<QString, DataClass *> scriptVariables() override;
    bool elementEnabled(QObject *element) override;
    bool registerValueText(const QString &objectName, QString *text) override;
    bool tableCell(const QString &define, int row, int column, QString *text, bool *numericColumn,
                   bool *inRange) override;
    void setDirEntry(const QString &entry) override;
    void setLogSetDefs(bool on) override;
    bool quietMode() const override;
    void setQuietMode(bool on) override;
    void setIoCheckMode(quint16 mode) override;
    void setTykLogging(int mode, bool timeStamps, const QString &file) override;
    void setScriptWorkingDir(const QString &dir) override;
    QStringList versionTexts() override;
    QWidget *scriptDialogParent() override;
    [[noreturn]] void exitProgram(int closeMode, int exitCode) override;

    // ---- ScriptWindowHost: files and directories
    bool scriptLoadFile(const QString &path) override;
    bool scriptSaveProject(const QString &path, bool sorted) override;
    void scriptSetCurrentFile(const QString &path) override;
    QString scriptCurrentFile() const override;
    QString scriptWorkingDir() const override;
    QString scriptScriptsDir() const override;
    void scriptSetWorkingDir(const QString &dir) override;
    void scriptSetScriptsDir(const QString &dir) override;
    bool scriptSelectFromCatalog(const QString &file) override;
    bool scriptExportHeaders() override;
    bool scriptSign(const QString &file) override;
    void scriptValidate(const QString &file) override;
    void scriptCheckXsd(const QString &file) override;
    // Elements
    ScriptPanelHost *scriptPanel() override;
    void scriptRaiseElement(ActiveElement *element) override;
    // The window
    void scriptSetFullScreen(bool on) override;
    void scriptMoveWindow(int x, int y, bool raise) override;
    void scriptClearConsole() override;
    void scriptShowConsole(bool on) override;
    void scriptShowPinMapper() override;
    bool scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout, int *namesLeftOut) override;
    QString scriptFileDialog(const QString &caption, const QString &directory, const QString &filter,
                             bool open) override;
    // The target
    JLinkSettings &scriptJLinkSettings() override;
    bool scriptSendTask(const QString &file, quint8 header1, bool flag, quint8 header3, quint16 word,
                        QString *error) override;
    QVector<IntelHexBlock> &scriptIntelHexBlocks() override;

private:
    MainWindow &m_window;
};
