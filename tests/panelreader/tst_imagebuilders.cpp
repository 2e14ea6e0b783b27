// The panel reader's builders of LEDs, pictures and embedded SVG drawings, on
// small panels of our own.

#include "readerfixture.h"
#include "checkbox.h"
#include "errorreporter.h"
#include "image.h"
#include "led.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"

#include <QElapsedTimer>
#include <QGraphicsOpacityEffect>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestImageBuilders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void leds();
    void ledBitMasks_data();
    void ledBitMasks();
    void ledFollowsItsSource();
    void images();
    void embeddedSvg();
    void embeddedSvgTextIsTakenAsWritten_data();
    void embeddedSvgTextIsTakenAsWritten();
    void embeddedSvgFaults_data();
    void embeddedSvgFaults();

private:
    bool read(const QByteArray &elements);
    bool readFile(const QByteArray &bytes);
    QWidget *root() const { return fx->root(); }
    template <class T>
    T *find(const QString &name) const
    {
        return root() ? root()->findChild<T *>(name) : nullptr;
    }
    Image *image(const QString &define) const
    {
        return qobject_cast<Image *>(fx->panel.registries().imagesByName.value(define, nullptr));
    }
    QString console() const { return fx->consoleText(); }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestImageBuilders::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QImage picture(16, 12, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("pics")));
    QVERIFY(picture.save(dir->filePath(QStringLiteral("pics/a.png"))));
}

void TestImageBuilders::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
}

void TestImageBuilders::cleanupTestCase()
{
    fx.reset();
}

bool TestImageBuilders::readFile(const QByteArray &bytes)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")), bytes);
}

bool TestImageBuilders::read(const QByteArray &elements)
{
    return readFile(verticalPanelText(QString::fromUtf8(elements)));
}

// ---------------------------------------------------------------------------
// LEDs

void TestImageBuilders::leds()
{
    QVERIFY(read("<led define=\"RUN\" data=\"ST\" bitmask=\"0x01\" oncolor=\"red\" offcolor=\"ff0000;00ff00\""
                 " shape=\"square\">text</led>"
                 "<led define=\"RUN2\" data=\"ST\" bitmask=\"0x01\" size=\"40;40\"/>"
                 "<led define=\"LOST\" bitmask=\"2\"/>"
                 "<checkbox define=\"AFTER\"/>"));
    // The first LEDs the reader built in this run.
    Led *run = fx->panel.registries().ledsByName.value(QStringLiteral("RUN"));
    Led *run2 = fx->panel.registries().ledsByName.value(QStringLiteral("RUN2"));
    Led *lost = fx->panel.registries().ledsByName.value(QStringLiteral("LOST"));
    QVERIFY(run && run2 && lost);
    QCOMPARE(run->objectName(), QStringLiteral("ST_0x01_0"));
    QCOMPARE(run2->objectName(), QStringLiteral("ST_0x01_1"));
    QCOMPARE(lost->objectName(), QStringLiteral("_2_2"));
    QCOMPARE(run->property("data").toString(), QStringLiteral("ST"));
    QCOMPARE(run->property("bitmask"), QVariant(1));
    QCOMPARE(run2->property("bitmask"), QVariant(1));
    QCOMPARE(run->property("OnColor").toString(), QStringLiteral("red"));
    QCOMPARE(run->property("OffColor").toString(), QStringLiteral("ff0000;00ff00"));
    QCOMPARE(run->onColor(), QStringLiteral("red"));
    QCOMPARE(run->offColor(), QStringLiteral("ff0000;00ff00"));
    QVERIFY(!run2->property("OnColor").isValid());
    QCOMPARE(run2->onColor(), QStringLiteral("green"));
    // Common attributes apply.
    QCOMPARE(run2->size(), QSize(40, 40));

    QCOMPARE(fx->panel.registries().ledsByData.value(QStringLiteral("ST")), (QList<Led *>{run, run2}));
    QCOMPARE(fx->panel.registries().ledsByData.value(QString()), QList<Led *>{lost});
    // The element's content is skipped; reading goes on after it.
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QCOMPARE(console().count(QStringLiteral("XML Error: LED without data doesn't make sense:")), 1);
    QCOMPARE(console().count(QStringLiteral("XML")), 1);

    // Read again: new names.
    QVERIFY(read("<led define=\"RUN\" data=\"ST\" bitmask=\"0x01\"/>"));
    QCOMPARE(fx->panel.registries().ledsByName.value(QStringLiteral("RUN"))->objectName(), QStringLiteral("ST_0x01_3"));
}

