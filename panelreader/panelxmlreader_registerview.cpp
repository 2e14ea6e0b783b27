// PanelXmlReader: the register view.
#include "panelxmlreader.h"

#include "container.h"
#include "panelxmlreader_p.h"
#include "registerview.h"

#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readRegisterView(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    RegisterView *view = parent->createRegisterView(define, readLabel(attributes), -1);
    if (has(attributes, "readwritebuddy")) {
        // "NAME;value": the radio group that shows read/write access and its
        // read-only value; any other number of parts gives the value 0.
        const QString buddy = text(attributes, "readwritebuddy");
        const QStringList parts = buddy.split(QLatin1Char(';'));
        view->setReadWriteBuddy(parts.at(0), parts.size() == 2 ? parts.at(1).toUInt() : 0);
        view->setElementProperty("readwritebuddy", buddy);
    }
    readDefineAttributes(attributes, view, header, define);
    readCommonAttributes(attributes, view);
    // The element has no children of its own: the stream goes on after it.
    if (!m_xml->isEndElement())
        m_xml->skipCurrentElement();
}
