#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// The largest input file read: panel, project, script, table, HEX, SVD and
// pin-mapping files are read whole, and their text takes several times
// their size in memory. A larger file is refused before it is read.
constexpr qint64 maxInputFileSize = 512LL * 1024 * 1024;

// Input files are read only when they are regular files: opening a FIFO for
// reading waits for a writer that may never come, and a device such as
// /dev/zero never ends. Returns "Not a regular file" for an existing path
// that is none, else an empty text (a missing file is left to the open).
QString notRegularFileError(const QString &path);

// The input-file check: notRegularFileError, and for a regular file larger
// than maxInputFileSize "file too large" with its size. Empty when the file
// may be read (or is missing: that is left to the open).
QString inputFileRefusal(const QString &path);

// Opens file for reading when inputFileRefusal lets it; on failure
// *errorText (when given) holds why, as reportCannotOpenFile shows it.
bool openInputFile(QFile &file, QIODevice::OpenMode mode, QString *errorText = nullptr);