void TestImageBuilders::ledBitMasks_data()
{
    QTest::addColumn<QString>("attribute"); // the whole bitmask attribute, or none
    QTest::addColumn<int>("mask");

    QTest::newRow("hexadecimal") << "bitmask=\"0x10\"" << 16;
    QTest::newRow("binary") << "bitmask=\"0b101\"" << 5;
    QTest::newRow("decimal") << "bitmask=\"12\"" << 12;
    QTest::newRow("C suffix") << "bitmask=\"(0x8u)\"" << 8;
    QTest::newRow("top bit") << "bitmask=\"0x80000000\"" << int(0x80000000);
    QTest::newRow("all bits") << "bitmask=\"0xFFFFFFFF\"" << -1;
    QTest::newRow("no number") << "bitmask=\"abc\"" << 0;
    QTest::newRow("absent") << "" << 0;
}

void TestImageBuilders::ledBitMasks()
{
    QFETCH(QString, attribute);
    QFETCH(int, mask);
    QVERIFY(read(QStringLiteral("<led define=\"L\" data=\"ST\" %1/>").arg(attribute).toUtf8()));
    Led *led = fx->panel.registries().ledsByName.value(QStringLiteral("L"));
    QVERIFY(led);
    QCOMPARE(led->property("bitmask"), QVariant(mask));
    QCOMPARE(console(), QString());
}

void TestImageBuilders::ledFollowsItsSource()
{
    QVERIFY(read("<checkbox define=\"ST\"/>"
                 "<led define=\"L\" data=\"ST\" bitmask=\"1\"/>"));
    auto *box = find<CheckBox>(QStringLiteral("ST"));
    Led *led = fx->panel.registries().ledsByName.value(QStringLiteral("L"));
    QVERIFY(box && led);
    // The checkbox's value refreshes the LED through the panel.
    box->setValue(QStringLiteral("1"), 0);
    box->updateMathLabels();
    QVERIFY(led->isLit());
    box->setValue(QStringLiteral("0"), 0);
    box->updateMathLabels();
    QVERIFY(!led->isLit());
}

// ---------------------------------------------------------------------------
// Pictures

void TestImageBuilders::images()
{
    QVERIFY(read("<image define=\"LOGO\" file=\"pics/a.png\" label=\"Logo\" tooltip=\"T\">text</image>"
                 "<image define=\"BACK\" file=\"pics\\a.png\"/>"
                 "<image define=\"GONE\" file=\"pics/none.png\"/>"
                 "<image define=\"LOGO\" file=\"pics/a.png\"/>"
                 "<image file=\"pics/a.png\"/>"
                 "<checkbox define=\"AFTER\"/>"));
    Image *logo = find<Image>(QStringLiteral("LOGO"));
    QVERIFY(logo);
    QCOMPARE(logo->pixmap(Qt::ReturnByValue).size(), QSize(16, 12));
    QCOMPARE(logo->property("File").toString(), QStringLiteral("pics/a.png"));
    QCOMPARE(logo->property("tooltip").toString(), QStringLiteral("T"));
    QCOMPARE(image(QStringLiteral("BACK"))->pixmap(Qt::ReturnByValue).size(), QSize(16, 12));
    QCOMPARE(image(QStringLiteral("BACK"))->property("File").toString(), QStringLiteral("pics\\a.png"));
    // An image without a define is named after its file.
    QVERIFY(find<Image>(dir->filePath(QStringLiteral("pics/a.png"))));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));

    // The missing picture is reported with its resolved path; the image stays, empty.
    QVERIFY(image(QStringLiteral("GONE")));
    QVERIFY(image(QStringLiteral("GONE"))->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(fx->transcript().size(), 1);
    QVERIFY(fx->transcript().first().contains(
        QStringLiteral("Cannot open file %1").arg(dir->filePath(QStringLiteral("pics/none.png")))));
    QVERIFY(fx->transcript().first().contains(QStringLiteral("Picture of <image> element couldn't be loaded.")));
    // The second LOGO is a duplicate and replaces the first in the table.
    QCOMPARE(console().count(QStringLiteral("XML Error: Duplicate define Image LOGO")), 1);
    QVERIFY(image(QStringLiteral("LOGO")) != logo);
}

