// Mutated catalogs and parameter maps for their two readers, whose sources
// are built under AddressSanitizer and UndefinedBehaviorSanitizer: broken and
// cut-off XML, stray and deeply nested tags, odd attributes. A fixed seed
// keeps every run the same; the count keeps it to a few seconds.

#include "catalogreader.h"
#include "mutation.h"
#include "quillpanel.h"
#include "parametermapreader.h"
#include "testshell.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <iterator>

namespace {

const char *const seeds[] = {
    "<?xml version=\"1.0\"?><Catalog><CatalogEntry Part=\"A\" MULT=\"2\" SUPPLY=\"1.8 V\"/>"
    "<CatalogEntry SUPPLY=\"3\" Part=\"B\"/><CatalogEntry/><Other x=\"1\"><CatalogEntry y=\"2\"/></Other></Catalog>",
    "<parameters><parameter Nr=\"1\" ID=\"A\" Text=\"t\" type=\"float\" Filter=\"1\" DisplayMask=\"0xFF\" "
    "readonly=\"65\"/><parametergroup><parametergroup><parameter ID=\"B\" Nr=\"-3\" DisplayMask=\"zz\" "
    "readonly=\"99999999999\"/></parametergroup></parametergroup><x><parameter ID=\"C\"/></x></parameters>",
};

const char *const dictionary[] = {
    "<Catalog>", "</Catalog>", "<CatalogEntry ", "<CatalogEntry a=\"1\" b=\"2\"/>", "</CatalogEntry>",
    "<parameters>", "</parameters>", "<parametergroup>", "</parametergroup>", "<parameter ID=\"", "/>", ">", "<",
    "\"", "=\"", " Nr=\"4294967296\"", " DisplayMask=\"FFFFFFFFFF\"", " readonly=\"-1\"", " Filter=\"1\"",
    "<!--", "-->", "<![CDATA[", "]]>", "&amp;", "&#0;", "&#x10FFFF;", "<!DOCTYPE d [<!ENTITY e \"eeee\">]>", "&e;",
    "\xc3\xa4", "\xff\xfe", "\r\n", "<?xml version=\"1.0\"?>",
};

} // namespace

class FuzzCatalogReader : public QObject
{
    Q_OBJECT

private slots:
    void mutatedFilesReadSafely();
    void deepNestingStaysBounded();

private:
    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }
    QByteArray mutate(QByteArray text);

    QRandomGenerator m_random{20261210};
};

QByteArray FuzzCatalogReader::mutate(QByteArray text)
{
    return mutateText(std::move(text), m_random, dictionary);
}

void FuzzCatalogReader::mutatedFilesReadSafely()
{
    TestShell shell;
    Panel panel(&shell);
    for (int round = 0; round < 20000; ++round) {
        QByteArray text = mutate(seeds[below(int(std::size(seeds)))]);
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);

        CatalogReader catalog;
        const bool catalogOk = catalog.readCatalog(&buffer);
        QCOMPARE(catalog.rowCount, catalog.rows.size());
        if (catalog.rows.isEmpty())
            QVERIFY(catalog.columnNames.isEmpty());
        if (!catalogOk)
            QVERIFY(catalog.xmlErrorString().contains(QLatin1String("\nLine ")));

        panel.editHeader().parameterMap.clear();
        ParameterMapReader parameters(&panel);
        parameters.readParameterMap(&buffer);
        parameters.xmlErrorString();
        for (const ParameterRecord &record : qAsConst(panel.header().parameterMap)) {
            QVERIFY(!record.id.isEmpty());
            QCOMPARE(record.readonly.size(), 1);
        }
    }
}

void FuzzCatalogReader::deepNestingStaysBounded()
{
    // Groups far deeper than the reader descends: skipped, not a stack overflow.
    TestShell shell;
    Panel panel(&shell);
    const int depth = 100000;
    QByteArray text = "<parameters>" + QByteArray("<parametergroup>").repeated(depth) + "<parameter ID=\"deep\"/>"
        + QByteArray("</parametergroup>").repeated(depth) + "<parameter ID=\"after\"/></parameters>";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    ParameterMapReader reader(&panel);
    reader.readParameterMap(&buffer);
    QVERIFY(!panel.header().parameterMap.isEmpty());
    QCOMPARE(panel.header().parameterMap.last().id, QString("after"));
}

QTEST_MAIN(FuzzCatalogReader)
#include "fuzz_catalogreader.moc"
