#include "panelxmlreader.h"

#include <QXmlStreamReader>

void PanelXmlReader::readMath(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    Q_UNUSED(parent)
    m_xml->skipCurrentElement();
}
