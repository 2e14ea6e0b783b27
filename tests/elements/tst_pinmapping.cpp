// The pin views on a panel read by the panel reader: the pinmapping header
// element and the pinmapper builder, the active functions for the panel's
// values, the CSV export, the chip picture, its hover texts and pop-up, the
// details table and the pin-mapping element. The example panel pins.xml with
// its chip pins_chip.xml is read as the program reads it.

#include "fakeelement.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "pinmapping.h"
#include "pinmappingdetailsdialog.h"
#include "pinmappinghost.h"
#include "pinmappingmodel.h"
#include "pinmappingview.h"
#include "qgraphicschipitem.h"
#include "readerfixture.h"
#include "registermodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

namespace {

// The program around the pin views, over the fixture's panel: raised
// elements are noted.
class PanelPinHost : public PinMappingHost
{
public:
    explicit PanelPinHost(Panel *panel) : m_panel(panel) {}
    PinMappingModel *pinMappingModel() override { return &m_panel->pinMappingModel(); }
    ElementHost *elementHost() override { return m_panel; }
    OperandLookup *operandLookup() override { return m_panel; }
    bool raiseElement(const QString &name) override
    {
        raised << name;
        return m_panel->getActiveElement(name) != nullptr;
    }
    void searchElement() override { ++searches; }
    QString workingDirectory() const override { return directory; }

    QStringList raised;
    int searches = 0;
    QString directory;

private:
    Panel *m_panel;
};

QByteArray exampleFile(const QString &name)
{
    QFile file(QStringLiteral(QUILLMATE_EXAMPLES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList activeFunctions(PinMappingModel &model, PinMappingHost *host)
{
    QStringList names;
    for (const PinMappingModel::ActiveMapping &active : model.activeMappings(host))
        names << model.mapEntries.at(active.entry).function;
    return names;
}

} // namespace

class TestPinMapping : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void examplePanelReadsItsChip();
    void pinMapperBuilder_data();
    void pinMapperBuilder();
    void activeFunctionsFollowThePanel_data();
    void activeFunctionsFollowThePanel();
    void unknownNamesAreNotReportedAtEveryPaint();
    void csvExportByteForByte();
    void csvExportRefusedFile();
    void chipDrawsArrowsOutward();
    void twoActiveFunctionsOfOnePinStack();
    void smallChipHasNoNegativeBody();
    void hoverTextsEscapeAndLink();
    void hoverPopupAndLinks();
    void toolTipsSwitchedOff();
    void detailsTable();
    void detailsExplanation();
    void elementBuildsItsPicture();
    void picturesOverTheChip();
    void ctrlWheelZooms();
    void pinLabelsStayInTheirPins_data();
    void pinLabelsStayInTheirPins();

private:
    bool readExample();
    std::unique_ptr<ReaderFixture> f;
    std::unique_ptr<PanelPinHost> host;
};

void TestPinMapping::init()
{
    f = std::make_unique<ReaderFixture>();
    host = std::make_unique<PanelPinHost>(&f->panel);
}

void TestPinMapping::cleanup()
{
    host.reset();
    f.reset();
}

bool TestPinMapping::readExample()
{
    if (writeTestFile(f->env.path(QStringLiteral("panels/pins_chip.xml")), exampleFile(QStringLiteral("pins_chip.xml")))
            .isEmpty())
        return false;
    return f->readPanelFile(f->env.path(QStringLiteral("panels/pins.xml")), exampleFile(QStringLiteral("pins.xml")));
}

void TestPinMapping::examplePanelReadsItsChip()
{
    QVERIFY(readExample());
    QVERIFY2(f->xmlLines().isEmpty(), qPrintable(f->xmlLines().join('\n')));
    const PinMappingModel &m = f->panel.pinMappingModel();
    QCOMPARE(m.chipName, QStringLiteral("QM-32"));
    QCOMPARE(m.pins.size(), 32);
    QVERIFY(m.pinMappingElement);
    QCOMPARE(m.pinMappingElement->objectName(), QStringLiteral("PIN_VIEW"));
    // Every condition names elements of the panel and a function with an entry.
    QCOMPARE(m.checkAgainstPanel(host.get()), QStringList());
}

void TestPinMapping::pinMapperBuilder_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("elements");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("registered");
    QTest::addColumn<int>("pins");

    const QString file = QStringLiteral("<pinmapping file=\"chip.xml\"/>");
    QTest::newRow("header and element") << file << "<pinmapper define=\"A\"/>" << QStringList() << true << 2;
    QTest::newRow("second pinmapper is refused")
        << file << "<pinmapper define=\"A\"/><pinmapper define=\"B\"/>"
        << QStringList{"XML Error: Only one pinmapper per XML allowed: B"} << true << 2;
    QTest::newRow("pinmapper without define")
        << file << "<pinmapper/>" << QStringList{"XML Error: pinmapper without define is not allowed:"} << true << 2;
    QTest::newRow("missing file") << "<pinmapping file=\"none.xml\"/>" << "<pinmapper define=\"A\"/>"
                                  << QStringList{"XML Warning: Pinmapping file is missing."} << true << 0;
    QTest::newRow("pinmapping after the pinmapper leaves no element")
        << QString() << "<pinmapper define=\"A\"/>" + file << QStringList() << false << 2;
    QTest::newRow("pinmapping inside a container") << QString() << file << QStringList() << false << 2;
    QTest::newRow("start condition that does not hold")
        << "<pinmapping file=\"chip.xml\" startcond=\"X==1\"/>" << QString() << QStringList() << false << 0;
}

void TestPinMapping::pinMapperBuilder()
{
    QFETCH(QString, header);
    QFETCH(QString, elements);
    QFETCH(QStringList, lines);
    QFETCH(bool, registered);
    QFETCH(int, pins);
    writeTestFile(f->env.path(QStringLiteral("p/chip.xml")),
                  "<pinmapping><geometry><pin nr=\"1\" pinname=\"A\"/><pin nr=\"2\" pinname=\"B\"/></geometry></pinmapping>");
    f->options.defines = QStringLiteral("X=2");
    QVERIFY(f->readPanelFile(f->env.path(QStringLiteral("p/panel.xml")), verticalPanelText(elements, header)));
    QCOMPARE(f->xmlLines(), lines);
    QCOMPARE(bool(f->panel.pinMappingModel().pinMappingElement), registered);
    QCOMPARE(f->panel.pinMappingModel().pins.size(), pins);
}

void TestPinMapping::activeFunctionsFollowThePanel_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("uart");
    QTest::addColumn<QString>("spi");
    QTest::addColumn<QString>("gpio");
    QTest::addColumn<QStringList>("active");

