// The slider, knob and dial builders and the spin box kinds against small
// panels of our own, and the demo panel.

#include "readerfixture.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "hexspinbox.h"
#include "knob.h"
#include "quillpanel.h"
#include "panelconnections.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "slider.h"
#include "spinbox.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <qwt_dial.h>
#include <qwt_dial_needle.h>
#include <qwt_round_scale_draw.h>
#include <qwt_scale_div.h>

#include <memory>

namespace {

// The "min..max" text of two bounds.
QString bounds(double min, double max)
{
    return QStringLiteral("%1..%2").arg(min, 0, 'g', 12).arg(max, 0, 'g', 12);
}

} // namespace

class TestNumericBuilders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void sliders_data();
    void sliders();
    void sliderImageAndWiring();
    void knobs_data();
    void knobs();
    void knobIsBoundAndWired();
    void dials_data();
    void dials();
    void spinBoxKindsAreBoundAndWired();
    void prefixAndSuffixAttributes_data();
    void prefixAndSuffixAttributes();
    void integerRangesClampToInt_data();
    void integerRangesClampToInt();

    void demoPanelShowsEveryKind();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    void write(const QString &name, const QByteArray &text) const;
    // Reads the elements as a panel into the fixture's panel; true when the read succeeded.
    bool read(const QByteArray &elements);
    template <class T>
    T *find(const QString &name) const
    {
        return fx->root() ? fx->root()->findChild<T *>(name) : nullptr;
    }
    // The console's XML lines, one a line.
    QStringList xmlLines() const;
    QStringList transcript() const { return fx->transcript(); }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestNumericBuilders::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestNumericBuilders::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
    fx->env.installPrompt({});
}

void TestNumericBuilders::cleanupTestCase()
{
    fx.reset();
}

void TestNumericBuilders::write(const QString &name, const QByteArray &text) const
{
    QVERIFY(!writeTestFile(path(name), text).isEmpty());
}

bool TestNumericBuilders::read(const QByteArray &elements)
{
    return fx->readPanelFile(path("panel.xml"), verticalPanelText(QString::fromUtf8(elements)));
}

QStringList TestNumericBuilders::xmlLines() const
{
    return fx->xmlLines();
}

// ---------------------------------------------------------------------------
// Slider

void TestNumericBuilders::sliders_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QStringList>("console");
    QTest::addColumn<QStringList>("reported");

    const QString initial = bounds(-0x40000000, 0x40000000);
    QTest::newRow("range") << QByteArray("<slider define=\"S\" range=\"0x10;200\"/>") << "16..200" << 1
                           << int(Qt::Vertical) << QStringList() << QStringList();
    QTest::newRow("min above max")
        << QByteArray("<slider define=\"S\" range=\"10;5\"/>") << initial << 1 << int(Qt::Vertical)
        << QStringList{"XML Error: min > max in slider S"} << QStringList();
    QTest::newRow("one part only")
        << QByteArray("<slider define=\"S\" range=\"5\"/>") << initial << 1 << int(Qt::Vertical)
        << QStringList{"XML Error: max range in slider is not a valid number S", "XML Error: min > max in slider S"}
        << QStringList();
    QTest::newRow("text minimum")
        << QByteArray("<slider define=\"S\" range=\"low;10\"/>") << "0..10" << 1 << int(Qt::Vertical)
        << QStringList{"XML Error: min range in slider is not a valid number S"} << QStringList();
    QTest::newRow("hex step") << QByteArray("<slider define=\"S\" step=\"0x10\"/>") << initial << 16
                              << int(Qt::Vertical) << QStringList() << QStringList();
    QTest::newRow("word step") << QByteArray("<slider define=\"S\" step=\"abc\"/>") << initial << 0
                               << int(Qt::Vertical) << QStringList{"XML Warning: \"step\" attribute invalid. S"}
                               << QStringList();
    QTest::newRow("horizontal") << QByteArray("<slider define=\"S\" orientation=\"1\"/>") << initial << 1
                                << int(Qt::Horizontal) << QStringList() << QStringList();
    QTest::newRow("other orientation leaves it")
        << QByteArray("<slider define=\"S\" orientation=\"2\"/>") << initial << 1 << int(Qt::Vertical)
        << QStringList() << QStringList();
    QTest::newRow("default out of range")
        << QByteArray("<slider define=\"S\" range=\"0;100\" default=\"0x1F0\"/>") << "0..100" << 1
        << int(Qt::Vertical) << QStringList()
        << QStringList{"Default value for S (496) is out of allowed range: 0..100"};
    QTest::newRow("default checked without a range too")
        << QByteArray("<slider define=\"S\" default=\"2000000000\"/>") << initial << 1 << int(Qt::Vertical)
        << QStringList() << QStringList{"Default value for S (2000000000) is out of allowed range: -1073741824..1073741824"};
    QTest::newRow("without define")
        << QByteArray("<slider/>") << initial << 1 << int(Qt::Vertical)
        << QStringList{"XML Error: Slider without define is not allowed:"} << QStringList();
    // Both the slider's own image step and the common background step look.
    QTest::newRow("missing image")
        << QByteArray("<slider define=\"S\" image=\"none.png\"/>") << initial << 1 << int(Qt::Vertical)
        << QStringList{"XML Warning: Image file not found in UI element S",
                       "XML Warning: Image file not found in UI element S"}
        << QStringList();
}

