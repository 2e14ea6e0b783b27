#pragma once

#include <QString>

// The per-user registry of the tools the program works with (install folders
// of the probe software, tool-menu entries), kept as an INI file: a key path
// such as "Software\SEGGER\J-Link" is a section, its values are the section's
// entries. A missing file means nothing is installed. Reading never creates
// the file, a section or a value.
namespace Registry {

// The file: QUILLMATE_REGISTRY_FILE when set, else "registry.ini" in the
// program's folder of the user's configuration directory.
QString filePath();

// The value of that name under the key path; false (and value untouched)
// when the file, the key or the value is missing.
bool readValue(const QString &keyPath, const QString &valueName, QString *value);

} // namespace Registry
