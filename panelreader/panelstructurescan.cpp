#include "panelstructurescan.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {

// Text a parsed document keeps as a node: anything but white space in the
// sense of QString::simplified, which also counts a no-break space.
bool isTextNode(const QStringRef &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isSpace(); });
}

} // namespace

void PanelStructureScan::take(const QXmlStreamReader &xml)
{
    switch (xml.tokenType()) {
    case QXmlStreamReader::StartElement:
        startElement(xml);
        break;
    case QXmlStreamReader::EndElement:
        if (!m_open.isEmpty())
            m_open.removeLast();
        break;
    case QXmlStreamReader::Characters:
        if (xml.isCDATA() || (!xml.isWhitespace() && isTextNode(xml.text())))
            childNode();
        break;
    case QXmlStreamReader::Comment:
    case QXmlStreamReader::ProcessingInstruction:
    case QXmlStreamReader::EntityReference:
        childNode();
        break;
    default:
        break;
    }
}

void PanelStructureScan::childNode()
{
    if (m_open.isEmpty())
        return;
    const Open &parent = m_open.constLast();
    if (parent.spanning >= 0)
        m_spanning[parent.spanning].hasChildNodes = true;
    if (parent.items >= 0)
        m_items[parent.items].hasChildNodes = true;
}

void PanelStructureScan::startElement(const QXmlStreamReader &xml)
{
    const QStringRef name = xml.qualifiedName();
    const QXmlStreamAttributes attributes = xml.attributes();

    childNode();
    if (!m_open.isEmpty()) {
        const Open &parent = m_open.constLast();
        if (parent.spanning >= 0 && name == QLatin1String("action"))
            m_spanning[parent.spanning].hasActionChild = true;
        if (parent.items >= 0) {
            ItemElement &owner = m_items[parent.items];
            if (name == (owner.radio ? QLatin1String("radiobutton") : QLatin1String("item"))) {
                Item item;
                item.hidden = !attributes.value(QLatin1String("hide")).isEmpty();
                item.label = attributes.value(QLatin1String("label")).toString();
                item.value = attributes.value(QLatin1String("value")).toString();
                owner.items.append(item);
            }
        }
    }

    Open open;
    const bool radioButton = name == QLatin1String("radiobutton");
    if (radioButton || name == QLatin1String("checkbox")) {
        SpanningElement element;
        element.radioButton = radioButton;
        element.line = xml.lineNumber();
        element.branch = attributes.value(QLatin1String("uielement")) == QLatin1String("branch");
        open.spanning = m_spanning.size();
        m_spanning.append(element);
    }
    const bool radio = name == QLatin1String("radio");
    if (radio || name == QLatin1String("combo")) {
        const QStringRef define = attributes.value(QLatin1String("define"));
        if (!define.isEmpty()) {
            ItemElement element;
            element.radio = radio;
            element.define = define.toString();
            element.defaultText = attributes.value(QLatin1String("default")).toString();
            element.svd = attributes.value(QLatin1String("svd")).toString();
            open.items = m_items.size();
            m_items.append(element);
        }
    }
    if (name == QLatin1String("svd"))
        m_hasSvd = true;
    m_open.append(open);
}
