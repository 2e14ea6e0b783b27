#pragma once

#include <QString>
#include <QStringList>

// Older releases kept a panel's settings only as its generated C header,
// naming the panel in the marker define "Config_File". These helpers read
// such a header and the migration map that renames defines.

// The panel file named by the first line that starts with
// "#define Config_File": everything after its first 20 characters, trimmed,
// with surrounding double quotes removed. Empty when there is none.
QString panelFileFromHeaderText(const QString &text);

// A "#define NAME VALUE" line as three words: "#define", NAME and VALUE (the
// rest of the line, its inner blanks kept, a trailing /* comment */
// dropped). Empty when the line is no define with a value.
QStringList oldHeaderDefineWords(const QString &line);

// Whether NAME is one of the marker defines an import never applies
// ("ZELQuillmate_Version", "Config_File"; case ignored).
bool isHeaderMarkerDefine(const QString &name);

// One line of a migration map, trimmed and split at runs of white space;
// empty for a blank line and for the marker names the map skips
// ("ZELQuillmate_Version", "Config_File", "Config_File_Version").
QStringList migrationMapWords(const QString &line);

// Whether the file is XML by its content (a project), whatever its
// declaration, encoding or line ends, rather than an older line-based header.
// A file that cannot be opened is reported and counts as no XML.
bool isXmlFile(const QString &path);

// The migration map's rewriting of unknown define lines: each map line
// "OLD NEW" rewrites the first line of OLD under NEW (the old name
// appended); a lone name goes to dropNames. Returns the rewritten lines; a
// map that cannot be read is reported and rewrites nothing.
QStringList readMigrationFile(QStringList *defineLines, QStringList *dropNames, const QString &path);
