#include "panelxmlreader.h"

#include <QXmlStreamReader>

void PanelXmlReader::readPlot(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}

void PanelXmlReader::readThermo(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}
