#pragma once

#include <QString>
#include <QStringList>

class Panel;

// The generated C header files of a panel, one per header name of its
// registers, each holding a #define line for every register of that header:
// the disclaimer, the include guard the file name gives, the panel version
// define and the define lines in sorted order. A header whose names or
// values would break its lines is refused, and nothing is written while
// defines conflict (locks waiting, formula labels out of range).
class HeaderExport
{
public:
    // The headers of the panel, written into the working directory.
    HeaderExport(Panel &panel, const QString &workingDir);

    // Whether a register of the panel names a header.
    static bool hasHeaders(const Panel &panel);
    // Every header (all) or only the changed ones; false when a header could
    // not be written or the export was refused.
    bool exportHeaders(bool all);
    // Writes one header file from its define lines; false when it could not
    // be written. The header's changed mark goes when it was.
    bool writeHeaderFile(const QString &headerName, const QString &disclaimer, QStringList defineLines);
    // The console's report that the headers cannot be exported while defines
    // conflict; nothing when none do.
    static void reportConflicts(const Panel &panel);

private:
    Panel &m_panel;
    QString m_workingDir;
};
