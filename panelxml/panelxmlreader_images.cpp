#include "panelxmlreader.h"

#include <QXmlStreamReader>

void PanelXmlReader::readLed(Container *parent)
{
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}

void PanelXmlReader::readImage(Container *parent)
{
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}

void PanelXmlReader::readSvgEmbed(Container *parent)
{
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}
