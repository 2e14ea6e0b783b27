// Signing panel files, and the checksum rule that panel and project files
// share.
#include "panelsigning.h"

#include "errorreporter.h"
#include "inputfile.h"
#include "panelxmlreader.h"
#include "textfilewriter.h"
#include "writeguard.h"
#include "xmlfilekind.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCodec>

// The messages keep the window's translation context.
static QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

static const QString checksumOpen = QStringLiteral("<checksum>");
static const QString checksumClose = QStringLiteral("</checksum>");

bool insertChecksum(QString &text)
{
    const int open = text.indexOf(checksumOpen);
    const int close = text.indexOf(checksumClose);
    const int start = open + checksumOpen.size();
    if (open < 0 || close < start)
        return false;
    // The digest covers only what follows the checksum text, so it does not
    // depend on what stands there now; it is taken over the text with LF line
    // ends, as the reader sees it whatever line ends the file has.
    const QByteArray digest = PanelXmlReader::checksumOf(XmlFileKind::withLineFeeds(text).toUtf8());
    text.replace(start, close - start, QLatin1String(digest));
    return true;
}

// Gives a panel without a checksum element the placeholder right after its
// root start tag, when that tag has one of the two recognised forms.
static void insertChecksumPlaceholder(QString &text)
{
    static const QRegularExpression rootPatterns[] = {
        QRegularExpression(QStringLiteral("<zelmlcfg version=\"\\d.\\d.\\d\">")),
        QRegularExpression(QStringLiteral("<zelmlcfg version=\"\\d.\\d\">")),
    };
    for (const QRegularExpression &pattern : rootPatterns) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch())
            continue;
        const int end = text.indexOf(QLatin1Char('>'), match.capturedStart());
        text.insert(end + 1, QStringLiteral("\n\t<checksum>") + QString(64, QLatin1Char('0')) + checksumClose);
        return;
    }
}

namespace {

// The encoding a panel's bytes are in: their byte-order mark, else their
// declaration, else UTF-8.
QTextCodec *panelCodec(const QByteArray &bytes, QByteArray *mark)
{
    // A byte-order mark names the encoding; it is written back as it was.
    static const struct {
        const char *bytes;
        const char *codec;
    } marks[] = {{"\xEF\xBB\xBF", "UTF-8"}, {"\xFF\xFE", "UTF-16LE"}, {"\xFE\xFF", "UTF-16BE"}};
    for (const auto &each : marks) {
        if (bytes.startsWith(each.bytes)) {
            *mark = QByteArray(each.bytes);
            return QTextCodec::codecForName(each.codec);
        }
    }
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(400)));
    if (match.hasMatch())
        return QTextCodec::codecForName(match.captured(1).toLatin1()); // null: not known
    return QTextCodec::codecForName("UTF-8");
}

} // namespace

bool signPanelFile(const QString &path, const QString &refusedOpen)
{
    if (path.isEmpty())
        return false;
    // Only a panel is signed: any other file, the running script and the
    // loaded panel are left byte for byte.
    WriteTarget panelTarget;
    panelTarget.fileName = path;
    panelTarget.kind = WrittenKind::Panel;
    const QString refusal = WriteGuard::refusal(panelTarget);
    if (!refusal.isEmpty()) {
        reportError(WriteGuard::refusalMessage(panelTarget, refusal));
        return false;
    }
    // A run that writes does not vouch for a panel it refused to use.
    if (!refusedOpen.isEmpty()) {
        reportError(tr("File %1 is not signed: %2").arg(path, refusedOpen));
        return false;
    }
    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly, &openError)) {
        reportCannotOpenFile(QFileInfo(path).absoluteFilePath(), openError);
        return false;
    }
    const QByteArray fileBytes = file.readAll();
    file.close();

    // The file keeps its own encoding; bytes it cannot decode, or an encoding
    // it cannot name, leave it alone.
    QByteArray mark;
    QTextCodec *codec = panelCodec(fileBytes, &mark);
    if (!codec) {
        reportError(tr("File %1 is not signed: its encoding is not known.").arg(path));
        return false;
    }
    QTextCodec::ConverterState decodeState(QTextCodec::IgnoreHeader);
    QString text =
        codec->toUnicode(fileBytes.constData() + mark.size(), fileBytes.size() - mark.size(), &decodeState);
    if (decodeState.invalidChars > 0) {
        reportError(tr("File %1 is not signed: it holds bytes that are not %2 text.")
                        .arg(path, QString::fromLatin1(codec->name())));
        return false;
    }
    // Every line end becomes LF here and CR LF on disk; a CR alone ends its
    // line as well (dropped, it would join two lines, and their attributes).
    text = XmlFileKind::withLineFeeds(std::move(text));

    if (!text.contains(checksumOpen))
        insertChecksumPlaceholder(text);
    // A panel without a place for the checksum is not written at all.
    if (!insertChecksum(text)) {
        reportMissingChecksum(path);
        return false;
    }

    // Written back in its own encoding, behind its own byte-order mark.
    bool encoded = false;
    const QByteArray bytes = TextFileWriter::diskBytes(text, codec, mark, &encoded);
    if (!encoded) {
        reportError(tr("File %1 is not signed: its text cannot be written back as %2.")
                        .arg(path, QString::fromLatin1(codec->name())));
        return false;
    }
    TextFileWriter writer(path, WrittenKind::Panel);
    writer.setDiskBytes(bytes);
    return writeReported(writer);
}
