// The display elements without a value of their own: the LED lamp, the
// picture and embedded-SVG image, and the panel's refresh of both after a
// define or variable changed.

#include "combobox.h"
#include "dataclass.h"
#include "elementfixture.h"
#include "image.h"
#include "led.h"
#include "lineedit.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMovie>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// A one-pixel GIF (GIF89a, one colour).
const QByteArray tinyGif = QByteArray::fromBase64("R0lGODlhAQABAIAAAP8AAAAAACwAAAAAAQABAAACAkQBADs=");

// A drawing with two values, a label and an edit's text.
const char *const gaugeSvg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">"
    "<rect width=\"40\" height=\"20\" style=\"fill:#00ff00\"/>"
    "<text x=\"1\" y=\"10\">$TEMP$ $MODE.label$ $NOTE$ $TEMP$</text></svg>";

// The lamp as painted: the colour at a point of its 30 x 30 picture.
QColor lampColour(Led &led, int x, int y)
{
    return led.grab().toImage().pixelColor(x, y);
}

} // namespace

class TestDisplayElements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // LED
    void unnamedLedsAreCounted();
    void ledLightsWhenValueSharesAMaskBit_data();
    void ledLightsWhenValueSharesAMaskBit();
    void ledColours_data();
    void ledColours();
    void offColourChangeShowsWhenTheLampGoesDark();
    void ledKeepsItsSizeInALayout();
    void ledRefreshFromVariablesAndElements();
    void ledRefreshFromAnUnknownSenderIsReported();

    // Image: names and pictures
    void imageNames();
    void picturesAndAnimations();
    void badPicturesAreReported_data();
    void badPicturesAreReported();

    // Image: embedded SVG
    void placeholdersAreCollectedAndFilled();
    void valuesCannotBreakTheDrawing();
    void loneDollarRendersUnchanged();
    void externalReferencesAreDroppedAndReported();
    void hugeDrawingIsScaledDown();
    void refreshSkipsPassiveImagesButUpdateRedraws();
    void saveSvgWritesValidSvg();
    void failedSaveIsReported();

private:
    Image *svgImage(const QByteArray &svg, const QString &name = QString());

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestDisplayElements::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestDisplayElements::init()
{
    fx->reset();
    fx->panel.editHeader().xmlDir = dir->path();
    top = std::make_unique<QWidget>();
}

void TestDisplayElements::cleanup()
{
    top.reset();
}

Image *TestDisplayElements::svgImage(const QByteArray &svg, const QString &name)
{
    auto *image = new Image(name.isEmpty() ? QStringLiteral("GAUGE") : name, Image::embeddedSvgMark, top.get());
    image->setHost(&fx->panel);
    image->setSvgBytes(svg);
    image->loadSvg();
    for (const QString &define : image->collectSvgVariables())
        fx->panel.addSvgImage(define, image);
    image->renderSvg();
    return image;
}

// ---------------------------------------------------------------------------
// LED

void TestDisplayElements::unnamedLedsAreCounted()
{
    // The first lamps without a name in this run.
    Led first(QString(), top.get());
    Led second(QString(), top.get());
    Led named(QStringLiteral("POWER"), top.get());
    QCOMPARE(first.objectName(), QStringLiteral("LED_0"));
    QCOMPARE(second.objectName(), QStringLiteral("LED_1"));
    QCOMPARE(named.objectName(), QStringLiteral("POWER"));
    QVERIFY(!first.isLit());
    QCOMPARE(first.onColor(), QStringLiteral("green"));
    QCOMPARE(first.offColor(), QStringLiteral("grey"));
}

void TestDisplayElements::ledLightsWhenValueSharesAMaskBit_data()
{
    QTest::addColumn<QVariant>("mask");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("lit");

    QTest::newRow("shared bit") << QVariant(0x4) << "6" << true;
    QTest::newRow("no shared bit") << QVariant(0x4) << "3" << false;
    QTest::newRow("no number") << QVariant(0x4) << "abc" << false;
    QTest::newRow("hex text is no decimal") << QVariant(0x4) << "0x4" << false;
    QTest::newRow("negative value as 32-bit pattern") << QVariant(0x4) << "-1" << true;
    QTest::newRow("top bit of a negative mask") << QVariant(int(0x80000000)) << "2147483648" << true;
    QTest::newRow("no mask") << QVariant() << "4294967295" << false;
}