void TestNumericBuilders::sliders()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, range);
    QFETCH(int, step);
    QFETCH(int, orientation);
    QFETCH(QStringList, console);
    QFETCH(QStringList, reported);

    QVERIFY(read(element));
    auto *slider = fx->root()->findChild<Slider *>();
    QVERIFY(slider);
    QCOMPARE(bounds(slider->minimum(), slider->maximum()), range);
    QCOMPARE(slider->singleStep(), step);
    QCOMPARE(int(slider->orientation()), orientation);
    QCOMPARE(xmlLines(), console);
    QCOMPARE(transcript(), reported);
}

void TestNumericBuilders::sliderImageAndWiring()
{
    QImage groove(8, 8, QImage::Format_RGB32);
    groove.fill(Qt::darkGray);
    QVERIFY(groove.save(path("groove.png")));

    QVERIFY(read("<header file=\"cfg.h\"><slider define=\"LEVEL\" range=\"0;63\" image=\"groove.png\" step=\"4\""
                 " default=\"8\" lockon=\"X=1\"><action event=\"changed\" cmd=\"setDef\" data=\"X=1\"/>"
                 "<action event=\"changed\" cmd=\"runScript\" data=\"s.txt\"/></slider></header>"));
    auto *slider = find<Slider>(QStringLiteral("LEVEL"));
    QVERIFY(slider);
    QCOMPARE(xmlLines(), QStringList());
    QVERIFY(slider->styleSheet().startsWith(
        QStringLiteral("QSlider::groove:horizontal {background-image:url(%1);").arg(path("groove.png"))));
    QVERIFY(slider->styleSheet().contains(QStringLiteral("QSlider::handle:horizontal {background-color:blue;")));
    // The attributes stay as written for the panel editor.
    QCOMPARE(slider->elementProperty("range").toString(), QStringLiteral("0;63"));
    QCOMPARE(slider->elementProperty("step").toString(), QStringLiteral("4"));
    QCOMPARE(slider->elementProperty("my_default").toString(), QStringLiteral("8"));
    QCOMPARE(slider->elementProperty("header").toString(), QStringLiteral("cfg.h"));
    // A slider takes no locks of its own.
    QVERIFY(!slider->elementProperty("locks").isValid());

    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("LEVEL")), static_cast<ActiveElement *>(slider));
    const QVariantList actions = slider->elementProperty("data").toMap().value("0").toList();
    QCOMPARE(actions, QVariantList({"changed_setDef", "", "X=1", "changed_runScript", "", "s.txt"}));
    QVERIFY(QObject::disconnect(signalsOf(slider), &ElementSignals::changed_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(fx->panel.wiring().reportsChangedByUser(slider));
    for (const char *slot : {"on_updateMathLabel", "on_updateLED", "on_updateSvgImage",
                             "on_updateCurve", "on_updateDial", "on_updateThermo",
                             "on_updateLog"})
        QVERIFY2(fx->panel.wiring().runsRefresh(signalsOf(slider), refreshSlot(slot)), slot);
}

// ---------------------------------------------------------------------------
// Knob

void TestNumericBuilders::knobs_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<uint>("singleSteps");
    QTest::addColumn<uint>("totalSteps"); // 0: Qwt's own
    QTest::addColumn<QList<double>>("ticks"); // first, second, last and count; empty: not integer mode
    QTest::addColumn<QStringList>("console");
    QTest::addColumn<QStringList>("reported");

    const uint qwtSteps = Knob(QStringLiteral("fresh")).totalSteps();
    QTest::newRow("integer mode") << QByteArray("<knob define=\"K\" range=\"0;3\" integer=\"1\" step=\"2\"/>")
                                  << "0..3" << 1u << 3u << QList<double>{0, 1, 3, 4} << QStringList()
                                  << QStringList();
    QTest::newRow("integer mode without range") << QByteArray("<knob define=\"K\" integer=\"1\"/>") << "0..100"
                                                << 1u << 100u << QList<double>{0, 1, 100, 101} << QStringList()
                                                << QStringList();
    QTest::newRow("integer 0 is off") << QByteArray("<knob define=\"K\" range=\"0;3\" integer=\"0\"/>") << "0..3"
                                      << 1u << qwtSteps << QList<double>() << QStringList() << QStringList();
    QTest::newRow("a thousand integers keep every tick")
        << QByteArray("<knob define=\"K\" range=\"-500;500\" integer=\"1\"/>") << "-500..500" << 1u << 1000u
        << QList<double>{-500, -499, 500, 1001} << QStringList() << QStringList();
    // The whole int range: 2^32 - 1 steps, computed without overflow, and a
    // bounded tick list that still ends at both bounds.
    QTest::newRow("widest range") << QByteArray("<knob define=\"K\" range=\"-2147483648;2147483647\" integer=\"1\"/>")
                                  << "-2147483648..2147483647" << 1u << 4294967295u
                                  << QList<double>{-2147483648.0, -2147483648.0 + 4294968, 2147483647, 1001}
                                  << QStringList() << QStringList();
    QTest::newRow("step") << QByteArray("<knob define=\"K\" step=\"0x8\"/>") << "0..100" << 8u << qwtSteps
                          << QList<double>() << QStringList() << QStringList();
    QTest::newRow("word step") << QByteArray("<knob define=\"K\" step=\"abc\"/>") << "0..100" << 0u << qwtSteps
                               << QList<double>() << QStringList{"XML Warning: \"step\" attribute invalid. K"}
                               << QStringList();
    QTest::newRow("negative step") << QByteArray("<knob define=\"K\" step=\"-3\"/>") << "0..100" << 0u << qwtSteps
                                   << QList<double>() << QStringList() << QStringList();
    QTest::newRow("min above max") << QByteArray("<knob define=\"K\" range=\"9;1\" default=\"50\"/>") << "0..100"
                                   << 1u << qwtSteps << QList<double>()
                                   << QStringList{"XML Error: min > max in knob K"} << QStringList();
    QTest::newRow("text bounds") << QByteArray("<knob define=\"K\" range=\"a;b\"/>") << "0..0" << 1u << qwtSteps
                                 << QList<double>()
                                 << QStringList{"XML Error: min range in knob is not a valid number K",
                                                "XML Error: max range in knob is not a valid number K"}
                                 << QStringList();
    QTest::newRow("default out of range")
        << QByteArray("<knob define=\"K\" range=\"0;100\" default=\"150\"/>") << "0..100" << 1u << qwtSteps
        << QList<double>() << QStringList() << QStringList{"Default value for K (150) is out of allowed range: 0..100"};
    QTest::newRow("default without range is not checked")
        << QByteArray("<knob define=\"K\" default=\"150\"/>") << "0..100" << 1u << qwtSteps << QList<double>()
        << QStringList() << QStringList();
    QTest::newRow("without define") << QByteArray("<knob/>") << "0..100" << 1u << qwtSteps << QList<double>()
                                    << QStringList{"XML Error: Knob without define is not allowed:"}
                                    << QStringList();
}

