// PanelXmlReader: elements pasted by the panel editor, read like the content
// of an included fragment.
#include "panelxmlreader.h"

#include <QXmlStreamReader>

bool PanelXmlReader::readFragment(const QByteArray &bytes, Container *parent)
{
    if (!parent)
        return false;
    m_fileBytes = bytes;
    m_xml = std::make_unique<QXmlStreamReader>(m_fileBytes);
    if (!m_xml->readNextStartElement())
        return false;
    readElements(parent, QString(), nullptr);
    reportStreamError();
    return !m_xml->hasError();
}