    QTest::newRow("route A, UART and SPI")
        << "0" << "1" << "1" << "0"
        << QStringList{"UART_TX_A", "UART_RX_A", "SPI_SCK_A", "SPI_MOSI_A", "SPI_MISO_A"};
    QTest::newRow("route B, UART only") << "1" << "1" << "0" << "0" << QStringList{"UART_TX_B", "UART_RX_B"};
    QTest::newRow("route B, SPI and GPIO") << "1" << "0" << "1" << "1"
                                           << QStringList{"SPI_SCK_B", "SPI_MOSI_B", "SPI_MISO_B", "GPIO3", "GPIO20"};
    QTest::newRow("nothing enabled") << "0" << "0" << "0" << "0" << QStringList();
}

void TestPinMapping::activeFunctionsFollowThePanel()
{
    QFETCH(QString, route);
    QFETCH(QString, uart);
    QFETCH(QString, spi);
    QFETCH(QString, gpio);
    QFETCH(QStringList, active);
    QVERIFY(readExample());
    Panel &p = f->panel;
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_ROUTE"), route));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_UART_ENABLE"), uart));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_SPI_ENABLE"), spi));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_GPIO_ENABLE"), gpio));
    QCOMPARE(activeFunctions(p.pinMappingModel(), host.get()), active);
}

