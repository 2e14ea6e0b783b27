#pragma once

#include "panelxmlreader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Panel files of our own for the tests: the XML declaration, the root element
// with the format version (2.0.0 unless given), a checksum element signed by
// the checksum rule, the header elements and the body.
inline QByteArray signedPanelText(const QString &body, const QString &header = QString(),
                                  const QString &version = QStringLiteral("2.0.0"))
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"" + version.toUtf8()
        + "\">\n<checksum>" + QByteArray(64, '0') + "</checksum>\n" + header.toUtf8() + body.toUtf8()
        + "\n</zelmlcfg>\n";
    const int end = text.indexOf("</checksum>");
    text.replace(end - 64, 64, PanelXmlReader::checksumOf(text));
    return text;
}

// The same with the elements inside a vertical root container.
inline QByteArray verticalPanelText(const QString &elements, const QString &header = QString())
{
    return signedPanelText(QStringLiteral("<verticalcontainer>\n%1\n</verticalcontainer>").arg(elements),
                           header);
}

// Writes the bytes to path (folders made as needed); the path, or an empty
// text when the file could not be written.
inline QString writeTestFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}
