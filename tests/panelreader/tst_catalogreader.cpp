// The catalog and parameter-map readers on small files of our own, and the
// parametermap header element that reads a map while a panel is read.

#include "catalogreader.h"
#include "parametermapreader.h"
#include "readerfixture.h"

#include <QBuffer>
#include <QtTest>

namespace {

// The columns and rows read from the text; *ok the reader's result.
QPair<QStringList, QList<QStringList>> readCatalog(const QByteArray &text, bool *ok, int *rowCount)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    CatalogReader reader;
    *ok = reader.readCatalog(&buffer);
    *rowCount = reader.rowCount;
    return qMakePair(reader.columnNames, reader.rows);
}

} // namespace

class TestCatalogReader : public QObject
{
    Q_OBJECT

private slots:
    void catalogTable_data();
    void catalogTable();
    void catalogErrorNamesThePosition();
    void parameterRecordFields();
    void parameterMapTable_data();
    void parameterMapTable();
    void parameterMapKeepsRecordsBeforeAFault();
    void parameterMapHeaderElement();
    void parameterMapInsideAContainer();
};

void TestCatalogReader::catalogTable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("two records")
        << QByteArray("<Catalog><CatalogEntry A=\"1\" B=\"x y\"/><CatalogEntry A=\"2\" B=\"z\"/></Catalog>") << true
        << QStringList{"A", "B"} << QList<QStringList>{{"1", "x y"}, {"2", "z"}};
    // Values go by position: the second record's own names do not matter.
    QTest::newRow("other order placed by position")
        << QByteArray("<Catalog><CatalogEntry A=\"1\" B=\"2\"/><CatalogEntry B=\"3\" A=\"4\"/></Catalog>") << true
        << QStringList{"A", "B"} << QList<QStringList>{{"1", "2"}, {"3", "4"}};
    QTest::newRow("longer and shorter records")
        << QByteArray("<Catalog><CatalogEntry A=\"1\"/><CatalogEntry A=\"2\" B=\"3\"/><CatalogEntry/></Catalog>")
        << true << QStringList{"A"} << QList<QStringList>{{"1"}, {"2", "3"}, {}};
    QTest::newRow("empty catalog") << QByteArray("<Catalog/>") << true << QStringList() << QList<QStringList>();
    QTest::newRow("other root") << QByteArray("<Parts><CatalogEntry A=\"1\"/></Parts>") << true << QStringList()
                                << QList<QStringList>();
    QTest::newRow("other children and content skipped")
        << QByteArray("<Catalog><Note A=\"n\"><CatalogEntry A=\"hidden\"/></Note>"
                      "<CatalogEntry A=\"1\">text<CatalogEntry A=\"inner\"/></CatalogEntry></Catalog>")
        << true << QStringList{"A"} << QList<QStringList>{{"1"}};
    QTest::newRow("escaped values") << QByteArray("<Catalog><CatalogEntry A=\"&lt;5&amp;6&gt;\"/></Catalog>") << true
                                    << QStringList{"A"} << QList<QStringList>{{"<5&6>"}};
    QTest::newRow("broken after the first record")
        << QByteArray("<Catalog><CatalogEntry A=\"1\"/><CatalogEntry A=\"2></Catalog>") << false << QStringList{"A"}
        << QList<QStringList>{{"1"}};
    QTest::newRow("not XML") << QByteArray("just text") << false << QStringList() << QList<QStringList>();
}

void TestCatalogReader::catalogTable()
{
    QFETCH(QByteArray, text);
    bool ok = false;
    int rowCount = -1;
    const auto read = readCatalog(text, &ok, &rowCount);
    QTEST(ok, "ok");
    QTEST(read.first, "columns");
    QTEST(read.second, "rows");
    QCOMPARE(rowCount, read.second.size());
}

void TestCatalogReader::catalogErrorNamesThePosition()
{
    QBuffer buffer;
    buffer.setData("<Catalog>\n<CatalogEntry A=\"1\"/>\n<CatalogEntry A=1/>\n</Catalog>");
    buffer.open(QIODevice::ReadOnly);
    CatalogReader reader;
    QVERIFY(!reader.readCatalog(&buffer));
    QVERIFY2(reader.xmlErrorString().contains("\nLine 3, column "), qPrintable(reader.xmlErrorString()));
}