void TestDisplayElements::ledLightsWhenValueSharesAMaskBit()
{
    QFETCH(QVariant, mask);
    QFETCH(QString, text);
    QFETCH(bool, lit);

    Led led(QStringLiteral("L"), top.get());
    if (mask.isValid())
        led.setProperty("bitmask", mask);
    led.setValue(!lit);
    led.setValueText(text);
    QCOMPARE(led.isLit(), lit);

    // The same value as bits.
    bool ok = false;
    quint32 bits = text.toUInt(&ok);
    if (!ok)
        bits = quint32(text.toInt(&ok));
    if (ok) {
        led.setValue(!lit);
        led.setValueBits(bits);
        QCOMPARE(led.isLit(), lit);
    }
}

void TestDisplayElements::ledColours_data()
{
    QTest::addColumn<QString>("colour");
    QTest::addColumn<bool>("lit");
    QTest::addColumn<QColor>("dark");  // at gradient offset 0
    QTest::addColumn<QColor>("light"); // at offset 1

    QTest::newRow("red, the drawing's own") << "red" << true << QColor(0xcf0000) << QColor(0xff8ba4);
    QTest::newRow("blue") << "blue" << true << QColor(0x00039a) << QColor(0xafa5ff);
    QTest::newRow("pair") << "ff0000;00ff00" << true << QColor(0xff0000) << QColor(0x00ff00);
    QTest::newRow("unknown name lit is green") << "orange" << true << QColor(0x0f6900) << QColor(0xa3ff87);
    QTest::newRow("unknown name dark is grey") << "orange" << false << QColor(0xadadad) << QColor(0xf0f0f0);
    QTest::newRow("three parts is no pair") << "ff0000;00ff00;0000ff" << true << QColor(0x0f6900)
                                            << QColor(0xa3ff87);
}

void TestDisplayElements::ledColours()
{
    QFETCH(QString, colour);
    QFETCH(bool, lit);
    QFETCH(QColor, dark);
    QFETCH(QColor, light);

    Led led(QStringLiteral("L"), top.get());
    if (lit)
        led.setOnColor(colour);
    else
        led.setOffColor(colour);
    led.setValue(lit);

    // Low in the body the dark stop dominates, higher up the light one.
    const QColor low = lampColour(led, 15, 24);
    const QColor high = lampColour(led, 15, 16);
    const auto distance = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    };
    QVERIFY2(distance(low, dark) < distance(low, light), qPrintable(low.name()));
    QVERIFY2(distance(low, dark) < 80, qPrintable(low.name()));
    QVERIFY2(distance(high, light) < distance(low, light), qPrintable(high.name()));
}

void TestDisplayElements::offColourChangeShowsWhenTheLampGoesDark()
{
    Led led(QStringLiteral("L"), top.get());
    led.setOnColor(QStringLiteral("red"));
    led.setValue(true);
    const QColor lit = lampColour(led, 15, 24);
    QVERIFY2(lit.red() > 150 && lit.green() < 60, qPrintable(lit.name()));

    led.setOffColor(QStringLiteral("blue"));
    QCOMPARE(lampColour(led, 15, 24), lit);
    led.setValue(false);
    const QColor dark = lampColour(led, 15, 24);
    QVERIFY2(dark.blue() > 100 && dark.red() < 60, qPrintable(dark.name()));

    // Invalid hex digits are written as given: no crash, the lamp still paints.
    led.setOffColor(QStringLiteral("zzzzzz;yyyyyy"));
    QVERIFY(!led.grab().isNull());
}

