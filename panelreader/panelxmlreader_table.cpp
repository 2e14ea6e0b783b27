// PanelXmlReader: the register table and its columns.
#include "panelxmlreader.h"

#include "container.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "table.h"

#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readTable(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Table *table = parent->createTable(define, readLabel(attributes), -1);
    table->setHost(m_panel);

    // Numbers that do not convert give 0; numrows keeps its low 16 bits.
    const auto rows = has(attributes, "numrows") ? quint16(text(attributes, "numrows").toInt()) : quint16(2);
    static const char *const formats[] = {"sendformat", "recformat", "tooltiprecformat"};
    for (const char *name : formats) {
        if (has(attributes, name))
            table->setProperty(name, text(attributes, name));
    }
    table->setSendFormat(text(attributes, "sendformat"));
    table->setRecFormat(text(attributes, "recformat"));
    table->setToolTipRecFormat(text(attributes, "tooltiprecformat"));
    readDefineAttributes(attributes, table, header, define);
    readCommonAttributes(attributes, table);

    int columns = 0;
    while (m_xml->readNextStartElement()) {
        if (m_xml->name() != QLatin1String("column")) {
            m_xml->skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes column = m_xml->attributes();
        const QString width = text(column, "columnwidth");
        // An eleventh and later column is counted, not described.
        table->setColumn(quint16(columns), tableColumnType(text(column, "type")), text(column, "label"),
                         text(column, "tooltip"), text(column, "format"),
                         width.isEmpty() ? qint16(100) : qint16(width.toInt()), text(column, "default"),
                         text(column, "source"));
        ++columns;
        m_xml->skipCurrentElement();
    }
    // The model holds only the columns the table can describe.
    table->buildModel(quint16(std::min(columns, int(Table::MaxColumns))), rows);
    m_panel->wiring().connectToMathLabels(table);
    m_panel->wiring().connectChangedByUser(table);
}