void TestPinMapping::unknownNamesAreNotReportedAtEveryPaint()
{
    QVERIFY(readExample());
    PinMappingModel &m = f->panel.pinMappingModel();
    m.conditions.append({QStringLiteral("NO_SUCH_ELEMENT==1"), QStringLiteral("GPIO3")});
    m.conditions.append({QStringLiteral("1"), QStringLiteral("NO_FUNCTION")});
    f->shell.console.clear();
    QStringList unknown;
    QVERIFY(!PinMappingModel::conditionHolds(QStringLiteral("NO_SUCH_ELEMENT==1"), host.get(), &unknown));
    QCOMPARE(unknown, QStringList{"NO_SUCH_ELEMENT"});
    activeFunctions(m, host.get());
    // No message box, no console line while evaluating; one clear finding each.
    QVERIFY(f->transcript().isEmpty());
    QVERIFY(f->shell.console.isEmpty());
    const QStringList findings = m.checkAgainstPanel(host.get());
    QCOMPARE(findings.size(), 2);
    QVERIFY(findings.at(0).contains(QStringLiteral("\"NO_SUCH_ELEMENT\", which the panel does not have")));
    QVERIFY(findings.at(1).contains(QStringLiteral("\"NO_FUNCTION\", which no map entry has")));
}

void TestPinMapping::csvExportByteForByte()
{
    QVERIFY(readExample());
    Panel &p = f->panel;
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("0")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_UART_ENABLE"), QStringLiteral("1")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_SPI_ENABLE"), QStringLiteral("1")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_GPIO_ENABLE"), QStringLiteral("1")));
    const QString file = f->env.path(QStringLiteral("out/pins.csv"));
    QDir().mkpath(QFileInfo(file).path());
    host->directory = f->env.path(QStringLiteral("out"));
    f->env.installPrompt({file});
    QWidget parent;
    QVERIFY(exportPinMappingCsv(&parent, host.get()));
    QVERIFY(f->transcript().join('\n').contains(QStringLiteral("Save mapping to CSV")));
    QVERIFY(f->transcript().join('\n').contains(QStringLiteral("CSV Files (*.csv)")));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    // Pin name and ";" first, then each active function (display name, else
    // function) with ";", in condition order; LF line ends, no header.
    const QByteArray expected =
        "P1;\nP2;\nP3;UART TX;GPIO3;\nP4;UART RX;\nP5;\nP6;\nP7;\nVDD;\n"
        "P9;\nP10;SPI SCK;\nP11;SPI MOSI;\nP12;SPI MISO;\nP13;\nP14;\nP15;\nP16;\n"
        "P17;\nP18;\nP19;\nP20;GPIO20;\nP21;\nP22;\nP23;\nVSS;\n"
        "P25;\nP26;\nP27;\nP28;\nP29;\nP30;\nP31;\nP32;\n";
    QCOMPARE(written.readAll(), expected);
}

void TestPinMapping::csvExportRefusedFile()
{
    QVERIFY(readExample());
    // A folder in the way: reported, nothing written; no file chosen: nothing at all.
    const QString blocked = f->env.path(QStringLiteral("blocked"));
    QDir().mkpath(blocked + QStringLiteral("/pins.csv"));
    f->env.installPrompt({blocked + QStringLiteral("/pins.csv")});
    QVERIFY(!exportPinMappingCsv(nullptr, host.get()));
    QVERIFY(f->transcript().join('\n').contains(QStringLiteral("pins.csv")));
    f->env.installPrompt({});
    QVERIFY(!exportPinMappingCsv(nullptr, host.get()));
}