void TestDisplayElements::ledKeepsItsSizeInALayout()
{
    auto *layout = new QVBoxLayout(top.get());
    auto *led = new Led(QStringLiteral("L"), top.get());
    layout->addWidget(led);
    top->resize(400, 300);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    QCOMPARE(led->size(), QSize(30, 30));
    QCOMPARE(led->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(led->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestDisplayElements::ledRefreshFromVariablesAndElements()
{
    // A target variable: its value against the mask.
    auto &status = *new DataClass(QStringLiteral("STATUS")); // the panel takes it over
    fx->panel.setDataClass(QStringLiteral("STATUS"), &status);
    auto *fromVariable = new Led(QStringLiteral("A"), top.get());
    fromVariable->setProperty("bitmask", 0x10);
    fx->panel.addLed(QStringLiteral("STATUS"), fromVariable);
    fx->panel.addLed(QStringLiteral("STATUS"), nullptr); // skipped
    fx->panel.wiring().connectVariableToLeds(&status);
    status.setValue(0x30);
    QVERIFY(fromVariable->isLit());
    status.setValue(0x0f);
    QVERIFY(!fromVariable->isLit());

    // An element: its value text; every LED under the name follows.
    auto *mode = new ComboBox(QStringLiteral("MODE"), top.get());
    mode->setHost(&fx->panel);
    mode->appendItem(QStringLiteral("Off"), QStringLiteral("0"));
    mode->appendItem(QStringLiteral("Fast"), QStringLiteral("6"));
    fx->panel.registerElement(QStringLiteral("MODE"), mode);
    auto *bit1 = new Led(QStringLiteral("B"), top.get());
    bit1->setProperty("bitmask", 0x2);
    auto *bit0 = new Led(QStringLiteral("C"), top.get());
    bit0->setProperty("bitmask", 0x1);
    fx->panel.addLed(QStringLiteral("MODE"), bit1);
    fx->panel.addLed(QStringLiteral("MODE"), bit0);
    fx->panel.wiring().connectElementToLeds(mode);
    mode->setValue(QStringLiteral("6"), KeywordValue);
    mode->updateMathLabels();
    QVERIFY(bit1->isLit());
    QVERIFY(!bit0->isLit());
    QVERIFY(!fromVariable->isLit());
    QVERIFY(fx->transcript().isEmpty());
}

void TestDisplayElements::ledRefreshFromAnUnknownSenderIsReported()
{
    // Neither a target variable nor an element.
    QObject stranger;
    connect(&stranger, &QObject::objectNameChanged, &fx->panel, &Panel::on_updateLED);
    connect(&stranger, &QObject::objectNameChanged, &fx->panel, &Panel::on_updateSvgImage);
    stranger.setObjectName(QStringLiteral("GHOST"));
    QCOMPARE(fx->transcript().join(QLatin1Char('\n')).count(QStringLiteral("Invalid value in ledb: \"GHOST\"")), 2);

    // Called outside a signal: nothing to refresh, nothing reported.
    fx->reset();
    fx->panel.on_updateLED();
    fx->panel.on_updateSvgImage();
    QVERIFY(fx->transcript().isEmpty());
}

// ---------------------------------------------------------------------------
// Image: names and pictures

void TestDisplayElements::imageNames()
{
    // The first unnamed embedded drawings of this run.
    Image first(QString(), Image::embeddedSvgMark, top.get());
    Image second(QString(), Image::embeddedSvgMark, top.get());
    QCOMPARE(first.objectName(), QStringLiteral("IMAGE_0"));
    QCOMPARE(second.objectName(), QStringLiteral("IMAGE_1"));
    QVERIFY(fx->transcript().isEmpty());

    // Named after the file, which it reports: there is none.
    const QString file = dir->filePath(QStringLiteral("p/logo.png"));
    Image byFile(QString(), file, top.get());
    QCOMPARE(byFile.objectName(), file);
    QVERIFY(fx->reported(file));
    Image named(QStringLiteral("LOGO"), QString(), top.get());
    QCOMPARE(named.objectName(), QStringLiteral("LOGO"));
    Image third(QString(), QString(), top.get());
    QCOMPARE(third.objectName(), QStringLiteral("IMAGE_2"));
}

void TestDisplayElements::picturesAndAnimations()
{
    QDir(dir->path()).mkpath(QStringLiteral("pics"));
    QImage still(12, 8, QImage::Format_RGB32);
    still.fill(Qt::blue);
    QVERIFY(still.save(dir->filePath(QStringLiteral("pics/a.png"))));
    QFile gif(dir->filePath(QStringLiteral("pics/anim.GIF")));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    gif.write(tinyGif);
    gif.close();

    Image image(QStringLiteral("PIC"), dir->filePath(QStringLiteral("pics/a.png")), top.get());
    image.setHost(&fx->panel);
    QCOMPARE(image.pixmap(Qt::ReturnByValue).size(), QSize(12, 8));

    // Relative names (with either separator) are taken from the panel's folder.
    image.loadPicture(QStringLiteral("pics\\anim.GIF"));
    QVERIFY(image.movie());
    QCOMPARE(image.movie()->state(), QMovie::Running);
    QPointer<QMovie> firstMovie = image.movie();
    image.loadPicture(QStringLiteral("pics/anim.GIF"));
    QVERIFY(!firstMovie);
    QVERIFY(image.movie());

    image.loadPicture(QStringLiteral("pics/a.png"));
    QVERIFY(!image.movie());
    QCOMPARE(image.pixmap(Qt::ReturnByValue).size(), QSize(12, 8));

    // A missing picture: the resolved path is reported, the label cleared.
    image.loadPicture(QStringLiteral("pics/none.png"));
    QVERIFY(fx->reported(QStringLiteral("Cannot open file %1").arg(dir->filePath(QStringLiteral("pics/none.png")))));
    QVERIFY(fx->reported(QStringLiteral("Picture of <image> element couldn't be loaded.")));
    QVERIFY(image.pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(fx->transcript().size() == 1);
}

void TestDisplayElements::badPicturesAreReported_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // empty: do not create the file
    QTest::addColumn<QString>("message");

    const QString failure = QStringLiteral("Picture of <image> element couldn't be loaded.");
    QTest::newRow("missing") << "gone.png" << QByteArray() << failure;
    QTest::newRow("not a picture") << "text.png" << QByteArray("just some text\n") << failure;
    QTest::newRow("not a gif") << "text.gif" << QByteArray("GIF? no\n") << failure;
    QTest::newRow("missing gif") << "gone.gif" << QByteArray() << failure;
    QTest::newRow("folder") << "." << QByteArray() << failure;
    // A PNG whose header claims 100000 x 100000 pixels: refused before reading.
    QTest::newRow("huge") << "huge.png"
                          << QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgABhqAAAYagCAIAAAAnMJyfAAAAC0lEQVR4nGNggAEAAAoAAX+"
                                                    "AdF4AAAAASUVORK5CYII=")
                          << "100000 x 100000 pixels";
    // The largest GIF there is: 65535 x 65535, screen and frame alike.
    QByteArray hugeGif = tinyGif;
    for (int at : {6, 7, 8, 9, 24, 25, 26, 27})
        hugeGif[at] = char(0xff);
    QTest::newRow("huge gif") << "huge.gif" << hugeGif << "65535 x 65535 pixels";
}

void TestDisplayElements::badPicturesAreReported()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    const QString path = dir->filePath(file);
    if (!bytes.isEmpty()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }
    QElapsedTimer clock;
    clock.start();
    Image image(QStringLiteral("PIC"), path, top.get());
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY2(fx->reported(message), qPrintable(fx->transcript().join(QLatin1Char('\n'))));
    QVERIFY(fx->reported(QStringLiteral("Cannot open file ")));
    QVERIFY(image.pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(!image.movie());

    // The same through loadPicture, after a good picture.
    QImage still(4, 4, QImage::Format_RGB32);
    still.fill(Qt::red);
    image.setPixmap(QPixmap::fromImage(still));
    fx->reset();
    fx->panel.editHeader().xmlDir = dir->path();
    image.setHost(&fx->panel);
    image.loadPicture(file);
    QVERIFY(fx->reported(message));
    QVERIFY(image.pixmap(Qt::ReturnByValue).isNull());
}

// ---------------------------------------------------------------------------
// Image: embedded SVG

void TestDisplayElements::placeholdersAreCollectedAndFilled()
{
    auto &temp = *new DataClass(QStringLiteral("TEMP")); // the panel takes it over
    temp.isFloat = 1;
    temp.setFloatValue(21.5f);
    fx->panel.setDataClass(QStringLiteral("TEMP"), &temp);
    auto *mode = new ComboBox(QStringLiteral("MODE"), top.get());
    mode->setHost(&fx->panel);
    mode->appendItem(QStringLiteral("Manual"), QStringLiteral("0"));
    mode->appendItem(QStringLiteral("Auto"), QStringLiteral("1"));
    mode->setValue(QStringLiteral("1"), KeywordValue);
    fx->panel.registerElement(QStringLiteral("MODE"), mode);
    auto *note = new LineEdit(QStringLiteral("NOTE"), top.get());
    note->setHost(&fx->panel);
    note->setText(QStringLiteral("hot"));
    fx->panel.registerElement(QStringLiteral("NOTE"), note);

    Image *image = svgImage(gaugeSvg);
    QCOMPARE(image->svgVariables(), (QStringList{"TEMP", "MODE.label", "NOTE"}));
    QCOMPARE(fx->panel.registries().imagesByDefine.keys().size(), 3);
    for (const char *define : {"TEMP", "MODE", "NOTE"})
        QCOMPARE(fx->panel.registries().imagesByDefine.value(QLatin1String(define)), QList<Image *>{image});
    QCOMPARE(image->svgSize(), QSize(40, 20));
    QCOMPARE(image->pixmap(Qt::ReturnByValue).size(), QSize(40, 20));

    image->updateSvgValues();
    QVERIFY2(image->svgBytes().contains(">21.5 Auto hot 21.5</text>"), image->svgBytes().constData());
    QCOMPARE(image->svgTemplate(), QByteArray(gaugeSvg));

    // A label of an element that does not exist stays as written; an
    // unknown value is the formula's unknown value, 0, with its report.
    Image *other = svgImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                            "<text>$NONE.label$|$NONE$</text></svg>",
                            QStringLiteral("OTHER"));
    other->updateSvgValues();
    QVERIFY2(other->svgBytes().contains("<text>$NONE.label$|0</text>"), other->svgBytes().constData());
    QVERIFY(fx->reported(QStringLiteral("Invalid value in formula: \"NONE\"")));
}

void TestDisplayElements::valuesCannotBreakTheDrawing()
{
    auto *note = new LineEdit(QStringLiteral("NOTE"), top.get());
    note->setHost(&fx->panel);
    // Markup, and another placeholder's name: written as text.
    note->setText(QStringLiteral("<b>&\"$TEMP$"));
    fx->panel.registerElement(QStringLiteral("NOTE"), note);
    Image *image = svgImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                            "<text id=\"$NOTE$\">$NOTE$ $TEMP$</text></svg>");
    image->updateSvgValues();
    QCOMPARE(image->svgBytes(), QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                                           "<text id=\"&lt;b&gt;&amp;&quot;$TEMP$\">&lt;b&gt;&amp;&quot;$TEMP$ "
                                           "0</text></svg>"));
    QVERIFY(image->hasValidSvg());
}

