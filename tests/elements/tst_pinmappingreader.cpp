// The pin-mapping reader on small files of our own: every element and
// attribute of the format, dropped entries, limits and the error location.

#include "pinmapping.h"
#include "pinmappingmodel.h"
#include "pinmappingreader.h"

#include <QBuffer>
#include <QPointer>
#include <QtTest>

namespace {

struct ReadResult {
    bool ok = false;
    QStringList warnings;
    QString error;
};

ReadResult readPins(PinMappingModel &model, const QByteArray &xml, const QString &panelFile = QString())
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    PinMappingReader reader(&model, panelFile);
    ReadResult result;
    reader.setWarningSink([&result](const QString &html) { result.warnings << html; });
    result.ok = reader.read(&buffer);
    result.error = reader.errorString();
    return result;
}

QByteArray pinFile(const QByteArray &body)
{
    return "<?xml version=\"1.0\"?>\n<pinmapping>\n" + body + "\n</pinmapping>\n";
}

} // namespace

class TestPinMappingReader : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryElementAndAttribute();
    void resetValuesAndAbsentAttributes();
    void entriesWithoutTheirKeyAreDropped();
    void edgeCases_data();
    void edgeCases();
    void readingTwiceKeepsOneCopy();
    void wrongRootAndBrokenXml();
    void limitsAndDoubtfulPins();
    void errorLocationLinksThePanelFile();
    void readDeletesTheRegisteredElement();
};

