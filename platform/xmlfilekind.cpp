#include "xmlfilekind.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <QXmlStreamReader>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough to hold the declaration, comments and the root start tag of any
// file the program writes.
constexpr qint64 headBytes = 64 * 1024;

QTextCodec *codecOf(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec *byMark = QTextCodec::codecForUtfText(bytes, nullptr);
    if (byMark)
        return byMark;
    // Without a mark the declaration's encoding counts; it is ASCII text in
    // every encoding the program meets.
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(400)));
    if (match.hasMatch()) {
        if (QTextCodec *named = QTextCodec::codecForName(match.captured(1).toLatin1()))
            return named;
    }
    return utf8;
}

} // namespace

namespace XmlFileKind {

qint64 headSize()
{
    return headBytes;
}

QByteArray head(const QString &fileName, bool *ok)
{
    return contents(fileName, headBytes, ok);
}

QByteArray readDescriptor(int fd, qint64 limit, bool *ok)
{
    QByteArray bytes;
    *ok = true;
    while (bytes.size() < limit) {
        // Growing as the file turns out longer: a small file costs a small
        // buffer.
        const qint64 chunk = qMin<qint64>(limit - bytes.size(), qBound<qint64>(4096, bytes.size(), 1 << 24));
        const int had = bytes.size();
        bytes.resize(had + int(chunk));
        const ssize_t got = ::read(fd, bytes.data() + had, size_t(chunk));
        if (got < 0 && errno == EINTR) {
            bytes.resize(had);
            continue;
        }
        bytes.resize(had + int(qMax<ssize_t>(got, 0)));
        if (got < 0)
            *ok = false;
        if (got <= 0)
            break;
    }
    return bytes;
}

QByteArray contents(const QString &fileName, qint64 limit, bool *ok)
{
    *ok = false;
    // Not blocking: a FIFO put in the file's place after a look at it must
    // not hold the program; the type is checked on what was opened.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return QByteArray();
    struct stat info {};
    QByteArray bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        bytes = readDescriptor(fd, qMin<qint64>(limit, qint64(info.st_size) + 1), ok);
    ::close(fd);
    return *ok ? bytes : QByteArray();
}

QString withLineFeeds(QString text)
{
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

QByteArray withLineFeeds(const QByteArray &bytes)
{
    if (QTextCodec *wide = QTextCodec::codecForUtfText(bytes, nullptr)) {
        if (wide->mibEnum() != 106) { // not UTF-8: CR and LF are wider than a byte
            QTextCodec::ConverterState decodeState(QTextCodec::IgnoreHeader);
            QTextCodec::ConverterState encodeState(QTextCodec::IgnoreHeader);
            const int mark = wide->mibEnum() == 1017 || wide->mibEnum() == 1018 || wide->mibEnum() == 1019 ? 4 : 2;
            const QString text = withLineFeeds(wide->toUnicode(bytes.constData() + mark, bytes.size() - mark, &decodeState));
            // Bytes that do not decode are kept as they are: the reader reports them.
            if (decodeState.invalidChars > 0 || decodeState.remainingChars > 0)
                return bytes;
            return bytes.left(mark) + wide->fromUnicode(text.constData(), text.size(), &encodeState);
        }
    }
    if (!bytes.contains('\r'))
        return bytes;
    QByteArray result = bytes;
    result.replace("\r\n", "\n");
    result.replace('\r', '\n');
    return result;
}

DecodeFault firstDecodeFault(const QByteArray &bytes)
{
    DecodeFault fault;
    QTextCodec *codec = codecOf(bytes);
    {
        // A sequence cut off by the end of the bytes is a fault too.
        QTextCodec::ConverterState whole;
        codec->toUnicode(bytes.constData(), bytes.size(), &whole);
        if (whole.invalidChars == 0 && whole.remainingChars == 0)
            return fault;
    }
    // Decoded a block at a time; the block that holds the first fault is
    // decoded again a byte at a time to find its place.
    constexpr int block = 64 * 1024;
    int faultyBlock = bytes.size();
    {
        QTextCodec::ConverterState state;
        for (int at = 0; at < bytes.size(); at += block) {
            codec->toUnicode(bytes.constData() + at, qMin(block, bytes.size() - at), &state);
            if (state.invalidChars > 0) {
                faultyBlock = at;
                break;
            }
        }
    }
    QTextCodec::ConverterState state;
    QString text = codec->toUnicode(bytes.constData(), faultyBlock, &state);
    for (int at = faultyBlock; at < bytes.size(); ++at) {
        const QString more = codec->toUnicode(bytes.constData() + at, 1, &state);
        // What the faulty byte gave is not part of the good text.
        if (state.invalidChars > 0)
            break;
        text += more;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text = withLineFeeds(std::move(text));
    fault.found = true;
    fault.line = text.count(QLatin1Char('\n')) + 1;
    fault.column = text.size() - text.lastIndexOf(QLatin1Char('\n'));
    return fault;
}

QString decodedText(const QByteArray &bytes)
{
    QString text = codecOf(bytes)->toUnicode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text = withLineFeeds(std::move(text));
    // A byte-order mark among the leading blanks is dropped with them (an
    // XML reader skips it too).
    int start = 0;
    while (start < text.size() && (text.at(start).isSpace() || text.at(start) == QChar(0xFEFF)))
        ++start;
    text.remove(0, start);
    return text;
}

bool looksLikeXml(const QByteArray &bytes)
{
    // The first kilobyte tells unless it is all blanks.
    const QByteArray head = bytes.left(int(headBytes));
    const QString start = decodedText(head.left(1024));
    if (!start.isEmpty() || head.size() <= 1024)
        return start.startsWith(QLatin1Char('<'));
    return decodedText(head).startsWith(QLatin1Char('<'));
}

// The root element's name in the decoded start of a file. premature tells
// whether the text ended before the root's start tag did.
static QString rootElementOfText(const QString &text, bool *premature)
{
    QXmlStreamReader xml(text);
    // A start tag cut by the end of the head reads as "premature end": the
    // name is known once the tag is complete, which the head allows for.
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            return xml.name().toString();
        if (token == QXmlStreamReader::Invalid)
            break;
    }
    *premature = xml.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    return QString();
}

QString rootElement(const QByteArray &bytes)
{
    // Mostly the root's start tag is within the first few kilobytes; the
    // whole text is decoded only when it is not. (A text reader ignores the
    // declared encoding: the text is decoded already.)
    const int firstPart = 4096;
    bool premature = false;
    if (bytes.size() > firstPart) {
        const QString root = rootElementOfText(decodedText(bytes.left(firstPart)), &premature);
        if (!premature)
            return root;
    }
    return rootElementOfText(decodedText(bytes), &premature);
}

QString rootElementOfFile(const QString &fileName)
{
    bool ok = false;
    const QByteArray head = XmlFileKind::head(fileName, &ok);
    return ok ? rootElement(head) : QString();
}

bool isTableFile(const QByteArray &bytes)
{
    QXmlStreamReader xml(decodedText(bytes));
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("qlmpxml"))
        return false;
    int activeLists = 0;
    int entries = 0;
    bool onlyTables = true;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("ActiveElements")) {
            xml.skipCurrentElement();
            continue;
        }
        ++activeLists;
        while (xml.readNextStartElement()) {
            ++entries;
            if (xml.name() != QLatin1String("Table"))
                onlyTables = false;
            xml.skipCurrentElement();
        }
    }
    // A file that cannot be read to its end is nobody's table file.
    while (!xml.atEnd())
        xml.readNext();
    return !xml.hasError() && activeLists == 1 && entries == 1 && onlyTables;
}