void TestNumericBuilders::knobs()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, scale);
    QFETCH(uint, singleSteps);
    QFETCH(uint, totalSteps);
    QFETCH(QList<double>, ticks);
    QFETCH(QStringList, console);
    QFETCH(QStringList, reported);

    QVERIFY(read(element));
    auto *knob = fx->root()->findChild<Knob *>();
    QVERIFY(knob);
    QCOMPARE(knob->knobStyle(), QwtKnob::Styled);
    QCOMPARE(bounds(knob->lowerBound(), knob->upperBound()), scale);
    QCOMPARE(knob->singleSteps(), singleSteps);
    QCOMPARE(knob->totalSteps(), totalSteps);
    if (!ticks.isEmpty()) {
        const QList<double> major = knob->scaleDiv().ticks(QwtScaleDiv::MajorTick);
        QCOMPARE(major.size(), int(ticks.at(3)));
        QCOMPARE(major.first(), ticks.at(0));
        QCOMPARE(major.at(1), ticks.at(1));
        QCOMPARE(major.last(), ticks.at(2));
        QVERIFY(knob->scaleDiv().ticks(QwtScaleDiv::MinorTick).isEmpty());
        QVERIFY(knob->scaleDiv().ticks(QwtScaleDiv::MediumTick).isEmpty());
    }
    QCOMPARE(xmlLines(), console);
    QCOMPARE(transcript(), reported);
}

