#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// Input files are read only when they are regular files: opening a FIFO for
// reading waits for a writer that may never come, and a device such as
// /dev/zero never ends. Returns "Not a regular file" for an existing path
// that is none, else an empty text (a missing file is left to the open).
QString notRegularFileError(const QString &path);

// Opens file for reading when it is a regular file; on failure *errorText
// (when given) holds why, as reportCannotOpenFile shows it.
bool openInputFile(QFile &file, QIODevice::OpenMode mode, QString *errorText = nullptr);