void TestPinMapping::chipDrawsArrowsOutward()
{
    QVERIFY(readExample());
    Panel &p = f->panel;
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("1")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_UART_ENABLE"), QStringLiteral("1")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_SPI_ENABLE"), QStringLiteral("0")));
    PinMappingModel &m = p.pinMappingModel();

    QGraphicsScene scene;
    auto *chip = new QGraphicsChipItem(host.get());
    scene.addItem(chip);
    QImage image(int(m.chipSize), int(m.chipSize), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        scene.render(&painter, QRectF(image.rect()), QRectF(image.rect()));
    }
    const QRectF body = chip->chipRect();
    QCOMPARE(body, QRectF(200, 200, 500, 500));

    // UART TX (an output) on P20 at the right side: its arrow lies right of
    // the chip, pointed away from it; UART RX (an input) on P21 is pointed
    // toward the chip (notched on its outer end).
    const MapEntry &tx = m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_TX_B")));
    const MapEntry &rx = m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_RX_B")));
    const QRectF txBox = tx.arrowPath.boundingRect();
    const QRectF rxBox = rx.arrowPath.boundingRect();
    QVERIFY(!txBox.isEmpty());
    QVERIFY(txBox.left() > body.right());
    QVERIFY(rxBox.left() > body.right());
    const double txMid = txBox.center().y();
    QVERIFY(tx.arrowPath.contains(QPointF(txBox.right() - 2, txMid)));
    QVERIFY(!tx.arrowPath.contains(QPointF(txBox.right() - 2, txMid - 8)));
    const double rxMid = rxBox.center().y();
    QVERIFY(!rx.arrowPath.contains(QPointF(rxBox.right() - 1, rxMid)));
    QVERIFY(rx.arrowPath.contains(QPointF(rxBox.right() - 1, rxMid - 9.5)));

    // The arrow is painted in the entry's colour beyond its text.
    const QColor pixel = image.pixelColor(int(txBox.right()) - 5, int(txMid));
    QVERIFY2(qAbs(pixel.red() - 40) < 30 && qAbs(pixel.green() - 140) < 30 && qAbs(pixel.blue() - 40) < 30,
             qPrintable(pixel.name()));
    // The inactive route's arrows are not drawn.
    QVERIFY(m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_TX_A"))).arrowPath.isEmpty());
    // Left, bottom and top pins have their label boxes on their sides.
    QVERIFY(qAbs(m.pins.at(2).hitRect.center().x() - body.left()) < 40);  // P3, left
    QVERIFY(qAbs(m.pins.at(9).hitRect.center().y() - body.bottom()) < 40); // P10, bottom
    QVERIFY(qAbs(m.pins.at(25).hitRect.center().y() - body.top()) < 40);   // P26, top

    // When the route changes, the next paint moves the arrow to the left side.
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("0")));
    {
        QPainter painter(&image);
        scene.render(&painter, QRectF(image.rect()), QRectF(image.rect()));
    }
    const MapEntry &txA = m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_TX_A")));
    QVERIFY(txA.arrowPath.boundingRect().right() < body.left());
    QVERIFY(m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_TX_B"))).arrowPath.isEmpty());
}

void TestPinMapping::twoActiveFunctionsOfOnePinStack()
{
    PinMappingModel &m = f->panel.pinMappingModel();
    m.chipSize = 600;
    m.arrowSize = 40;
    m.pins.append(PinEntry());
    m.pins[0].nr = 1;
    m.pins[0].pinName = QStringLiteral("P");
    m.pins[0].quadrant = 2;
    m.pinIndexByName.insert(QStringLiteral("P"), 0);
    for (const char *function : {"F1", "F2"}) {
        MapEntry entry;
        entry.pinName = QStringLiteral("P");
        entry.function = QLatin1String(function);
        entry.output = 1;
        entry.color = Qt::red;
        m.mapEntries.append(entry);
        m.entryIndexByFunction.insert(entry.function, m.mapEntries.size() - 1);
        m.conditions.append({QStringLiteral("1"), entry.function});
    }
    // A condition that holds for a function without an entry draws nothing.
    m.conditions.append({QStringLiteral("1"), QStringLiteral("NONE")});
    QGraphicsChipItem chip(host.get());
    QImage image(600, 600, QImage::Format_ARGB32);
    QPainter painter(&image);
    chip.paint(&painter, nullptr, nullptr);
    const double first = m.mapEntries.at(0).arrowPath.boundingRect().left();
    const double second = m.mapEntries.at(1).arrowPath.boundingRect().left();
    QCOMPARE(second - first, 40.0 + 24.0);
    QCOMPARE(m.pins.at(0).labelOffset, quint16(2 * (40 + 24)));
}

void TestPinMapping::smallChipHasNoNegativeBody()
{
    PinMappingModel &m = f->panel.pinMappingModel();
    m.chipSize = 100;
    m.pins.append(PinEntry());
    QGraphicsChipItem chip(host.get());
    QImage image(100, 100, QImage::Format_ARGB32);
    QPainter painter(&image);
    chip.paint(&painter, nullptr, nullptr);
    QVERIFY(chip.chipRect().width() >= 0);
    QVERIFY(chip.chipRect().height() >= 0);
}