void TestCatalogReader::parameterRecordFields()
{
    ReaderFixture fixture;
    QBuffer buffer;
    buffer.setData("<parameters><parameter Nr=\"12\" ID=\"P1\" VarName=\"v\" Text=\"Clock speed\" Unit=\"MHz\" "
                   "type=\"float\" comment=\"c\" min=\"1\" max=\"5\" readonly=\"1\" formula=\"P1*2\" Filter=\"1\" "
                   "DisplayMask=\"FF\"/>"
                   "<parameter ID=\"P2\" Nr=\"x\" Filter=\"true\" DisplayMask=\"0xFF\" readonly=\"70000\"/>"
                   "<parameter ID=\"P3\"/></parameters>");
    buffer.open(QIODevice::ReadOnly);
    ParameterMapReader reader(&fixture.panel);
    QVERIFY(reader.readParameterMap(&buffer));
    const QList<ParameterRecord> &map = fixture.panel.header().parameterMap;
    QCOMPARE(map.size(), 3);
    const ParameterRecord &first = map.at(0);
    QCOMPARE(first.number, 12u);
    QCOMPARE(first.id, QString("P1"));
    QCOMPARE(first.varName, QString("v"));
    QCOMPARE(first.text, QString("Clock speed"));
    QCOMPARE(first.unit, QString("MHz"));
    QCOMPARE(first.type, QString("float"));
    QCOMPARE(first.comment, QString("c"));
    QCOMPARE(first.min, QString("1"));
    QCOMPARE(first.max, QString("5"));
    QCOMPARE(first.readonly, QString(QChar(1)));
    QCOMPARE(first.formula, QString("P1*2"));
    QVERIFY(first.filter);
    QCOMPARE(first.displayMask, 255u);
    // Only "1" filters; "0x" or not, the mask is hexadecimal; a number that
    // is none, or a code beyond 16 bits, gives 0.
    QCOMPARE(map.at(1).number, 0u);
    QVERIFY(!map.at(1).filter);
    QCOMPARE(map.at(1).displayMask, 255u);
    QCOMPARE(map.at(1).readonly, QString(QChar(0)));
    QCOMPARE(map.at(2).readonly, QString(QChar(0)));
    QCOMPARE(map.at(2).displayMask, 0u);
}

void TestCatalogReader::parameterMapTable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("flat") << QByteArray("<parameters><parameter ID=\"A\"/><parameter ID=\"B\"/></parameters>") << true
                          << QStringList{"A", "B"};
    QTest::newRow("nested three deep in document order")
        << QByteArray("<parameters><parameter ID=\"A\"/><parametergroup name=\"g\"><parameter ID=\"B\"/>"
                      "<parametergroup><parametergroup><parameter ID=\"C\"/></parametergroup></parametergroup>"
                      "<parameter ID=\"D\"/></parametergroup><parameter ID=\"E\"/></parameters>")
        << true << QStringList{"A", "B", "C", "D", "E"};
    QTest::newRow("record without ID dropped")
        << QByteArray("<parameters><parameter Text=\"no id\"/><parameter ID=\"\"/><parameter ID=\"B\"/></parameters>")
        << true << QStringList{"B"};
    // A file of another kind is refused with a reason, not read as an empty map.
    QTest::newRow("other root is refused")
        << QByteArray("<params><parameter ID=\"A\"/></params>") << false << QStringList();
    QTest::newRow("unknown elements skipped with their content")
        << QByteArray("<parameters><info><parameter ID=\"X\"/></info><parameter ID=\"A\"><parameter ID=\"Y\"/>"
                      "</parameter></parameters>")
        << true << QStringList{"A"};
    QTest::newRow("only the first top-level element")
        << QByteArray("<parameters><parameter ID=\"A\"/></parameters><parameters><parameter ID=\"B\"/></parameters>")
        << true << QStringList{"A"};
    QTest::newRow("empty file") << QByteArray() << false << QStringList();
}

void TestCatalogReader::parameterMapTable()
{
    QFETCH(QByteArray, text);
    ReaderFixture fixture;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    ParameterMapReader reader(&fixture.panel);
    QTEST(reader.readParameterMap(&buffer), "ok");
    QStringList ids;
    for (const ParameterRecord &record : qAsConst(fixture.panel.header().parameterMap))
        ids.append(record.id);
    QTEST(ids, "ids");
}

