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

bool openInputFile(QFile &file, QIODevice::OpenMode mode, QString *errorText)
{
    const QString refusal = notRegularFileError(file.fileName());
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
    return true;
}