void TestDisplayElements::loneDollarRendersUnchanged()
{
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"6\">"
                           "<text>Price in $</text></svg>";
    Image *image = svgImage(svg);
    QVERIFY(image->svgVariables().isEmpty());
    QVERIFY(fx->panel.registries().imagesByDefine.isEmpty());
    image->updateSvgValues();
    QCOMPARE(image->svgBytes(), svg);
    QCOMPARE(image->pixmap(Qt::ReturnByValue).size(), QSize(8, 6));
}

void TestDisplayElements::externalReferencesAreDroppedAndReported()
{
    // A picture beside the panel the drawing must not read.
    QImage secret(2, 2, QImage::Format_RGB32);
    secret.fill(Qt::red);
    QVERIFY(secret.save(dir->filePath(QStringLiteral("secret.png"))));
    const QByteArray svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"10\" height=\"10\">"
        "<defs><rect id=\"r\" width=\"10\" height=\"10\" style=\"fill:#0000ff\"/></defs>"
        "<use xlink:href=\"#r\"/>"
        "<image width=\"10\" height=\"10\" xlink:href=\"" + dir->filePath(QStringLiteral("secret.png")).toUtf8() + "\"/>"
        "<image width=\"10\" height=\"10\" href='http://127.0.0.1:9/x.png'/>"
        "<image width=\"1\" height=\"1\" xlink:href=\"/dev/zero\"/>"
        "</svg>";
    QElapsedTimer clock;
    clock.start();
    Image *image = svgImage(svg);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(image->hasValidSvg());
    const QString reports = fx->transcript().join(QLatin1Char('\n'));
    QCOMPARE(fx->transcript().size(), 1);
    QVERIFY2(reports.contains(dir->filePath(QStringLiteral("secret.png"))), qPrintable(reports));
    QVERIFY(reports.contains(QStringLiteral("http://127.0.0.1:9/x.png")));
    QVERIFY(reports.contains(QStringLiteral("/dev/zero")));
    QVERIFY(!reports.contains(QStringLiteral("#r")));
    // Only the internal reference is drawn: blue, not the red picture.
    const QColor centre = image->pixmap(Qt::ReturnByValue).toImage().pixelColor(5, 5);
    QVERIFY2(centre.blue() > 200 && centre.red() < 50, qPrintable(centre.name()));
    // The template keeps what was embedded; a refresh reports nothing again.
    QCOMPARE(image->svgTemplate(), svg);
    image->updateSvgValues();
    QCOMPARE(fx->transcript().size(), 1);
}