void TestCatalogReader::parameterMapKeepsRecordsBeforeAFault()
{
    ReaderFixture fixture;
    QBuffer buffer;
    buffer.setData("<parameters>\n<parameter ID=\"A\"/>\n<parametergroup><parameter ID=\"B\"/>\n<parameter ID=C/>");
    buffer.open(QIODevice::ReadOnly);
    ParameterMapReader reader(&fixture.panel);
    QVERIFY(!reader.readParameterMap(&buffer));
    QCOMPARE(fixture.panel.header().parameterMap.size(), 2);
    QVERIFY2(reader.xmlErrorString().contains("\nLine 4, column "), qPrintable(reader.xmlErrorString()));
}

void TestCatalogReader::parameterMapHeaderElement()
{
    ReaderFixture fixture;
    const QString dir = fixture.env.path("panel");
    writeTestFile(dir + "/params.xml", "<parameters><parameter ID=\"A\"/><parameter ID=\"B\"/></parameters>");
    QVERIFY(fixture.readPanelFile(dir + "/p.xml",
                                  verticalPanelText("<checkbox define=\"X\"/>", "<parametermap file=\"params.xml\"/>")));
    QCOMPARE(fixture.panel.header().parameterMap.size(), 2);
    QVERIFY(fixture.xmlLines().isEmpty());

    // The next panel's read starts from an empty map.
    QVERIFY(fixture.readPanelFile(dir + "/p.xml", verticalPanelText("<checkbox define=\"X\"/>")));
    QVERIFY(fixture.panel.header().parameterMap.isEmpty());

    // A missing file: a warning with the resolved path, nothing read.
    QVERIFY(fixture.readPanelFile(dir + "/p.xml",
                                  verticalPanelText("<checkbox define=\"X\"/>", "<parametermap file=\"none.xml\"/>")));
    QCOMPARE(fixture.xmlLines(),
             QStringList{"XML Warning: Parametermap file \"" + dir + "/none.xml\"is missing."});
    QVERIFY(fixture.panel.header().parameterMap.isEmpty());

    // A broken file: "Cannot read file" with the line; the records whose
    // start tags were read are kept.
    writeTestFile(dir + "/broken.xml", "<parameters>\n<parameter ID=\"A\"/>\n<parameter ID=\"B\">");
    QVERIFY(fixture.readPanelFile(dir + "/p.xml", verticalPanelText("<checkbox define=\"X\"/>",
                                                                    "<parametermap file=\"broken.xml\"/>")));
    QCOMPARE(fixture.panel.header().parameterMap.size(), 2);
    QVERIFY2(fixture.consoleText().contains("Cannot read file " + dir + "/broken.xml"), qPrintable(fixture.consoleText()));
    QVERIFY(fixture.consoleText().contains("Line 3, column"));

    // A folder in place of the file exists but does not open.
    QDir(dir).mkpath("folder.xml");
    QVERIFY(fixture.readPanelFile(dir + "/p.xml", verticalPanelText("<checkbox define=\"X\"/>",
                                                                    "<parametermap file=\"folder.xml\"/>")));
    QVERIFY(fixture.panel.header().parameterMap.isEmpty());
    QVERIFY(fixture.xmlLines().isEmpty());
    const QString reports = fixture.transcript().join('\n') + fixture.consoleText();
    QVERIFY2(reports.contains("Cannot open file " + dir + "/folder.xml:\n"), qPrintable(reports));
}

void TestCatalogReader::parameterMapInsideAContainer()
{
    ReaderFixture fixture;
    const QString dir = fixture.env.path("inner");
    writeTestFile(dir + "/params.xml", "<parameters><parameter ID=\"A\"/></parameters>");
    QVERIFY(fixture.readPanelFile(dir + "/p.xml",
                                  verticalPanelText("<parametermap file=\"params.xml\"/><checkbox define=\"X\"/>")));
    QCOMPARE(fixture.panel.header().parameterMap.size(), 1);
    // No "unknown element" line, and the element after it is built.
    QVERIFY2(fixture.xmlLines().isEmpty(), qPrintable(fixture.xmlLines().join('\n')));
    QVERIFY(fixture.panel.getActiveElement("X"));
}

QTEST_MAIN(TestCatalogReader)
#include "tst_catalogreader.moc"
