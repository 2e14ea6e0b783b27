// PanelXmlReader: the panel header elements between the checksum and the root
// container, and the three of them that may also stand inside containers.
#include "panelxmlreader.h"

#include "activeelement.h"
#include "apppaths.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "tyklink.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using namespace PanelXml;

bool PanelXmlReader::readHeaderElement()
{
    const QString name = m_xml->name().toString();
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const auto value = [&attributes](const char *attribute) { return text(attributes, attribute); };

    if (name == QLatin1String("svd")) {
        readSvd(true);
    } else if (name == QLatin1String("migration")) {
        readMigration();
    } else if (name == QLatin1String("version")) {
        m_panel->editHeader().xmlVersion = value("label");
        m_panel->editHeader().xmlOriginalVersion = value("label");
    } else if (name == QLatin1String("disclaimer")) {
        m_panel->setDisclaimerFile(value("file"));
        warnWhenMissing(value("file"), tr("Disclaimer file is missing."));
    } else if (name == QLatin1String("fwversion")) {
        m_panel->editHeader().setFWVersionRange(value("min"), value("max"));
    } else if (name == QLatin1String("infosource")) {
        m_panel->editHeader().forumUrl = value("forumurl");
        m_panel->setForumToolTip(value("tooltip"));
    } else if (name == QLatin1String("documents")) {
        m_panel->editHeader().documentsPath = value("path");
    } else if (name == QLatin1String("ioconfig")) {
        // Device paths are case-sensitive; the Tyk names are matched without case.
        m_panel->editHeader().ioPortName = value("port").trimmed();
        m_panel->editHeader().ioPortSettings = value("settings").trimmed().toUpper();
    } else if (name == QLatin1String("iocheck")) {
        // An unsigned number kept in 16 bits; anything else is 0.
        m_panel->editHeader().ioCheckMode = quint16(value("mode").toULongLong());
    } else if (name == QLatin1String("loadsaveallowed")) {
        loadSaveAllowed = value("value").toInt() != 0;
    } else if (name == QLatin1String("tooltipconfig")) {
        m_panel->editHeader().toolTipSectionMask = parseNumberLiteral(value("value")).toUInt();
    } else if (name == QLatin1String("terminal")) {
        // The window opens the port once the read has succeeded.
        terminalPort = value("port").trimmed();
        terminalSettings = value("settings").trimmed();
    } else if (name == QLatin1String("parametermap")) {
        readParameterMapElement(); // leaves the stream after the element
        return true;
    } else if (name == QLatin1String("pinmapping")) {
        readPinMappingElement(); // leaves the stream after the element
        return true;
    } else if (name == QLatin1String("elf")) {
        readElf(); // leaves the stream after the element
        return true;
    } else if (name == QLatin1String("usesPython")) {
        // A panel whose Python cannot start is not read.
        if (!m_panel->python().start())
            return false;
    } else if (name != QLatin1String("parametermap") && name != QLatin1String("pinmapping")) {
        // The two above are read by their own readers; they are known here.
        return false;
    }
    m_xml->skipCurrentElement();
    return true;
}

void PanelXmlReader::readSvd(bool topLevel)
{
    const QString file = text(m_xml->attributes(), "file");
    m_panel->editHeader().svdFile = file;
    if (topLevel) {
        hasSvdFile = !file.isEmpty();
        if (file.isEmpty())
            return;
    }
    warnWhenMissing(file, tr("SVD file is missing."));
}

void PanelXmlReader::readMigration()
{
    const QString file = text(m_xml->attributes(), "file");
    m_panel->editHeader().migrationFile = file;
    warnWhenMissing(file, tr("Migration file is missing."));
}

void PanelXmlReader::warnWhenMissing(const QString &name, const QString &message)
{
    if (!QFileInfo::exists(resolvePanelPath(name)))
        xmlMessage(message, QString(), false);
}

void PanelXmlReader::readElf()
{
    if (m_xml->name() != QLatin1String("elf"))
        return;
    // Unlike the other companion files, the name is taken from the working
    // directory, not from the panel's. readelf runs with a time-out, so a
    // file it chokes on cannot hold the read up for good.
    const QString file = text(m_xml->attributes(), "file");
    const QByteArray path = QFile::encodeName(AppPaths::normalizePanelPath(file));
    const unsigned int result = m_elfReader.Read(path.constData(), Symscan::RangeDebugInfo);
    if (result != Symscan::CLog::Success)
        xmlMessage(tr("Problem reading ELF file %1: %2.")
                       .arg(file.toHtmlEscaped(), QString::fromLatin1(Symscan::CLog::ErrorCodeToString(result))),
                   QString(), false);
    m_xml->skipCurrentElement();
}
