#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

class QIODevice;
class QObject;

// Reads a catalog: root "Catalog" with "CatalogEntry" records, each record's
// values in its attributes. The columns are named by the attributes of the
// first record; every record's values are placed by position, whatever their
// own names are.
class CatalogReader
{
    Q_DECLARE_TR_FUNCTIONS(CatalogReader)

public:
    // owner: the dialog the catalog is read for (not owned; may be null).
    explicit CatalogReader(QObject *owner = nullptr);

    // True when the stream ended without an XML error; the records read
    // before an error are kept.
    bool readCatalog(QIODevice *device);
    // "<error>\nLine <n>, column <m>" of the failed read.
    QString xmlErrorString() const;

    QStringList columnNames;
    QList<QStringList> rows;
    QObject *owner;
    bool firstEntry = true;
    int rowCount = 0;

private:
    void readEntries();

    QXmlStreamReader m_xml;
};