void TestPinMappingReader::readsEveryElementAndAttribute()
{
    PinMappingModel m;
    const ReadResult r = readPins(m, pinFile(R"(
  <name>QM-8</name>
  <chipsize len="700"/>
  <colors chip="10;20;30" background="40;50;60"/>
  <buttonpos details="5;6" export="7;8"/>
  <tooltips activated="0"/>
  <pinsize len="44"/>
  <arrowsize len="55"/>
  <margins TopY="1" BottomY="2" LeftX="3" RightX="4"/>
  <image file="logo.png" moveable="1" pos="11;-12"/>
  <unknown><pin nr="99"/></unknown>
  <geometry>
    <pin nr="1" pinname="PA0" quadrant="2" index="3" color="255;0;0"/>
    <other/>
    <pin nr="2" pinname="PA1" quadrant="1" index="0" color="0;0;255"/>
  </geometry>
  <mapping>
    <mapentry pinname="PA0" direction="o" function="TX" dispname="UART TX" info="BAUD" link="UART_EN" color="1;2;3"/>
    <mapentry pinname="PA1" direction="I" function="RX"/>
  </mapping>
  <mapconditions>
    <mapcondentry cond="UART_EN==1" function="TX"/>
  </mapconditions>)"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(m.chipName, QStringLiteral("QM-8"));
    QCOMPARE(m.chipSize, 700u);
    QCOMPARE(m.chipColor, QColor(10, 20, 30));
    QCOMPARE(m.backgroundColor, QColor(40, 50, 60));
    QCOMPARE(m.detailsPos.x, 5u);
    QCOMPARE(m.detailsPos.y, 6u);
    QCOMPARE(m.exportPos.x, 7u);
    QCOMPARE(m.exportPos.y, 8u);
    QVERIFY(!m.toolTipsActivated);
    QCOMPARE(m.pinSize, 44u);
    QCOMPARE(m.arrowSize, 55u);
    QCOMPARE(m.marginTop, 1u);
    QCOMPARE(m.marginBottom, 2u);
    QCOMPARE(m.marginLeft, 3u);
    QCOMPARE(m.marginRight, 4u);
    QCOMPARE(m.images.size(), 1);
    QCOMPARE(m.images.at(0).file, QStringLiteral("logo.png"));
    QVERIFY(m.images.at(0).moveable);
    QCOMPARE(m.images.at(0).x, 11);
    QCOMPARE(m.images.at(0).y, -12);

    QCOMPARE(m.pins.size(), 2); // the pin inside <unknown> is skipped with it
    const PinEntry &pin = m.pins.at(0);
    QCOMPARE(pin.nr, quint16(1));
    QCOMPARE(pin.pinName, QStringLiteral("PA0"));
    QCOMPARE(pin.quadrant, quint16(2));
    QCOMPARE(pin.index, quint16(3));
    QCOMPARE(pin.color, QColor(255, 0, 0));
    QCOMPARE(m.pinIndexByName.value(QStringLiteral("PA1")), 1);

    QCOMPARE(m.mapEntries.size(), 2);
    const MapEntry &tx = m.mapEntries.at(0);
    QCOMPARE(tx.output, quint16(1));
    QCOMPARE(tx.function, QStringLiteral("TX"));
    QCOMPARE(tx.dispName, QStringLiteral("UART TX"));
    QCOMPARE(tx.info, QStringLiteral("BAUD"));
    QCOMPARE(tx.link, QStringLiteral("UART_EN"));
    QCOMPARE(tx.color, QColor(1, 2, 3));
    QCOMPARE(m.mapEntries.at(1).output, quint16(0));
    QCOMPARE(m.mapEntries.at(1).color, QColor(128, 128, 128));
    QCOMPARE(m.entryIndexByFunction.value(QStringLiteral("RX")), 1);

    QCOMPARE(m.conditions.size(), 1);
    QCOMPARE(m.conditions.at(0).cond, QStringLiteral("UART_EN==1"));
    QCOMPARE(m.conditions.at(0).function, QStringLiteral("TX"));
    QVERIFY(r.warnings.isEmpty());
}

void TestPinMappingReader::resetValuesAndAbsentAttributes()
{
    PinMappingModel m;
    QVERIFY(readPins(m, pinFile(R"(<chipsize len="800"/><pinsize len="9"/><colors chip="1;1;1"/>
        <buttonpos details="1;1" export="2;2"/><tooltips activated="0"/>)")).ok);
    // A second file without them: colours, buttons and tool tips go back to
    // their reset values, the sizes stay; absent attributes change nothing.
    QVERIFY(readPins(m, pinFile(R"(<chipsize/><colors/><margins TopY="x"/><arrowsize len="-5"/>)")).ok);
    QCOMPARE(m.chipSize, 800u);
    QCOMPARE(m.pinSize, 9u);
    QCOMPARE(m.chipColor, QColor(Qt::white));
    QCOMPARE(m.backgroundColor, QColor(Qt::white));
    QCOMPARE(m.detailsPos.y, 300u);
    QCOMPARE(m.exportPos.y, 330u);
    QVERIFY(m.toolTipsActivated);
    // Text that is no unsigned number gives 0.
    QCOMPARE(m.marginTop, 0u);
    QCOMPARE(m.arrowSize, 0u);
}

void TestPinMappingReader::entriesWithoutTheirKeyAreDropped()
{
    PinMappingModel m;
    QVERIFY(readPins(m, pinFile(R"(
  <geometry><pin pinname="NO_NR"/><pin nr="3" pinname="OK"/></geometry>
  <mapping><mapentry function="NO_PIN"/><mapentry pinname="OK" function="F"/></mapping>
  <mapconditions><mapcondentry function="F"/><mapcondentry cond="A==1" function="F"/></mapconditions>)")).ok);
    QCOMPARE(m.pins.size(), 1);
    QCOMPARE(m.pins.at(0).pinName, QStringLiteral("OK"));
    QCOMPARE(m.mapEntries.size(), 1);
    QCOMPARE(m.mapEntries.at(0).function, QStringLiteral("F"));
    QCOMPARE(m.conditions.size(), 1);
}

void TestPinMappingReader::edgeCases_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("check");

    QTest::newRow("buttonpos with one part keeps the reset position")
        << QByteArray(R"(<buttonpos details="10" export="1;2;3"/>)") << "buttons";
    QTest::newRow("direction out is an input") << QByteArray(R"(<mapping><mapentry pinname="P" direction="out"/>
        <mapentry pinname="P" direction="o"/><mapentry pinname="P" direction="O"/></mapping>)") << "directions";
    QTest::newRow("second entry of a function wins the index")
        << QByteArray(R"(<mapping><mapentry pinname="A" function="F"/><mapentry pinname="B" function="F"/></mapping>)")
        << "function";
    QTest::newRow("second pin of a name wins the index")
        << QByteArray(R"(<geometry><pin nr="1" pinname="P"/><pin nr="2" pinname="P"/></geometry>)") << "pinname";
    QTest::newRow("colour with two parts keeps the default")
        << QByteArray(R"(<geometry><pin nr="1" pinname="P" color="1;2"/></geometry>
        <mapping><mapentry pinname="P" color="5;6"/><mapentry pinname="P" color="300;-4;7"/></mapping>)") << "colours";
    QTest::newRow("pin numbers keep 16 bits")
        << QByteArray(R"(<geometry><pin nr="65537" pinname="P" quadrant="70000" index="abc"/></geometry>)")
        << "sixteen";
}

void TestPinMappingReader::edgeCases()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, check);
    PinMappingModel m;
    const ReadResult r = readPins(m, pinFile(body));
    QVERIFY(r.ok);
    if (check == QLatin1String("buttons")) {
        QCOMPARE(m.detailsPos.x, 0u);
        QCOMPARE(m.detailsPos.y, 300u);
        QCOMPARE(m.exportPos.y, 330u);
    } else if (check == QLatin1String("directions")) {
        QCOMPARE(m.mapEntries.at(0).output, quint16(0));
        QCOMPARE(m.mapEntries.at(1).output, quint16(1));
        QCOMPARE(m.mapEntries.at(2).output, quint16(1));
    } else if (check == QLatin1String("function")) {
        QCOMPARE(m.mapEntries.size(), 2);
        QCOMPARE(m.entryIndexByFunction.value(QStringLiteral("F")), 1);
    } else if (check == QLatin1String("pinname")) {
        QCOMPARE(m.pins.size(), 2);
        QCOMPARE(m.pinIndexByName.value(QStringLiteral("P")), 1);
        QCOMPARE(r.warnings.size(), 1);
        QVERIFY(r.warnings.at(0).contains(QStringLiteral("Pin P is defined twice")));
    } else if (check == QLatin1String("colours")) {
        QCOMPARE(m.pins.at(0).color, QColor(192, 192, 192));
        QCOMPARE(m.mapEntries.at(0).color, QColor(128, 128, 128));
        QCOMPARE(m.mapEntries.at(1).color, QColor(255, 0, 7));
    } else if (check == QLatin1String("sixteen")) {
        QCOMPARE(m.pins.at(0).nr, quint16(1));
        QCOMPARE(m.pins.at(0).quadrant, quint16(70000 & 0xffff));
        QCOMPARE(m.pins.at(0).index, quint16(0));
        // Out of range, and on no side of the chip: one line each.
        QCOMPARE(r.warnings.size(), 2);
        QVERIFY(r.warnings.at(0).contains(QStringLiteral("out of range")));
        QVERIFY(r.warnings.at(1).contains(QStringLiteral("it is not drawn")));
    } else {
        QFAIL("unknown check");
    }
}

void TestPinMappingReader::readingTwiceKeepsOneCopy()
{
    const QByteArray file = pinFile(R"(<image file="a.png"/><geometry><pin nr="1" pinname="P"/></geometry>
        <mapping><mapentry pinname="P" function="F"/></mapping>
        <mapconditions><mapcondentry cond="1" function="F"/></mapconditions>)");
    PinMappingModel m;
    QVERIFY(readPins(m, file).ok);
    QVERIFY(readPins(m, file).ok);
    QCOMPARE(m.images.size(), 1);
    QCOMPARE(m.pins.size(), 1);
    QCOMPARE(m.mapEntries.size(), 1);
    QCOMPARE(m.conditions.size(), 1);
    QCOMPARE(m.pinIndexByName.size(), 1);
    QCOMPARE(m.entryIndexByFunction.size(), 1);
}

void TestPinMappingReader::wrongRootAndBrokenXml()
{
    PinMappingModel m;
    QVERIFY(readPins(m, pinFile(R"(<geometry><pin nr="1" pinname="OLD"/></geometry>)")).ok);

    ReadResult r = readPins(m, "<?xml version=\"1.0\"?><device><geometry><pin nr=\"1\" pinname=\"P\"/></geometry></device>");
    QVERIFY(!r.ok);
    QCOMPARE(r.error, QStringLiteral("Warning"));
    QVERIFY(m.pins.isEmpty());

    // What came before the error stays.
    r = readPins(m, "<pinmapping><geometry><pin nr=\"1\" pinname=\"P\"/><pin nr=\"2\" pinname=\"Q\"></geometry>");
    QVERIFY(!r.ok);
    QCOMPARE(m.pins.size(), 2);
    QCOMPARE(m.pins.at(0).pinName, QStringLiteral("P"));
}

void TestPinMappingReader::limitsAndDoubtfulPins()
{
    QByteArray pins;
    for (int i = 0; i < PinMappingReader::maxPins + 50; ++i)
        pins += "<pin nr=\"" + QByteArray::number(i % 65536) + "\" pinname=\"P" + QByteArray::number(i) + "\"/>";
    PinMappingModel m;
    const ReadResult r = readPins(m, pinFile("<geometry>" + pins + "</geometry><name>after</name>"));
    QVERIFY(r.ok);
    QCOMPARE(m.pins.size(), PinMappingReader::maxPins);
    QCOMPARE(m.chipName, QStringLiteral("after")); // the read goes on behind the cut
    QCOMPARE(r.warnings.size(), 1);
    QVERIFY(r.warnings.at(0).contains(QStringLiteral("More than 4096 pins")));

    const ReadResult twice = readPins(m, pinFile(R"(<geometry><pin nr="7" pinname="A"/><pin nr="7" pinname="B"/></geometry>)"));
    QCOMPARE(twice.warnings.size(), 1);
    QVERIFY(twice.warnings.at(0).contains(QStringLiteral("Pin number 7 is given twice")));
    // Each line names where in the file.
    QVERIFY(twice.warnings.at(0).contains(QStringLiteral("line 3")));
}

void TestPinMappingReader::errorLocationLinksThePanelFile()
{
    PinMappingModel m;
    QBuffer buffer;
    buffer.setData("<pinmapping>\n  <geometry>\n   <pin nr=\"1\"></geometry>");
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    PinMappingReader reader(&m, QStringLiteral("C:/panels/demo:x.xml"));
    QVERIFY(!reader.read(&buffer));
    const QString line = QString::number(reader.lineNumber());
    const QString column = QString::number(reader.columnNumber());
    QCOMPARE(reader.errorLocation(),
             QStringLiteral("<b><a href=\"$xmlopen$C$$$COLON$$$/panels/demo$$$COLON$$$x.xml$-n%1$-c%2\">file</a> "
                            "line %1, column %2</b><b><br>")
                 .arg(line, column));
    QCOMPARE(line, QStringLiteral("3"));
}

void TestPinMappingReader::readDeletesTheRegisteredElement()
{
    PinMappingModel m;
    QWidget parent;
    QPointer<PinMapping> element = new PinMapping(QStringLiteral("PINS"), &parent);
    m.pinMappingElement = element.data();
    QVERIFY(readPins(m, pinFile("")).ok);
    QVERIFY(!element);
    QVERIFY(!m.pinMappingElement);

    // The one pointer clears itself when the element goes with its panel, so
    // the next read has nothing left to delete twice.
    auto *other = new PinMapping(QStringLiteral("PINS"), &parent);
    m.pinMappingElement = other;
    delete other;
    QVERIFY(!m.pinMappingElement);
    QVERIFY(readPins(m, pinFile("")).ok);
}

QTEST_MAIN(TestPinMappingReader)
#include "tst_pinmappingreader.moc"