void TestDisplayElements::hugeDrawingIsScaledDown()
{
    Image *image = svgImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100000\" height=\"50000\">"
                            "<rect width=\"100000\" height=\"50000\" style=\"fill:#ff0000\"/></svg>");
    QCOMPARE(image->svgSize(), QSize(100000, 50000));
    const QSize shown = image->pixmap(Qt::ReturnByValue).size();
    QVERIFY(qint64(shown.width()) * shown.height() <= Image::maxDrawingPixels);
    QVERIFY(qint64(shown.width()) * shown.height() > Image::maxDrawingPixels / 2);
    QVERIFY(qAbs(shown.width() - 2 * shown.height()) <= 2);
}

void TestDisplayElements::refreshSkipsPassiveImagesButUpdateRedraws()
{
    auto &level = *new DataClass(QStringLiteral("LEVEL")); // the panel takes it over
    fx->panel.setDataClass(QStringLiteral("LEVEL"), &level);
    fx->panel.wiring().connectVariableToSvgImages(&level);
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"><text>$LEVEL$</text></svg>";
    Image *active = svgImage(svg, QStringLiteral("ACTIVE"));
    Image *passive = svgImage(svg, QStringLiteral("PASSIVE"));
    passive->setPassive(true);
    fx->panel.setImage(QStringLiteral("ACTIVE"), active);
    fx->panel.setImage(QStringLiteral("PASSIVE"), passive);

    // After an open every image with values is drawn with them, passive or not.
    level.setValue(7); // before the refresh: the passive one keeps its template
    QCOMPARE(passive->svgBytes(), svg);
    QVERIFY(active->svgBytes().contains("<text>7</text>"));
    fx->panel.refreshSvgImages();
    QVERIFY(passive->svgBytes().contains("<text>7</text>"));

    // A change redraws the active image only.
    level.setValue(42);
    QVERIFY(active->svgBytes().contains("<text>42</text>"));
    QVERIFY(passive->svgBytes().contains("<text>7</text>"));

    // setDef "update" redraws the passive one too.
    fx->panel.setDef(QStringLiteral("PASSIVE.update=1"));
    QVERIFY(passive->svgBytes().contains("<text>42</text>"));
    QVERIFY(fx->transcript().isEmpty());
}