static QStringList firstLines(const QByteArray &head)
{
    return decodedText(head).split(QLatin1Char('\n')).mid(0, 400);
}

bool looksLikeScript(const QByteArray &head)
{
    if (isBinary(head))
        return false;
    static const QRegularExpression command(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\s*\\(.*\\))?$"));
    int calls = 0;
    for (const QString &line : firstLines(head)) {
        QString text = line.trimmed();
        if (text.startsWith(QLatin1String("python:"), Qt::CaseInsensitive)) {
            ++calls;
            continue;
        }
        const int comment = text.indexOf(QLatin1String("//"));
        if (comment >= 0 && !text.startsWith(QLatin1String("MessageBox"), Qt::CaseInsensitive))
            text = text.left(comment).trimmed();
        if (text.isEmpty())
            continue;
        if (!command.match(text).hasMatch())
            return false;
        if (text.endsWith(QLatin1Char(')')))
            ++calls;
    }
    return calls > 0;
}

bool looksLikeCHeader(const QByteArray &head)
{
    if (isBinary(head))
        return false;
    static const QRegularExpression directive(
        QStringLiteral("^\\s*#\\s*(define|undef|ifndef|ifdef|if|elif|else|endif|include|pragma|error)\\b"));
    for (const QString &line : firstLines(head)) {
        if (directive.match(line).hasMatch())
            return true;
    }
    return false;
}

bool isBinary(const QByteArray &head)
{
    // UTF-16 text holds NULs too; its mark tells it.
    if (QTextCodec::codecForUtfText(head, nullptr))
        return false;
    return head.contains('\0');
}

} // namespace XmlFileKind
