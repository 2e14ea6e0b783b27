#include "xmlfilekind.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <QXmlStreamReader>

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

QByteArray head(const QString &fileName, bool *ok)
{
    QFile file(fileName);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.read(headBytes) : QByteArray();
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

QString rootElement(const QByteArray &bytes)
{
    QXmlStreamReader xml(decodedText(bytes));
    // A text reader ignores the declared encoding: the text is decoded already.
    if (!xml.readNextStartElement())
        return QString();
    return xml.name().toString();
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

QString rootElementOfFile(const QString &fileName)
{
    bool ok = false;
    const QByteArray head = XmlFileKind::head(fileName, &ok);
    if (!ok)
        return QString();
    // Mostly the root's start tag is within the first few kilobytes; the
    // whole head is decoded only when it is not.
    const int firstPart = 4096;
    bool premature = false;
    if (head.size() > firstPart) {
        const QString root = rootElementOfText(decodedText(head.left(firstPart)), &premature);
        if (!premature)
            return root;
    }
    return rootElementOfText(decodedText(head), &premature);
}

bool isBinary(const QByteArray &head)
{
    // UTF-16 text holds NULs too; its mark tells it.
    if (QTextCodec::codecForUtfText(head, nullptr))
        return false;
    return head.contains('\0');
}

} // namespace XmlFileKind
