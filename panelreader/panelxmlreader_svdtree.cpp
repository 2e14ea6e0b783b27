// PanelXmlReader: the register tree builder.
#include "panelxmlreader.h"

#include "container.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "svdtree.h"

#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readSvdTree(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    SvdTree *tree = parent->createSvdTree(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("svdTree"));
    tree->setModuleTable(&m_panel->registries().moduleTable);

    // Both flags stay on the tree as written, for the panel editor.
    if (has(attributes, "showSvdOnly")) {
        const QString flag = text(attributes, "showSvdOnly");
        tree->setElementProperty("showSvdOnly", flag);
        tree->setShowSvdOnly(flag.toInt() != 0);
    }
    if (has(attributes, "showValues")) {
        const QString flag = text(attributes, "showValues");
        tree->setElementProperty("showValues", flag);
        tree->setShowValues(flag.toInt() != 0);
    }

    readDefineAttributes(attributes, tree, header, define);
    readCommonAttributes(attributes, tree);
    // The element has no children of its own: the stream goes on after it.
    if (!m_xml->isEndElement())
        m_xml->skipCurrentElement();
}