void TestPinMapping::hoverTextsEscapeAndLink()
{
    QVERIFY(f->readPanelFile(f->env.path(QStringLiteral("h/panel.xml")),
                             verticalPanelText(QStringLiteral("<spinbox define=\"INFO\" default=\"3\"/>"))));
    QVERIFY(f->panel.setElementByDefine(QStringLiteral("INFO"), QStringLiteral("3")));
    PinMappingModel &m = f->panel.pinMappingModel();
    PinEntry pin;
    pin.pinName = QStringLiteral("<P&1>");
    m.pins.append(pin);
    MapEntry entry;
    entry.pinName = pin.pinName;
    entry.function = QStringLiteral("F<b>");
    entry.info = QStringLiteral("INFO");
    m.mapEntries.append(entry);
    MapEntry other = entry;
    other.function = QStringLiteral("G");
    other.dispName = QStringLiteral("Gee");
    other.info = QStringLiteral("NOTHING");
    m.mapEntries.append(other);
    m.conditions.append({QStringLiteral("AB == 1 & B != 2"), QStringLiteral("F<b>")});

    QGraphicsChipItem chip(host.get());
    QString plain;
    const QString html = chip.pinToolTip(0, &plain);
    QCOMPARE(plain, QStringLiteral("<P&1>\n - F<b>/3: AB == 1 & B != 2\n - Gee"));
    QCOMPARE(html, QStringLiteral("&lt;P&amp;1&gt;<br><br> - F&lt;b&gt;/3:<a href=\"AB\">AB</a> == 1 &amp; "
                                  ":<a href=\"B\">B</a> != 2<br> - Gee"));
}

void TestPinMapping::hoverPopupAndLinks()
{
    QVERIFY(readExample());
    QGraphicsScene scene;
    QGraphicsView view(&scene);
    auto *chip = new QGraphicsChipItem(host.get());
    scene.addItem(chip);
    QImage image(900, 900, QImage::Format_ARGB32);
    {
        QPainter painter(&image);
        scene.render(&painter);
    }
    PinMappingModel &m = f->panel.pinMappingModel();
    const PinEntry &p3 = m.pins.at(2);
    QVERIFY(f->panel.setElementByDefine(QStringLiteral("PIN_UART_ENABLE"), QStringLiteral("1")));

    QGraphicsSceneHoverEvent hover(QEvent::GraphicsSceneHoverMove);
    hover.setPos(p3.hitRect.center());
    hover.setScenePos(p3.hitRect.center());
    scene.sendEvent(chip, &hover);
    QVERIFY(chip->toolTipHtml().startsWith(QStringLiteral("P3<br>")));
    QVERIFY(chip->toolTipHtml().contains(QStringLiteral(":<a href=\"PIN_ROUTE\">PIN_ROUTE</a>")));

    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setButton(Qt::LeftButton);
    press.setPos(p3.hitRect.center());
    scene.sendEvent(chip, &press);
    QVERIFY(chip->popupLabel());
    QVERIFY(chip->popupLabel()->isVisible());
    QCOMPARE(chip->popupLabel()->text(), chip->toolTipHtml());

    chip->on_linkActivated(QStringLiteral("PIN_ROUTE"));
    QCOMPARE(host->raised, QStringList{"PIN_ROUTE"});
    QVERIFY(!chip->popupLabel()->isVisible());
    QVERIFY(chip->toolTipHtml().isEmpty());

    // Hovering an active arrow remembers its link; a press raises it.
    QVERIFY(f->panel.setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("0")));
    {
        QPainter painter(&image);
        scene.render(&painter);
    }
    const MapEntry &tx = m.mapEntries.at(m.entryIndexByFunction.value(QStringLiteral("UART_TX_A")));
    QVERIFY(!tx.arrowPath.isEmpty());
    QGraphicsSceneHoverEvent onArrow(QEvent::GraphicsSceneHoverMove);
    onArrow.setPos(tx.arrowPath.boundingRect().center());
    scene.sendEvent(chip, &onArrow);
    QCOMPARE(chip->hoverLink(), QStringLiteral("PIN_UART_ENABLE"));
    scene.sendEvent(chip, &press);
    QCOMPARE(host->raised.last(), QStringLiteral("PIN_UART_ENABLE"));
}

