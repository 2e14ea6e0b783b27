#include "textfilewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A file that holds exactly bytes already gets only a new modification time
// (a build rule that makes files from the project sees them newer): its
// content is safe as it is, and the sync and rename of a full write are
// spared. False when the file differs or its time cannot be set.
bool touchWhenUnchanged(const QString &fileName, const QByteArray &bytes)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || info.isSymLink() || !info.isWritable() || info.size() != bytes.size())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
        return false;
    file.close();
    return ::utimensat(AT_FDCWD, QFile::encodeName(fileName).constData(), nullptr, 0) == 0;
}

} // namespace

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
    const char *const end = in + utf8.size();
    int lineFeeds = 0;
    for (const char *at = in; (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)))); ++at)
        ++lineFeeds;
    QByteArray bytes(utf8.size() + lineFeeds, Qt::Uninitialized);
    char *out = bytes.data();
    if (!std::memchr(in, '\r', size_t(utf8.size()))) {
        // No CR to drop: whole lines are copied.
        while (in < end) {
            const char *lineFeed = static_cast<const char *>(std::memchr(in, '\n', size_t(end - in)));
            const char *stop = lineFeed ? lineFeed : end;
            std::memcpy(out, in, size_t(stop - in));
            out += stop - in;
            if (!lineFeed)
                break;
            *out++ = '\r';
            *out++ = '\n';
            in = lineFeed + 1;
        }
        return bytes;
    }
    for (; in < end; ++in) {
        const char c = *in;
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
    const QByteArray bytes = m_hasBytes ? m_bytes : diskBytes(m_text);
    if (touchWhenUnchanged(m_target.fileName, bytes))
        return true;
    QSaveFile file(m_target.fileName);
    // Unbuffered: a buffered write that stops part-way (file size limit, full
    // disk) can still end in a successful commit of a truncated file. Written
    // directly, the short count shows.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = file.errorString();
        m_openFailed = true;
        return false;
    }
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
