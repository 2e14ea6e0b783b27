#pragma once

#include <QString>

#include <memory>

class QSettings;

// Where an installation keeps its files and settings.
namespace AppPaths {

// The program directory: QUILLMATE_APPDIR when set, else the directory of the
// running executable. settings.ini, disclaimer.txt, QLM.xsd, scripts/,
// Documentation/ and Utils/ are looked up here.
QString programDir();

// The same before a QCoreApplication exists (read from /proc/self/exe).
QString programDirBeforeApplication();

// Absolute path of settings.ini in the program directory.
QString settingsIniPath();

// Application name of the per-installation store: the program directory with
// every "/" turned into "_", so each installation keeps its own values.
QString mainStoreApplicationName(const QString &programDirectory);

// The per-installation store (user state), opened anew on every call.
std::unique_ptr<QSettings> openMainStore();

// The store shared by all installations ("QuillmateGlobal").
std::unique_ptr<QSettings> openGlobalStore();

// settings.ini beside the program.
std::unique_ptr<QSettings> openSettingsIni();

// File names from panel, project and script data may use "\" as separator.
QString normalizePanelPath(const QString &path);

} // namespace AppPaths