void TestNumericBuilders::knobIsBoundAndWired()
{
    QVERIFY(read("<knob define=\"GAIN\" range=\"0;15\" header=\"amp.h\">"
                 "<action event=\"changed\" cmd=\"runScript\" data=\"gain.txt\"/>"
                 "<action event=\"changed\" cmd=\"sendUSB\" data=\"01;02\" recdata=\"1:x\" delay=\"5\"/>"
                 "<action event=\"clicked\" cmd=\"setDef\" data=\"Y=1\"/></knob>"));
    auto *knob = find<Knob>(QStringLiteral("GAIN"));
    QVERIFY(knob);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("GAIN")), static_cast<ActiveElement *>(knob));
    QCOMPARE(knob->elementProperty("header").toString(), QStringLiteral("amp.h"));
    QVERIFY(!elementPropertyOf(knob, "isRaised").isValid());
    // Only "changed" fits a knob; the other event warns and is kept.
    QCOMPARE(xmlLines(), QStringList{"XML Warning: Can't use event \"clicked\" in UI element \"Knob\" GAIN"});
    QCOMPARE(knob->elementProperty("data").toMap().value("0").toList(),
             QVariantList({"changed_runScript", "", "gain.txt", "changed_sendUSB", "", "01;02", "1:x", "5",
                           "clicked_setDef", "", "Y=1"}));
    QVERIFY(QObject::disconnect(signalsOf(knob), &ElementSignals::changed_runScript, &fx->panel, &Panel::runScript));
    QVERIFY(QObject::disconnect(signalsOf(knob), &ElementSignals::changed_sendUSB, &fx->panel, &Panel::sendUSB));
    QVERIFY(QObject::disconnect(signalsOf(knob), &ElementSignals::changed_recData, &fx->panel, &Panel::recData));
    QVERIFY(fx->panel.wiring().reportsChangedByUser(knob));
    for (const char *slot : {"on_updateMathLabel", "on_updateLED", "on_updateSvgImage",
                             "on_updateCurve", "on_updateDial", "on_updateThermo"})
        QVERIFY2(fx->panel.wiring().runsRefresh(signalsOf(knob), refreshSlot(slot)), slot);
    QVERIFY(!fx->panel.wiring().runsRefresh(signalsOf(knob), &Panel::on_updateLog));

    // A 4-bit field fits 0..15.
    QVERIFY(read("<knob define=\"ADC.CTRL[7:4]\" range=\"0;15\"/>"));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("ADC.CTRL[7:4]")));
    QCOMPARE(transcript(), QStringList());
}

// ---------------------------------------------------------------------------
// Dial

void TestNumericBuilders::dials_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("source");

    QTest::newRow("defaults") << QByteArray("<dial define=\"D\"/>") << "0..1000" << "";
    QTest::newRow("hex maximum") << QByteArray("<dial define=\"D\" max=\"0x64\" data=\"SPEED\"/>") << "0..100"
                                 << "SPEED";
    QTest::newRow("bounds modulo 2^32") << QByteArray("<dial define=\"D\" min=\"-2\" max=\"0xFFFFFFFF\"/>")
                                        << "4294967294..4294967295" << "";
    QTest::newRow("beyond 32 bits") << QByteArray("<dial define=\"D\" min=\"0x100000005\" max=\"(0x20u)\"/>")
                                    << "5..32" << "";
    QTest::newRow("no numbers") << QByteArray("<dial define=\"D\" min=\"low\" max=\"2.5\"/>") << "0..0" << "";
}

