// PanelXmlReader: the read flow, the root and version check, the checksum, the
// top-level walk with the root container, and the console message lines.
#include "panelxmlreader.h"

#include "absolutewidget.h"
#include "activeelement.h"
#include "boxcontainers.h"
#include "consolelinks.h"
#include "errorreporter.h"
#include "gridwidget.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "pollentries.h"
#include "programversion.h"
#include "sha256.h"
#include "tabwidget.h"
#include "treewidget.h"
#include "tyklink.h"
#include "xmlfilekind.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QXmlStreamReader>

using namespace PanelXml;

PanelXmlReader::PanelXmlReader(Panel *target, PanelReadOptions readOptions)
    : m_panel(target)
    , m_options(std::move(readOptions))
    , m_xml(std::make_unique<QXmlStreamReader>())
{
    // The exchange thread of the panel before was stopped before this read.
    m_panel->resetReadState();

    m_sizePolicyNames = {
        {QStringLiteral("fixed"), QSizePolicy::Fixed},
        {QStringLiteral("expanding"), QSizePolicy::Expanding},
        {QStringLiteral("minimum"), QSizePolicy::Minimum},
        {QStringLiteral("maximum"), QSizePolicy::Maximum},
        {QStringLiteral("preferred"), QSizePolicy::Preferred},
        {QStringLiteral("minimumexpanding"), QSizePolicy::MinimumExpanding},
        {QStringLiteral("ignored"), QSizePolicy::Ignored},
    };
    m_eventNames = {QStringLiteral("checked"),  QStringLiteral("unchecked"), QStringLiteral("selected"),
                  QStringLiteral("unselected"), QStringLiteral("changed"), QStringLiteral("clicked"),
                  QStringLiteral("pressed"),  QStringLiteral("released")};
    m_commandNames = {QStringLiteral("sendUSB"),  QStringLiteral("setDef"),
                    QStringLiteral("resetGUI"), QStringLiteral("loadFile"),
                    QStringLiteral("startProgram"), QStringLiteral("runScript")};
    // The version check needs the program's own version, normally read at start-up.
    if (programVersion().text().isEmpty())
        readProgramVersion();
}

PanelXmlReader::~PanelXmlReader() = default;

// ---------------------------------------------------------------------------
// Read flow

bool PanelXmlReader::readXml(QIODevice *device)
{
    // The checksum covers the text with LF line ends, whatever line ends the
    // file has. A UTF-16 file is decoded for that first: its CR is two bytes,
    // one of them a NUL.
    m_readClock.start();
    m_fileBytes = XmlFileKind::withLineFeeds(device->readAll());
    if (!device->isSequential())
        device->reset();
    m_xml = std::make_unique<QXmlStreamReader>(m_fileBytes);

    const auto *file = qobject_cast<QFile *>(device);
    const QString canonical = QFileInfo(file ? file->fileName() : currentFile()).canonicalFilePath();
    if (!canonical.isEmpty())
        m_openFiles = QStringList{canonical};

    if (!m_xml->readNextStartElement()) {
        reportStreamError();
        return !m_xml->hasError();
    }
    if (!checkRootElement())
        return false;
    if (!verifyChecksum())
        reportManipulatedFile(currentFile());

    const bool rootRead = readTopLevel();
    if (m_failed)
        return false;
    checkNamedTargets();
    // Nothing after the root container is built, but a file that breaks off
    // or goes wrong there is still no sound panel.
    while (rootRead && !m_xml->atEnd() && !m_xml->hasError())
        m_xml->readNext();
    reportStreamError();
    if (rootRead)
        return true;
    reportNoContainerRoot(currentFile());
    return false;
}

