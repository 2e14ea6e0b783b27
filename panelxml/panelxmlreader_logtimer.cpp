#include "panelxmlreader.h"

#include <QXmlStreamReader>

void PanelXmlReader::readLog(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}

void PanelXmlReader::readTimer(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}