void TestNumericBuilders::dials()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, scale);
    QFETCH(QString, source);

    QVERIFY(read(element + "<dial define=\"OTHER\" label=\"Other\">text only</dial>"));
    auto *dial = find<QwtDial>(QStringLiteral("D"));
    QVERIFY(dial);
    QCOMPARE(fx->panel.registries().dialsByName.value(QStringLiteral("D")), static_cast<QWidget *>(dial));
    QCOMPARE(bounds(dial->lowerBound(), dial->upperBound()), scale);
    QCOMPARE(dial->value(), qBound(dial->minimum(), 1.0, dial->maximum()));
    QVERIFY(dial->isReadOnly());
    QVERIFY(!dial->wrapping());
    QCOMPARE(dial->origin(), 135.0);
    QCOMPARE(dial->minScaleArc(), 0.0);
    QCOMPARE(dial->maxScaleArc(), 270.0);
    QVERIFY(dynamic_cast<const QwtDialSimpleNeedle *>(dial->needle()));
    QVERIFY(!dial->scaleDraw()->hasComponent(QwtAbstractScaleDraw::Backbone));
    QCOMPARE(dial->scaleDraw()->tickLength(QwtScaleDiv::MajorTick), 8.0);
    QCOMPARE(dial->scaleDraw()->tickLength(QwtScaleDiv::MediumTick), 4.0);
    QCOMPARE(dial->scaleDraw()->tickLength(QwtScaleDiv::MinorTick), 0.0);
    QCOMPARE(dial->property("data").toString(), source);
    if (source.isEmpty())
        QVERIFY(fx->panel.registries().dialsByData.isEmpty());
    else
        QCOMPARE(fx->panel.registries().dialsByData.value(source), QList<QwtDial *>{dial});
    // A dial is no value element.
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("D")));
    QVERIFY(find<QwtDial>(QStringLiteral("OTHER")));
    QCOMPARE(xmlLines(), QStringList());
}

// ---------------------------------------------------------------------------
// Spin boxes

void TestNumericBuilders::spinBoxKindsAreBoundAndWired()
{
    QVERIFY(read("<doublespinbox define=\"RATE\" range=\"0.5;2.5\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"X=1\"/></doublespinbox>"
                 "<hexspinbox define=\"MASK\" range=\"0;0xFF\"/>"));
    auto *rate = find<DoubleSpinBox>(QStringLiteral("RATE"));
    auto *mask = find<HexSpinBox>(QStringLiteral("MASK"));
    QVERIFY(rate && mask);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("RATE")), static_cast<ActiveElement *>(rate));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("MASK")), static_cast<ActiveElement *>(mask));
    QCOMPARE(rate->elementProperty("isRaised"), QVariant(false));

    // The double spin box: formulas, its value to the modified mark, SVG images.
    QVERIFY(QObject::disconnect(signalsOf(rate), &ElementSignals::changed_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(QObject::disconnect(rate, QOverload<double>::of(&QDoubleSpinBox::valueChanged), &fx->panel, &Panel::changed));
    QVERIFY(fx->panel.wiring().runsRefresh(signalsOf(rate), &Panel::on_updateMathLabel));
    QVERIFY(fx->panel.wiring().runsRefresh(signalsOf(rate), &Panel::on_updateSvgImage));
    QVERIFY(!fx->panel.wiring().runsRefresh(signalsOf(rate), &Panel::on_updateLED));
    QVERIFY(!fx->panel.wiring().reportsChangedByUser(rate));

    // The hexadecimal one: all but dials and thermometers.
    QVERIFY(fx->panel.wiring().reportsChangedByUser(mask));
    for (const char *slot : {"on_updateMathLabel", "on_updateLED", "on_updateSvgImage",
                             "on_updateCurve", "on_updateLog"})
        QVERIFY2(fx->panel.wiring().runsRefresh(signalsOf(mask), refreshSlot(slot)), slot);
    QVERIFY(!fx->panel.wiring().runsRefresh(signalsOf(mask), &Panel::on_updateDial));
    QCOMPARE(xmlLines(), QStringList());
}

void TestNumericBuilders::prefixAndSuffixAttributes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("shown");
    QTest::newRow("hex, own prefix and suffix")
        << QByteArray("<hexspinbox define=\"E\" range=\"0;0xFF\" default=\"0x1F\" prefix=\"$\" suffix=\" h\"/>")
        << "$" << "$1F h";
    QTest::newRow("hex, its prefix named") << QByteArray("<hexspinbox define=\"E\" range=\"0;0xFF\" default=\"0x1F\" prefix=\"0x\"/>")
                                         << "0x" << "0x1F";
    QTest::newRow("hex, no prefix attribute") << QByteArray("<hexspinbox define=\"E\" range=\"0;0xFF\" default=\"0x1F\"/>")
                                            << "0x" << "0x1F";
    QTest::newRow("spin box") << QByteArray("<spinbox define=\"E\" range=\"0;100\" default=\"31\" prefix=\"n=\" suffix=\" mA\"/>")
                              << "n=" << "n=31 mA";
}

