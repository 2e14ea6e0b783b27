#pragma once

#include <QString>
#include <QStringList>

// The line that follows the message of a file not found by a search through
// several folders: the folders searched, in the order they were searched,
// each once. Console and log file, like every other console line.
void logFoldersSearched(const QString &name, const QStringList &folders);

// The text of that line (plain text, without the line end).
QString foldersSearchedText(const QString &name, const QStringList &folders);
