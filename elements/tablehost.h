#pragma once

#include <QString>

class DataClass;
class TykLink;

// What a register table asks of its panel beyond ElementHost: the target
// variables its rows set, the window's Tyk link, the loaded panel file's name
// and version (stored in table files) and the working directory of the file
// dialogs. The panel implements it next to ElementHost; a table finds it
// through its host.
class TableHost
{
public:
    virtual ~TableHost();

    // The target variable of that name, or null.
    virtual DataClass *tableVariable(const QString &name) const = 0;
    // The window's Tyk link. With create set, a missing link is made (with
    // the window's log settings); null when there is none.
    virtual TykLink *tableTykLink(bool create) = 0;
    // The loaded panel file's name (no directory) and version label.
    virtual QString tablePanelFileName() const = 0;
    virtual QString tablePanelVersion() const = 0;
    // The folder the table's file dialogs start in.
    virtual QString tableWorkingDir() const = 0;
    virtual void setTableWorkingDir(const QString &dir) = 0;
};