void PanelXmlReader::reportStreamError()
{
    // Custom errors are the reader's own (version, include failure), reported already.
    if (!m_xml->hasError() || m_xml->error() == QXmlStreamReader::CustomError || m_failed)
        return;
    xmlMessage(tr("XML not well-formed: %1").arg(m_xml->errorString().toHtmlEscaped()), QString(), true);
    noteStoppedEarly(tr("XML not well-formed in %1, line %2, column %3: %4")
                         .arg(currentFile())
                         .arg(m_xml->lineNumber())
                         .arg(m_xml->columnNumber())
                         .arg(m_xml->errorString()));
}

void PanelXmlReader::noteStoppedEarly(const QString &reason)
{
    if (m_stoppedEarly.isEmpty())
        m_stoppedEarly = reason;
}

QString PanelXmlReader::currentFile() const
{
    return m_panel->header().xmlFile;
}

QString PanelXmlReader::panelDir() const
{
    return QFileInfo(currentFile()).path();
}

QString PanelXmlReader::resolvePanelPath(const QString &name) const
{
    return QDir(panelDir()).filePath(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

// ---------------------------------------------------------------------------
// Version and checksum

qint64 PanelXmlReader::versionNumber(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    qint64 number = 0;
    for (int i = 0; i < 3; ++i)
        number = number * 1000 + (i < parts.size() ? parts.at(i).toInt() : 0);
    return number;
}

bool PanelXmlReader::checkRootElement()
{
    const QString version = text(m_xml->attributes(), "version");
    const qint64 fileVersion = versionNumber(version);
    // Files of the first major format are read by that program generation only.
    if (fileVersion >= 1 && fileVersion <= 9999) {
        reportVersion1OnlyConfiguration();
        return false;
    }
    versionText = version;
    const qint64 ownVersion = programVersion().number();
    if (m_options.homePanel)
        return true;
    if (m_xml->name() == QLatin1String("zelmlcfg") && fileVersion <= ownVersion)
        return true;
    reportProgramTooOld(currentFile(), versionText);
    m_xml->raiseError(tr("Error: Wrong Version of Quillmate.\n%2 requires minimum Quillmate %3\n"
                       "Current version of Quillmate is %1\n")
                        .arg(programVersionShortText(), QFileInfo(currentFile()).fileName(), versionText));
    return false;
}

QByteArray PanelXmlReader::checksumOf(const QByteArray &text)
{
    return checksumAfterTag(text);
}

bool PanelXmlReader::verifyChecksum()
{
    // The stream cannot step back: a second one looks at the root's first
    // child, so that anything other than a checksum is left to the walk.
    // Both looks ahead read through a buffer: a stream over the bytes
    // themselves would decode the whole file before its first token.
    QBuffer aheadBytes;
    aheadBytes.setData(m_fileBytes);
    aheadBytes.open(QIODevice::ReadOnly);
    QXmlStreamReader ahead(&aheadBytes);
    const bool hasChild = ahead.readNextStartElement() && ahead.readNextStartElement();
    if (!hasChild || ahead.name() != QLatin1String("checksum")) {
        // A broken file is reported by the walk that runs into the fault.
        if (!ahead.hasError())
            reportMissingChecksum(currentFile());
        return true;
    }
    m_xml->readNextStartElement();
    const QString written = m_xml->readElementText();
    // The digest covers the text as UTF-8: a file in another encoding is
    // decoded first.
    QBuffer declarationBytes;
    declarationBytes.setData(m_fileBytes);
    declarationBytes.open(QIODevice::ReadOnly);
    QXmlStreamReader declaration(&declarationBytes);
    declaration.readNext();
    const QString encoding = declaration.documentEncoding().toString();
    const bool otherEncoding = m_fileBytes.startsWith("\xFF\xFE") || m_fileBytes.startsWith("\xFE\xFF")
        || (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0);
    const QByteArray digest =
        checksumOf(otherEncoding ? XmlFileKind::decodedText(m_fileBytes).toUtf8() : m_fileBytes);
    // Without the closing tag nothing is covered: that is no valid signature.
    if (digest.isNull()) {
        reportMissingChecksum(currentFile());
        return false;
    }
    return written == QLatin1String(digest);
}

// ---------------------------------------------------------------------------
// Top level

bool PanelXmlReader::isRootContainer(const QString &name) const
{
    static const QStringList names = {
        QStringLiteral("tabcontainer"),        QStringLiteral("absolutecontainer"),
        QStringLiteral("groupcontainer"),      QStringLiteral("treecontainer"),
        QStringLiteral("horizontalcontainer"), QStringLiteral("gridcontainer"),
        QStringLiteral("verticalcontainer"),
    };
    return names.contains(name);
}

bool PanelXmlReader::readTopLevel()
{
    while (m_xml->readNextStartElement()) {
        if (isRootContainer(m_xml->name().toString())) {
            // Whatever follows the root container is not read.
            readRootContainer();
            return true;
        }
        if (!readHeaderElement())
            return false;
    }
    return false;
}

void PanelXmlReader::readRootContainer()
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString name = m_xml->name().toString();
    const int stretch = text(attributes, "stretch").toInt();
    QWidget *root = nullptr;
    Container *container = nullptr;
    const auto install = [&](auto *widget, const char *objectName) {
        widget->setObjectName(QLatin1String(objectName));
        root = widget;
        container = widget;
    };

    if (name == QLatin1String("tabcontainer")) {
        TabWidget *tabs = m_panel->wiring().createTabWidget();
        install(tabs, "TAB_ROOT");
        const QString label = readLabel(attributes);
        if (!label.isEmpty())
            m_panel->setTabWidget(label, tabs);
        connectTabChanges(tabs, attributes);
    } else if (name == QLatin1String("absolutecontainer")) {
        install(m_panel->wiring().createAbsoluteWidget(), "ABSOLUTE_ROOT");
    } else if (name == QLatin1String("groupcontainer")) {
        install(m_panel->wiring().createGroupBox(readLabel(attributes)), "GROUP_ROOT");
        root->setProperty("my_label", text(attributes, "label"));
    } else if (name == QLatin1String("treecontainer")) {
        TreeWidget *tree = m_panel->wiring().createTreeWidget();
        install(tree, "TREE_ROOT");
        tree->setHeaderLabels(readHeaderLabels(attributes));
        tree->setColumnWidths(readColumnWidths(attributes));
    } else if (name == QLatin1String("horizontalcontainer")) {
        install(m_panel->wiring().createHorizontalWidget(), "HORIZ_ROOT");
    } else if (name == QLatin1String("gridcontainer")) {
        GridWidget *grid = m_panel->wiring().createGridWidget();
        install(grid, "GRID_ROOT");
        grid->setColumns(readColumns(attributes));
    } else {
        install(m_panel->wiring().createVerticalWidget(), "VERT_ROOT");
    }

    const bool boxRoot = name == QLatin1String("horizontalcontainer")
        || name == QLatin1String("verticalcontainer");
    if (boxRoot && (stretch & 1))
        addStretch(root);
    readCommonAttributes(attributes, root);
    if (name == QLatin1String("tabcontainer"))
        m_panel->wiring().connectToMathLabels(root);
    readElements(container, QString(), nullptr);
    if (boxRoot && (stretch & 2))
        addStretch(root);
}

// ---------------------------------------------------------------------------
// Console lines

QString PanelXmlReader::positionLink(const QString &file, qint64 line, qint64 column)
{
    return filePositionLink(file, QString::number(line), QString::number(column));
}

QString PanelXmlReader::messageLine(const QString &text, const QString &link, bool isError,
                                    const QString &file, qint64 line, qint64 column)
{
    const QString href = linkTarget(link);
    const QString position = QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b>")
                                 .arg(positionLink(file, line, column).toHtmlEscaped(),
                                      QString::number(line), QString::number(column));
    const QString format = isError
        ? tr("<b><font color=\"red\"> XML Error: </font>%1 <a href=\"%2\">%3</a> (%4)<br>")
        : tr("<b><font color=\"orange\"> XML Warning: </font>%1 <a href=\"%2\">%3</a> (%4)<br>");
    // Filled one placeholder after the other; panel texts are escaped so that
    // they cannot add markup or links of their own.
    return format.arg(text).arg(href.toHtmlEscaped()).arg(link.toHtmlEscaped()).arg(position);
}

void PanelXmlReader::xmlMessage(const QString &text, const QString &link, bool isError)
{
    const qint64 line = m_xml->lineNumber();
    const qint64 column = m_xml->columnNumber();
    // The dispatcher skips, with a message each, every element it finds
    // beyond the nesting limit: messages at that depth mean skipped elements.
    if (m_nesting > maxNesting)
        noteStoppedEarly(tr("Elements nested deeper than %1 levels in %2 were not read.")
                             .arg(maxNesting)
                             .arg(currentFile()));
    ++m_messageCount;
    if (m_messageCount <= maxMessages) {
        ::logMessage(messageLine(text, link, isError, currentFile(), line, column));
    } else if (m_messageCount == maxMessages + 1) {
        ::logMessage(messageLine(tr("More than %1 XML errors and warnings: the others are not shown.")
                                     .arg(maxMessages),
                                 QString(), false, currentFile(), line, column));
    }
}

void PanelXmlReader::noteElementRead()
{
    if (!m_options.progress || (++m_elementsRead & 127) != 0)
        return;
    const qint64 ms = m_readClock.isValid() ? m_readClock.elapsed() : 0;
    if (ms < m_options.progressAfterMs || (m_lastProgressMs >= 0 && ms - m_lastProgressMs < 100))
        return;
    m_lastProgressMs = ms;
    m_options.progress(m_elementsRead);
}

void PanelXmlReader::panelMistake(const QString &text, const QString &link)
{
    mistakeAt(text, link, currentFile(), m_xml->lineNumber(), m_xml->columnNumber());
}

void PanelXmlReader::mistakeAt(const QString &text, const QString &link, const QString &file, qint64 line,
                               qint64 column)
{
    if (m_mistakeCount++ == 0) {
        m_firstMistake = ErrorReporter::plainText(QStringLiteral("%1 %2 (%3 line %4)")
                                                      .arg(text, link.toHtmlEscaped(), file.toHtmlEscaped(),
                                                           QString::number(line)));
    }
    ++m_messageCount;
    if (m_messageCount <= maxMessages)
        ::logMessage(messageLine(text, link, true, file, line, column));
}

void PanelXmlReader::noteNamedTargets(const QString &attribute, const QString &items, const QString &element)
{
    for (const QString &item : items.split(QLatin1Char(';'))) {
        const QString define = item.section(QLatin1Char('='), 0, 0).trimmed();
        if (!define.isEmpty())
            m_namedTargets.append({attribute, define, element, currentFile(), m_xml->lineNumber(),
                                   m_xml->columnNumber()});
    }
}

void PanelXmlReader::checkNamedTargets()
{
    // A target is a define, or an element's define with a keyword behind a
    // "." (DEMO_VIEW.module).
    const auto known = [this](QString name) {
        while (!name.isEmpty()) {
            if (m_panel->getActiveElement(name) || m_panel->registries().variablesByName.contains(name))
                return true;
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            if (dot < 0)
                return false;
            name.truncate(dot);
        }
        return false;
    };
    for (const NamedTarget &target : qAsConst(m_namedTargets)) {
        if (known(target.define))
            continue;
        mistakeAt(tr("%1 of %2 names no element: ").arg(target.attribute, target.element.toHtmlEscaped()),
                  target.define, target.file, target.line, target.column);
    }
    m_namedTargets.clear();
}

QString PanelXmlReader::xmlErrorLink() const
{
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(positionLink(currentFile(), m_xml->lineNumber(), m_xml->columnNumber()).toHtmlEscaped(),
             QString::number(m_xml->lineNumber()), QString::number(m_xml->columnNumber()));
}
