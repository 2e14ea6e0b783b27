#include "textfilewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>

#include <algorithm>

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
    if (!std::memchr(in, '\r', size_t(utf8.size()))) {
        // Only line feeds: whole lines are copied.
        QByteArray bytes(utf8.size() + lineFeeds, Qt::Uninitialized);
        char *out = bytes.data();
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
    // Every line end, also a CR alone, becomes CR LF: a CR is never dropped
    // (in a file whose lines end in CR alone that would join its lines).
    QByteArray bytes;
    bytes.reserve(utf8.size() + lineFeeds + int(std::count(in, end, '\r')));
    while (in < end) {
        const char *lineEnd = in;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        bytes.append(in, int(lineEnd - in));
        if (lineEnd == end)
            break;
        bytes.append("\r\n", 2);
        in = lineEnd + 1;
        if (*lineEnd == '\r' && in < end && *in == '\n')
            ++in;
    }
    return bytes;
}

QByteArray TextFileWriter::diskBytes(const QString &text, QTextCodec *codec, const QByteArray &mark, bool *encoded)
{
    QString crLf = text;
    if (crLf.contains(QLatin1Char('\r'))) {
        crLf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        crLf.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    crLf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray bytes = mark + codec->fromUnicode(crLf.constData(), crLf.size(), &state);
    if (encoded)
        *encoded = state.invalidChars == 0;
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
