// PanelXmlReader: include expansion. An include element pulls the elements of
// another file into the current container; its attributes are placeholders
// ("$name$") replaced in the included text before it is parsed.
#include "panelxmlreader.h"

#include "errorreporter.h"
#include "foldersearch.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "xmlfilekind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using namespace PanelXml;

// A placeholder value as XML text, so that it stays one value wherever it lands.
static QString xmlEscaped(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&': escaped += QLatin1String("&amp;"); break;
        case '<': escaped += QLatin1String("&lt;"); break;
        case '>': escaped += QLatin1String("&gt;"); break;
        case '"': escaped += QLatin1String("&quot;"); break;
        case '\'': escaped += QLatin1String("&apos;"); break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

QByteArray PanelXmlReader::substitutePlaceholders(QByteArray bytes, const QXmlStreamAttributes &values,
                                                  bool *tooLarge)
{
    *tooLarge = false;
    // In document order: a value that holds the placeholder of a later
    // attribute is replaced again by that attribute.
    for (const QXmlStreamAttribute &attribute : values) {
        const QByteArray placeholder = '$' + attribute.qualifiedName().toUtf8() + '$';
        const QByteArray value = xmlEscaped(attribute.value().toString()).toUtf8();
        const qint64 count = bytes.count(placeholder);
        if (count == 0)
            continue;
        // Values that hold further placeholders can multiply the text: refuse
        // before the memory is taken.
        if (bytes.size() + count * (value.size() - placeholder.size()) > maxIncludeSize) {
            *tooLarge = true;
            return QByteArray();
        }
        bytes.replace(placeholder, value);
    }
    return bytes;
}

// Where an included file is looked for, in this order: the including file's
// directory, then the -i directories (relative ones taken from the including
// file's directory).
static QStringList includeFolders(const QString &dir, const QString &includePaths)
{
    QStringList folders{dir};
    const QStringList entries = includePaths.split(QLatin1Char(';'));
    for (QString entry : entries) {
        entry.replace(QLatin1Char('\\'), QLatin1Char('/'));
        folders.append(QDir::isRelativePath(entry) ? dir + QLatin1Char('/') + entry : entry);
    }
    return folders;
}

QString PanelXmlReader::findIncludedFile(const QString &name) const
{
    const QString fileName = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString path;
    for (const QString &folder : includeFolders(panelDir(), m_options.includePaths)) {
        path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return path;
}

void PanelXmlReader::failRead(const QString &reason)
{
    m_failed = true;
    m_xml->raiseError(reason);
}

bool PanelXmlReader::readInclude(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString name = m_xml->readElementText().trimmed();
    if (m_xml->hasError())
        return false;
    // The file to include is the element's text: without one there is
    // nothing to open (the panel's own folder would be taken for it).
    if (name.isEmpty()) {
        xmlMessage(tr("The include names no file (the file name is the text of the include element)"), QString(),
                   true);
        failRead(tr("An include names no file"));
        return false;
    }
    const QString path = findIncludedFile(name);
    const QFileInfo info(path);

    // Nothing may start a new panel in the middle of this one: a failure is
    // reported here and fails the whole read; the caller falls back once the
    // reader is gone.
    QFile file(path);
    QString openError;
    if (!info.exists())
        openError = tr("No such file or directory");
    else if (!info.isFile())
        openError = tr("Not a regular file");
    else if (!file.open(QIODevice::ReadOnly))
        openError = file.errorString();
    if (!openError.isEmpty()) {
        reportCannotOpenFile(path, openError);
        // With -i directories the search went through several folders.
        if (!info.exists() && !m_options.includePaths.trimmed().isEmpty() && QDir::isRelativePath(name))
            logFoldersSearched(name, includeFolders(panelDir(), m_options.includePaths));
        failRead(tr("Cannot open included file %1").arg(path));
        return false;
    }
    QString readError;
    if (m_openFiles.contains(info.canonicalFilePath()))
        readError = tr("The file includes itself.");
    else if (m_includeDepth >= maxIncludeDepth)
        readError = tr("Includes are nested deeper than %1 levels.").arg(maxIncludeDepth);
    else if (info.size() > maxIncludeSize)
        readError = tr("The file is larger than %1 bytes.").arg(maxIncludeSize);
    if (!readError.isEmpty()) {
        logCannotReadFile(path, readError);
        failRead(tr("Cannot read included file %1").arg(path));
        return false;
    }

    // The included file has the stream, the bytes and the window's current file
    // while it is read, so that messages point into it.
    const QString savedFile = currentFile();
    const QByteArray savedBytes = m_fileBytes;
    std::unique_ptr<QXmlStreamReader> savedStream = std::move(m_xml);
    m_xml = std::make_unique<QXmlStreamReader>();
    m_panel->setXMLFile(path);
    m_openFiles.append(info.canonicalFilePath());
    ++m_includeDepth;

    const bool ok = readIncludedXml(file.readAll(), header, parent, attributes);
    const QString streamError = m_xml->errorString();

    --m_includeDepth;
    m_openFiles.removeLast();
    m_xml = std::move(savedStream);
    m_fileBytes = savedBytes;
    m_panel->setXMLFile(savedFile);

    if (m_failed) {
        // An include further down failed: this level ends as well.
        m_xml->raiseError(streamError);
        return false;
    }
    if (!ok) {
        logCannotReadFile(path, streamError);
        failRead(tr("Cannot read included file %1").arg(path));
        return false;
    }
    // A version element of the included file does not change the panel's.
    m_panel->editHeader().xmlVersion = m_panel->header().xmlOriginalVersion;
    return true;
}

bool PanelXmlReader::readIncludedXml(const QByteArray &bytes, const QString &header, Container *parent,
                                     const QXmlStreamAttributes &attributes)
{
    m_fileBytes = XmlFileKind::withLineFeeds(bytes);

    if (!attributes.isEmpty()) {
        // A fragment: its top element is an element of a container.
        bool tooLarge = false;
        m_fileBytes = substitutePlaceholders(m_fileBytes, attributes, &tooLarge);
        m_xml = std::make_unique<QXmlStreamReader>(m_fileBytes);
        if (tooLarge) {
            m_xml->raiseError(tr("Its placeholders make it larger than %1 bytes.").arg(maxIncludeSize));
            return false;
        }
        readElements(parent, QString(), nullptr);
        reportStreamError();
        return true;
    }

    // A complete panel file: its children after the checksum are elements.
    m_xml = std::make_unique<QXmlStreamReader>(m_fileBytes);
    if (!m_xml->readNextStartElement() || !checkRootElement()) {
        // Refused without a stream error: nothing of the file was read.
        noteStoppedEarly(tr("The included file %1 was not read.").arg(currentFile()));
        return !m_xml->hasError();
    }
    if (!verifyChecksum())
        reportManipulatedFile(currentFile());
    readElements(parent, header, nullptr);
    reportStreamError();
    return true;
}
