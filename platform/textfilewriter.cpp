#include "textfilewriter.h"

#include <QSaveFile>

TextFileWriter::TextFileWriter(const QString &fileName)
    : m_fileName(fileName)
{
}

QByteArray TextFileWriter::diskBytes(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', QByteArray());
    bytes.replace("\n", "\r\n");
    return bytes;
}

bool TextFileWriter::write()
{
    m_error.clear();
    m_openFailed = false;
    QSaveFile file(m_fileName);
    // Unbuffered: a buffered write that stops part-way (file size limit, full
    // disk) can still end in a successful commit of a truncated file. Written
    // directly, the short count shows.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = file.errorString();
        m_openFailed = true;
        return false;
    }
    const QByteArray bytes = diskBytes(m_text);
    if (file.write(bytes) != bytes.size()) {
        m_error = QStringLiteral("only part of the file could be written: %1").arg(file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}
