// Catalogs: flat lists of records from which the catalog dialog fills a panel.
#include "catalogreader.h"

#include <QIODevice>

CatalogReader::CatalogReader(QObject *owner)
    : owner(owner)
{
}

bool CatalogReader::readCatalog(QIODevice *device)
{
    if (!device->isSequential())
        device->reset();
    m_xml.setDevice(device);
    if (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("Catalog"))
            readEntries();
        else
            m_xml.skipCurrentElement();
    }
    return !m_xml.hasError();
}

QString CatalogReader::xmlErrorString() const
{
    return tr("%1\nLine %2, column %3").arg(m_xml.errorString()).arg(m_xml.lineNumber()).arg(m_xml.columnNumber());
}

void CatalogReader::readEntries()
{
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() != QLatin1String("CatalogEntry")) {
            m_xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (firstEntry) {
            for (const QXmlStreamAttribute &attribute : attributes)
                columnNames.append(attribute.qualifiedName().toString());
            firstEntry = false;
        }
        QStringList row;
        row.reserve(attributes.size());
        for (const QXmlStreamAttribute &attribute : attributes)
            row.append(attribute.value().toString());
        rows.append(row);
        ++rowCount;
        m_xml.skipCurrentElement();
    }
}