void TestPinMapping::toolTipsSwitchedOff()
{
    QVERIFY(readExample());
    PinMappingModel &m = f->panel.pinMappingModel();
    m.toolTipsActivated = false;
    QGraphicsScene scene;
    QGraphicsView view(&scene);
    auto *chip = new QGraphicsChipItem(host.get());
    scene.addItem(chip);
    QImage image(900, 900, QImage::Format_ARGB32);
    {
        QPainter painter(&image);
        scene.render(&painter);
    }
    QGraphicsSceneHoverEvent hover(QEvent::GraphicsSceneHoverMove);
    hover.setPos(m.pins.at(2).hitRect.center());
    scene.sendEvent(chip, &hover);
    QVERIFY(chip->toolTipHtml().isEmpty());
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setButton(Qt::LeftButton);
    press.setPos(m.pins.at(2).hitRect.center());
    scene.sendEvent(chip, &press);
    QVERIFY(!chip->popupLabel());
}

void TestPinMapping::detailsTable()
{
    QVERIFY(readExample());
    Panel &p = f->panel;
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("0")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_UART_ENABLE"), QStringLiteral("1")));
    QVERIFY(p.setElementByDefine(QStringLiteral("PIN_GPIO_ENABLE"), QStringLiteral("0")));
    PortMappingDetailsDialog details(host.get());
    QStandardItemModel *model = details.model();
    QCOMPARE(model->columnCount(), 4);
    QCOMPARE(model->horizontalHeaderItem(3)->text(), QStringLiteral("Explanation"));
    // P1, P2: pin rows only; P3: the pin row with UART TX and a second row
    // (empty, pin-coloured Pin cell) with GPIO3.
    QCOMPARE(model->item(0, 0)->text(), QStringLiteral("P1"));
    QCOMPARE(model->item(2, 0)->text(), QStringLiteral("P3"));
    QCOMPARE(model->item(2, 1)->text(), QStringLiteral("UART_TX_A"));
    QCOMPARE(model->item(2, 2)->text(), QStringLiteral("PIN_UART_ENABLE==1 &\n PIN_ROUTE==0"));
    QVERIFY(model->item(2, 1)->font().bold());
    QCOMPARE(model->item(3, 0)->text(), QString());
    QCOMPARE(model->item(3, 0)->background().color(), p.pinMappingModel().pins.at(2).color);
    QCOMPARE(model->item(3, 1)->text(), QStringLiteral("GPIO3"));
    QVERIFY(!model->item(3, 1)->font().bold());
    QCOMPARE(model->item(4, 0)->text(), QStringLiteral("P4"));
    const int allRows = model->rowCount();
    QCOMPARE(allRows, 32 + 2); // two pins with two functions each

    // Connected pins only: the pins without functions go.
    details.connectedOnlyBox()->click();
    QCOMPARE(model->rowCount(), 10 + 2);
    QCOMPARE(model->item(0, 0)->text(), QStringLiteral("P3"));

    // A double click on a condition raises the element before its "==".
    details.tableView()->setCurrentIndex(model->index(0, 2));
    details.on_doubleClicked(model->index(0, 2));
    QCOMPARE(host->raised, QStringList{"PIN_UART_ENABLE"});
}