// ---------------------------------------------------------------------------
// Embedded SVG

void TestImageBuilders::embeddedSvg()
{
    QVERIFY(read("<checkbox define=\"ON\"/>"
                 "<svgembed define=\"GAUGE\" passive=\"1\" opacity=\"0.5\" size=\"80;40\">\n"
                 "  <svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">\n"
                 "    <text x=\"1\" y=\"9\">$ON$ $ON.label$ $SPEED$</text>\n"
                 "  </svg>\n"
                 "</svgembed>"
                 "<svgembed define=\"PLAIN\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"6\" height=\"4\"/>"
                 "</svgembed>"
                 "<checkbox define=\"AFTER\"/>"));
    Image *gauge = image(QStringLiteral("GAUGE"));
    QVERIFY(gauge);
    QCOMPARE(gauge->svgTemplate(),
             QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\"> "
                        "<text x=\"1\" y=\"9\">$ON$ $ON.label$ $SPEED$</text> </svg>"));
    QVERIFY(gauge->isPassive());
    QCOMPARE(gauge->property("passive").toString(), QStringLiteral("1"));
    QCOMPARE(gauge->property("File").toString(), QStringLiteral("$SVG$"));
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(gauge->graphicsEffect());
    QVERIFY(effect);
    QCOMPARE(effect->opacity(), 0.5);
    QCOMPARE(gauge->svgSize(), QSize(80, 40));
    QCOMPARE(gauge->size(), QSize(80, 40));
    QCOMPARE(gauge->pixmap(Qt::ReturnByValue).size(), QSize(80, 40));
    // Each define once, for every name it is written with.
    QCOMPARE(fx->panel.registries().imagesByDefine.value(QStringLiteral("ON")), QList<Image *>{gauge});
    QCOMPARE(fx->panel.registries().imagesByDefine.value(QStringLiteral("SPEED")), QList<Image *>{gauge});
    QCOMPARE(fx->panel.registries().imagesByDefine.size(), 2);

    // Without placeholders: drawn once at load, at its own size.
    Image *plain = image(QStringLiteral("PLAIN"));
    QVERIFY(plain && !plain->isPassive());
    QCOMPARE(plain->pixmap(Qt::ReturnByValue).size(), QSize(6, 4));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QCOMPARE(console(), QString());
}