void TestDisplayElements::saveSvgWritesValidSvg()
{
    auto &level = *new DataClass(QStringLiteral("LEVEL")); // the panel takes it over
    level.setValue(3);
    fx->panel.setDataClass(QStringLiteral("LEVEL"), &level);
    // A drawing as the panel reader hands it over: collapsed to one line.
    Image *image = svgImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"> <g> "
                            "<text x=\"0\" y=\"3\">$LEVEL$ &amp; more</text> </g> </svg>");
    fx->panel.setImage(QStringLiteral("GAUGE"), image);

    // Relative names from the panel's folder, with either separator.
    QDir(dir->path()).mkpath(QStringLiteral("out"));
    const QString target = dir->filePath(QStringLiteral("out/gauge.svg"));
    QFile::remove(target);
    fx->panel.setDef(QStringLiteral("GAUGE.save=out\\gauge.svg"));
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY2(bytes.contains("<text x=\"0\" y=\"3\">3 &amp; more</text>"), bytes.constData());
    QVERIFY(fx->transcript().isEmpty());

    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed: the written SVG is not checked");
    QProcess lint;
    lint.start(xmllint, {QStringLiteral("--noout"), target});
    QVERIFY(lint.waitForFinished(30000));
    QCOMPARE(lint.exitCode(), 0);
}

void TestDisplayElements::failedSaveIsReported()
{
    Image *image = svgImage("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>");
    // A folder that does not exist, and a folder in place of the file.
    QVERIFY(!image->saveSvg(QStringLiteral("no/such/folder/x.svg")));
    QVERIFY(fx->reported(QStringLiteral("Cannot open file %1").arg(dir->filePath(QStringLiteral("no/such/folder/x.svg")))));
    QDir(dir->path()).mkpath(QStringLiteral("taken.svg"));
    QVERIFY(!image->saveSvg(QStringLiteral("taken.svg")));
    QVERIFY(fx->reported(dir->filePath(QStringLiteral("taken.svg"))));
    QVERIFY(QFileInfo(dir->filePath(QStringLiteral("taken.svg"))).isDir());
}

QTEST_MAIN(TestDisplayElements)
#include "tst_displayelements.moc"