void TestPinMapping::detailsExplanation()
{
    Panel &p = f->panel;
    ModuleRecord *module = nullptr;
    QVERIFY(p.addModule(module, QStringLiteral("UART")));
    RegisterRecord *reg = module->addRegister(QString(), QStringLiteral("CTRL"));
    reg->description = QStringLiteral("UART control");
    FieldRecord *field = reg->addField(QStringLiteral("MODE"));
    field->description = QStringLiteral("Pin mode");
    field->addEnumeratedValue(QStringLiteral("ALT"), QStringLiteral("Alternate pins"), 1);
    FakeElement mode(QStringLiteral("UART.CTRL.MODE"));
    mode.setElementProperty("svd", QStringLiteral("1"));
    FakeElement whole(QStringLiteral("UART.CTRL"));
    whole.setElementProperty("svd", QStringLiteral("1"));
    FakeElement lost(QStringLiteral("NOPE.REG.FIELD"));
    lost.setElementProperty("svd", QStringLiteral("1"));
    FakeElement plain(QStringLiteral("PLAIN"));
    p.registerElement(QStringLiteral("UART.CTRL.MODE"), &mode);
    p.registerElement(QStringLiteral("UART.CTRL"), &whole);
    p.registerElement(QStringLiteral("NOPE.REG.FIELD"), &lost);
    p.registerElement(QStringLiteral("PLAIN"), &plain);

    PortMappingDetailsDialog details(host.get());
    QCOMPARE(details.explanation(QStringLiteral("UART.CTRL.MODE==1")),
             QStringLiteral("Set UART control,\nPin mode to \"Alternate pins\""));
    QCOMPARE(details.explanation(QStringLiteral("UART.CTRL.MODE==2")), QStringLiteral("Set UART control,\nPin mode"));
    QCOMPARE(details.explanation(QStringLiteral("UART.CTRL")), QStringLiteral("Set UART control to "));
    // No register model behind the element, no SVD element, no element: nothing.
    QCOMPARE(details.explanation(QStringLiteral("NOPE.REG.FIELD==1")), QString());
    QCOMPARE(details.explanation(QStringLiteral("PLAIN==1")), QString());
    QCOMPARE(details.explanation(QStringLiteral("MISSING==1")), QString());
    p.forgetAllElements();
}

void TestPinMapping::elementBuildsItsPicture()
{
    QVERIFY(readExample());
    PinMappingModel &m = f->panel.pinMappingModel();
    PinMapping *element = m.pinMappingElement.data();
    QVERIFY(element);
    QVERIFY(!element->isBuilt());
    element->buildView(host.get());
    QVERIFY(element->isBuilt());
    QVERIFY(element->timer()->isSingleShot());
    QCOMPARE(element->detailsDialog()->parent(), element);
    // The buttons sit where the file puts them; the chip at the origin.
    QStringList buttons;
    for (QGraphicsItem *item : element->scene()->items()) {
        if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(item)) {
            auto *button = qobject_cast<QPushButton *>(proxy->widget());
            QVERIFY(button);
            buttons << QStringLiteral("%1 %2,%3").arg(button->text()).arg(proxy->pos().x()).arg(proxy->pos().y());
        }
    }
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"&Details... 0,0", "&Export... 90,0"}));
    QCOMPARE(element->chipItem()->pos(), QPointF(0, 0));
    QCOMPARE(element->scene()->backgroundBrush().color(), QColor(Qt::white));

    element->showDetails();
    QVERIFY(element->detailsDialog()->isVisible());
    element->refresh();
    QVERIFY(element->timer()->isActive());
    QTRY_VERIFY(!element->timer()->isActive());
    element->detailsDialog()->close();
}

void TestPinMapping::picturesOverTheChip()
{
    QVERIFY(readExample());
    QImage logo(10, 8, QImage::Format_ARGB32);
    logo.fill(Qt::blue);
    QVERIFY(logo.save(f->env.path(QStringLiteral("panels/logo.png"))));
    PinMappingModel &m = f->panel.pinMappingModel();
    // Named as the panel names its files: relative to the panel's folder,
    // with backslashes as separators.
    m.images.append({QStringLiteral("logo.png"), true, 30, 40});
    m.images.append({QStringLiteral("sub\\..\\logo.png"), false, 0, 0});
    QWidget owner;
    const PinMappingPicture picture = buildPinMappingPicture(&owner, host.get());
    QList<QGraphicsPixmapItem *> pixmaps;
    for (QGraphicsItem *item : picture.scene->items(Qt::AscendingOrder)) {
        if (auto *pixmap = dynamic_cast<QGraphicsPixmapItem *>(item))
            pixmaps << pixmap;
    }
    QCOMPARE(pixmaps.size(), 2);
    QCOMPARE(pixmaps.at(0)->pixmap().size(), QSize(10, 8));
    QCOMPARE(pixmaps.at(0)->offset(), QPointF(30, 40));
    QVERIFY(pixmaps.at(0)->flags() & QGraphicsItem::ItemIsMovable);
    QCOMPARE(pixmaps.at(1)->pixmap().size(), QSize(10, 8));
    QVERIFY(!(pixmaps.at(1)->flags() & QGraphicsItem::ItemIsMovable));
    // Drawn over the chip.
    QVERIFY(pixmaps.at(0)->zValue() >= picture.chip->zValue());
    QVERIFY(picture.scene->items(Qt::AscendingOrder).indexOf(pixmaps.at(0))
            > picture.scene->items(Qt::AscendingOrder).indexOf(picture.chip));
}