void TestImageBuilders::embeddedSvgTextIsTakenAsWritten_data()
{
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<QByteArray>("svg");

    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\">"
                           "<text>\xe2\x82\xac $P$ &amp; \xf0\x9f\x98\x80</text></svg>";
    const QByteArray element = "<svgembed define=\"S\">" + svg + "</svgembed>";
    // Characters of several bytes before the element and inside it.
    QTest::newRow("UTF-8") << verticalPanelText(QStringLiteral("<text label=\"Gr\u00fc\u00dfe \U0001F600\"/>")
                                                + QString::fromUtf8(element))
                           << svg;
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf") + verticalPanelText(QString::fromUtf8(element))
                                     << svg;
    QByteArray latin = verticalPanelText(QStringLiteral("<text label=\"Gr\u00fc\u00dfe\"/>")
                                         + QString::fromUtf8(element));
    latin.replace("encoding=\"UTF-8\"", "encoding=\"ISO-8859-1\"");
    latin.replace("Gr\xc3\xbc\xc3\x9f", "Gr\xfc\xdf");
    latin.replace("\xe2\x82\xac $P$ &amp; \xf0\x9f\x98\x80", "\xa3 $P$ &amp; \xe9");
    const int checksumEnd = latin.indexOf("</checksum>");
    latin.replace(checksumEnd - 64, 64, PanelXmlReader::checksumOf(latin));
    QTest::newRow("ISO-8859-1, written out as UTF-8")
        << latin
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\">"
                      "<text>\xc2\xa3 $P$ &amp; \xc3\xa9</text></svg>");
    QTest::newRow("end tag with a blank")
        << verticalPanelText(QStringLiteral("<svgembed define=\"S\"> <svg width=\"1\" height=\"1\"/>\n</svgembed >"))
        << QByteArray("<svg width=\"1\" height=\"1\"/>");
}

void TestImageBuilders::embeddedSvgTextIsTakenAsWritten()
{
    QFETCH(QByteArray, panel);
    QFETCH(QByteArray, svg);
    QVERIFY(readFile(panel));
    Image *embedded = image(QStringLiteral("S"));
    QVERIFY(embedded);
    QCOMPARE(embedded->svgTemplate(), svg);
    QVERIFY(embedded->hasValidSvg());
    QCOMPARE(console(), QString());
}

void TestImageBuilders::embeddedSvgFaults_data()
{
    QTest::addColumn<QByteArray>("elements");
    QTest::addColumn<bool>("readOk");
    QTest::addColumn<QString>("message"); // the XML line of the element

    QTest::newRow("no end tag")
        << QByteArray("<svgembed define=\"S\"><svg width=\"1\" height=\"1\"/>") << false
        << "XML Error: <svgembed> element without a matching </svgembed>: its SVG is not read. S";
    QTest::newRow("not a drawing")
        << QByteArray("<svgembed define=\"S\"><html><p>text</p></html></svgembed>") << true
        << "XML Error: The SVG of the <svgembed> element cannot be drawn. S";
    QTest::newRow("empty element") << QByteArray("<svgembed define=\"S\"/>") << true << QString();
    QTest::newRow("only blanks") << QByteArray("<svgembed define=\"S\">  \n </svgembed>") << true << QString();
}

void TestImageBuilders::embeddedSvgFaults()
{
    QFETCH(QByteArray, elements);
    QFETCH(bool, readOk);
    QFETCH(QString, message);

    QElapsedTimer clock;
    clock.start();
    // Built into a panel whose root container is written out in full, so that
    // a missing end tag leaves the file not well-formed.
    const bool ok = readFile(verticalPanelText(QString::fromUtf8(elements)));
    QVERIFY(clock.elapsed() < 10000);
    Q_UNUSED(ok)
    Image *embedded = image(QStringLiteral("S"));
    QVERIFY(embedded);
    QVERIFY(embedded->svgTemplate().isEmpty() || !embedded->hasValidSvg());
    QVERIFY(embedded->pixmap(Qt::ReturnByValue).isNull());
    if (message.isEmpty()) {
        QCOMPARE(console(), QString());
    } else {
        QVERIFY2(console().contains(message), qPrintable(console()));
        QCOMPARE(console().count(message), 1);
    }
    // A file that breaks off is reported as not well-formed as well.
    QCOMPARE(console().contains(QStringLiteral("XML not well-formed")), !readOk);
}

QTEST_MAIN(TestImageBuilders)
#include "tst_imagebuilders.moc"