// A panel's prefix takes the place of the hexadecimal "0x" and waits with it
// for the text's first layout; the box measures as it will show.
void TestNumericBuilders::prefixAndSuffixAttributes()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, prefix);
    QFETCH(QString, shown);
    QVERIFY(read(element));
    fx->panel.finishLoad(true);
    auto *box = find<SpinBox>(QStringLiteral("E"));
    QVERIFY(box);
    QCOMPARE(box->shownPrefix(), prefix);
    const QSize measured = box->sizeHint();
    box->layOutText();
    QCOMPARE(box->prefix(), prefix);
    QCOMPARE(box->text(), shown);
    QCOMPARE(box->sizeHint(), measured);
    QCOMPARE(xmlLines(), QStringList());
}

// ---------------------------------------------------------------------------
// Ranges beyond int

void TestNumericBuilders::integerRangesClampToInt_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("range");

    QTest::newRow("hex spin box to 0xFFFFFFFF") << QByteArray("<hexspinbox define=\"E\" range=\"0;0xFFFFFFFF\"/>")
                                                << "0..2147483647";
    QTest::newRow("spin box from -0x80000001")
        << QByteArray("<spinbox define=\"E\" range=\"-2147483649;-2147483648\"/>") << "-2147483648..-2147483648";
    QTest::newRow("slider to 2^40") << QByteArray("<slider define=\"E\" range=\"1;0x10000000000\"/>")
                                    << "1..2147483647";
    QTest::newRow("knob to 2^32") << QByteArray("<knob define=\"E\" range=\"0b1;4294967296\"/>") << "1..2147483647";
    QTest::newRow("C literals in parentheses")
        << QByteArray("<spinbox define=\"E\" range=\"(0x10u); (20u) \"/>") << "16..20";
    // A fraction reads as its six-digit form: a whole number when that has no point.
    QTest::newRow("fractions") << QByteArray("<spinbox define=\"E\" range=\"1.5;100000.4\"/>") << "0..100000";
}

void TestNumericBuilders::integerRangesClampToInt()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, range);

    QVERIFY(read(element));
    QWidget *widget = find<QWidget>(QStringLiteral("E"));
    QVERIFY(widget);
    QString shown;
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        shown = bounds(spin->minimum(), spin->maximum());
    else if (auto *slider = qobject_cast<QSlider *>(widget))
        shown = bounds(slider->minimum(), slider->maximum());
    else if (auto *knob = qobject_cast<Knob *>(widget))
        shown = bounds(knob->lowerBound(), knob->upperBound());
    QCOMPARE(shown, range);
    QCOMPARE(xmlLines(), QStringList());
}

void TestNumericBuilders::demoPanelShowsEveryKind()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fx->clearPanelState();
    const QString file = QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml");
    fx->panel.setXMLFile(file);
    QFile device(file);
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Text));
    PanelXmlReader reader(&fx->panel, fx->options);
    QVERIFY(reader.readXml(&device));
    // Signed: no "manipulated" warning.
    QCOMPARE(transcript(), QStringList());
    QVERIFY(qobject_cast<Slider *>(find<QWidget>(QStringLiteral("DEMO_LEVEL"))));
    QVERIFY(qobject_cast<Knob *>(find<QWidget>(QStringLiteral("DEMO_GAIN"))));
    QVERIFY(qobject_cast<DoubleSpinBox *>(find<QWidget>(QStringLiteral("DEMO_COEFF"))));
    QVERIFY(qobject_cast<HexSpinBox *>(find<QWidget>(QStringLiteral("DEMO_CHANNELS"))));
    for (const char *define : {"DEMO_LEVEL", "DEMO_GAIN", "DEMO_COEFF", "DEMO_CHANNELS"})
        QVERIFY2(fx->panel.getActiveElement(QString::fromLatin1(define)), define);
    QCOMPARE(fx->panel.registries().dialsByData.value(QStringLiteral("DEMO_LEVEL")).size(), 1);
    QCOMPARE(xmlLines().filter(QStringLiteral("DEMO_")), QStringList());
}

QTEST_MAIN(TestNumericBuilders)
#include "tst_numericbuilders.moc"