void TestPinMapping::ctrlWheelZooms()
{
    QPostMappingGraphicsView view;
    QGraphicsScene scene(0, 0, 2000, 2000);
    view.setScene(&scene);
    view.resize(300, 300);
    const auto wheel = [&view](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(150, 150);
        QWheelEvent event(at, view.viewport()->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &event);
    };
    wheel(120, Qt::ControlModifier);
    QCOMPARE(view.transform().m11(), 1.1);
    wheel(-120, Qt::ControlModifier);
    QVERIFY(qFuzzyCompare(view.transform().m11(), 1.1 * 0.9));
    QCOMPARE(view.transformationAnchor(), QGraphicsView::AnchorViewCenter);
    // Without Ctrl the wheel scrolls and leaves the scale alone.
    wheel(-120, Qt::NoModifier);
    QVERIFY(qFuzzyCompare(view.transform().m11(), 1.1 * 0.9));
}

void TestPinMapping::pinLabelsStayInTheirPins_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("pinSize"); // 0: as wide as the label
    QTest::newRow("normal font, pins as wide as the labels") << 9 << 0;
    QTest::newRow("normal font, narrow pins") << 9 << 30;
    QTest::newRow("large font, pins as wide as the labels") << 22 << 0;
    QTest::newRow("large font, pins of the file's size") << 22 << 60;
    QTest::newRow("large font, narrow pins") << 22 << 30;
}

// Every pin label is drawn inside its pin box (the hover box) whatever the
// application's font: no dark pixel of the picture lies outside the pin boxes
// but the body's outline.
void TestPinMapping::pinLabelsStayInTheirPins()
{
    QFETCH(int, pointSize);
    QFETCH(int, pinSize);
    QVERIFY(readExample());
    PinMappingModel &m = f->panel.pinMappingModel();
    m.pinSize = quint32(pinSize);
    m.conditions.clear(); // no arrows: only the body and the pins
    m.chipName.clear();   // and no name on the body
    for (PinEntry &pin : m.pins)
        pin.color = QColor(200, 230, 255); // a light pin: its label is black
    const QFont applicationFont = QApplication::font();
    QFont large = applicationFont;
    large.setPointSize(pointSize);
    QApplication::setFont(large);

    QGraphicsScene scene;
    auto *chip = new QGraphicsChipItem(host.get());
    scene.addItem(chip);
    QImage image(int(m.chipSize), int(m.chipSize), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        scene.render(&painter, QRectF(image.rect()), QRectF(image.rect()));
    }
    QApplication::setFont(applicationFont);

    // The body's outline is the one other dark thing drawn.
    const QRect body = chip->chipRect().toAlignedRect();
    const auto onOutline = [&body](int x, int y) {
        return body.adjusted(-1, -1, 1, 1).contains(x, y) && !body.adjusted(2, 2, -2, -2).contains(x, y);
    };
    QVector<QRect> boxes;
    for (const PinEntry &pin : qAsConst(m.pins)) {
        QVERIFY(!pin.hitRect.isEmpty());
        if (pinSize)
            QCOMPARE(qMax(pin.hitRect.width(), pin.hitRect.height()), pinSize + 18);
        boxes << pin.hitRect;
    }
    QStringList outside;
    for (int y = 0; y < image.height() && outside.size() < 5; ++y) {
        for (int x = 0; x < image.width() && outside.size() < 5; ++x) {
            if (QColor(image.pixel(x, y)).lightness() > 160 || onOutline(x, y))
                continue;
            const bool inPin = std::any_of(boxes.cbegin(), boxes.cend(),
                                           [x, y](const QRect &box) { return box.contains(x, y); });
            if (!inPin)
                outside << QStringLiteral("%1,%2").arg(x).arg(y);
        }
    }
    QVERIFY2(outside.isEmpty(), qPrintable(QStringLiteral("label ink outside its pin at ") + outside.join(' ')));
}

QTEST_MAIN(TestPinMapping)
#include "tst_pinmapping.moc"
