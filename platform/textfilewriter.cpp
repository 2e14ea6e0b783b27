#include "textfilewriter.h"

#include <QSaveFile>

TextFileWriter::TextFileWriter(const QString &fileName, WrittenKind kind)
{
    m_target.fileName = fileName;
    m_target.kind = kind;
}

QByteArray TextFileWriter::diskBytes(const QString &text)
{
    return diskBytes(text.toUtf8());
}

QByteArray TextFileWriter::diskBytes(const QByteArray &utf8)
{
    const char *in = utf8.constData();
    const int size = utf8.size();
    int lineFeeds = 0;
    for (int i = 0; i < size; ++i)
        lineFeeds += in[i] == '\n';
    QByteArray bytes(size + lineFeeds, Qt::Uninitialized);
    char *out = bytes.data();
    for (int i = 0; i < size; ++i) {
        const char c = in[i];
        if (c == '\r')
            continue;
        if (c == '\n')
            *out++ = '\r';
        *out++ = c;
    }
    bytes.truncate(int(out - bytes.constData()));
    return bytes;
}

bool TextFileWriter::write()
{
    m_error.clear();
    m_openFailed = false;
    m_refused = false;
    const QString refusal = WriteGuard::refusal(m_target);
    if (!refusal.isEmpty()) {
        m_error = refusal;
        m_refused = true;
        return false;
    }
    QSaveFile file(m_target.fileName);
    // Unbuffered: a buffered write that stops part-way (file size limit, full
    // disk) can still end in a successful commit of a truncated file. Written
    // directly, the short count shows.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = file.errorString();
        m_openFailed = true;
        return false;
    }
    const QByteArray bytes = m_hasBytes ? m_bytes : diskBytes(m_text);
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
