#include "inputfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

QString notRegularFileError(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QCoreApplication::translate("InputFile", "Not a regular file");
    return QString();
}

static QString tooLargeError(qint64 size)
{
    return QCoreApplication::translate("InputFile", "file too large: %1 bytes, more than the %2 bytes (%3 MiB) read")
        .arg(size)
        .arg(maxInputFileSize)
        .arg(maxInputFileSize / (1024 * 1024));
}

QString inputFileRefusal(const QString &path)
{
    const QString notRegular = notRegularFileError(path);
    if (!notRegular.isEmpty())
        return notRegular;
    const QFileInfo info(path);
    if (info.exists() && info.size() > maxInputFileSize)
        return tooLargeError(info.size());
    return QString();
}

bool openInputFile(QFile &file, QIODevice::OpenMode mode, QString *errorText)
{
    const QString refusal = inputFileRefusal(file.fileName());
    if (!refusal.isEmpty()) {
        if (errorText)
            *errorText = refusal;
        return false;
    }
    if (!file.open(mode)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    // The size of the file opened counts, should the name have been given
    // to another file since the check.
    if (file.size() > maxInputFileSize) {
        if (errorText)
            *errorText = tooLargeError(file.size());
        file.close();
        return false;
    }
    return true;
}
