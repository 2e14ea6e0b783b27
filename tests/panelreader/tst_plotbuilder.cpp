// The plot and thermometer builders against small panels of our own: their
// attributes, defaults and console lines, and what a read panel does with
// new values and the plot keys of setDef.

#include "readerfixture.h"
#include "activeelement.h"
#include "errorreporter.h"
#include "floatseriesdata.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "timescaledraw.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_widget.h>
#include <qwt_thermo.h>

#include <memory>

namespace {

QString interval(const QwtPlot *plot, int axis)
{
    const QwtScaleDiv &div = plot->axisScaleDiv(axis);
    return QStringLiteral("%1..%2").arg(div.lowerBound()).arg(div.upperBound());
}

QList<QwtPlotCurve *> curvesOf(const QwtPlot *plot)
{
    QList<QwtPlotCurve *> curves;
    for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve))
        curves << static_cast<QwtPlotCurve *>(item);
    return curves;
}

QwtPlotGrid *gridOf(const QwtPlot *plot)
{
    const QwtPlotItemList grids = plot->itemList(QwtPlotItem::Rtti_PlotGrid);
    return grids.isEmpty() ? nullptr : static_cast<QwtPlotGrid *>(grids.first());
}

} // namespace

class TestPlotBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void plotWithoutAttributes();
    void plotAttributesAndCurves();
    void grid_data();
    void grid();
    void curveCapacityFollowsMaxX_data();
    void curveCapacityFollowsMaxX();
    void consoleLines_data();
    void consoleLines();
    void thermometers_data();
    void thermometers();
    void readPanelRefreshesItsDisplays();
    void plotKeysOfSetDef();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    bool read(const QByteArray &elements);
    template <class T>
    T *find(const QString &name) const
    {
        return fx->root() ? fx->root()->findChild<T *>(name) : nullptr;
    }
    QStringList xmlLines() const;

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestPlotBuilder::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestPlotBuilder::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
    fx->env.installPrompt({});
}

void TestPlotBuilder::cleanupTestCase()
{
    fx.reset();
}

bool TestPlotBuilder::read(const QByteArray &elements)
{
    return fx->readPanelFile(path("panel.xml"), verticalPanelText(QString::fromUtf8(elements)));
}

QStringList TestPlotBuilder::xmlLines() const
{
    return fx->xmlLines();
}

// ---------------------------------------------------------------------------
// Plot

void TestPlotBuilder::plotWithoutAttributes()
{
    QVERIFY(read("<plot define=\"P\"/>"));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    QCOMPARE(fx->panel.registries().plotsByName.value(QStringLiteral("P")), plot);
    plot->replot();
    QCOMPARE(interval(plot, QwtPlot::xBottom), QStringLiteral("0..1000"));
    QCOMPARE(interval(plot, QwtPlot::yLeft), QStringLiteral("0..1000"));
    QCOMPARE(plot->maxX, 1000u);
    QCOMPARE(plot->presetMaxY(), 1000.0f);
    QVERIFY(!plot->autoScaleMinY);
    QVERIFY(!plot->autoScaleMaxY);
    QCOMPARE(plot->curveMask, 0xffffu);
    QVERIFY(plot->axisEnabled(QwtPlot::xBottom));
    QVERIFY(!gridOf(plot));
    QVERIFY(!plot->legend());
    QVERIFY(curvesOf(plot).isEmpty());
    TimeScaleDraw *timeScale = plot->timeScaleDraw();
    QVERIFY(timeScale);
    QCOMPARE(timeScale->offset(), 0.0);
    QCOMPARE(timeScale->xFactor(), 1.0);
    QCOMPARE(timeScale->xScaleFormat(), quint16(0));
    // Only attributes that are present are kept.
    QVERIFY(!plot->property("maxX").isValid());
    QVERIFY(!plot->property("data").isValid());
    QCOMPARE(xmlLines(), QStringList());
}

void TestPlotBuilder::plotAttributesAndCurves()
{
    QVERIFY(read("<plot define=\"P\" oszi=\"1\" history=\"0\" xScaleFormat=\"1\" xLabel=\"Time\" yLabel=\"Volt\" "
                 "minX=\"10\" maxX=\"500\" minY=\"-1.5\" maxY=\"9.5\" autoScaleMinY=\"1\" autoScaleMaxY=\"0\" "
                 "xFactor=\"0.5\">"
                 "<curve label=\"A\" width=\"259\" color=\"255;0;0\" data=\"SPEED\"/>"
                 "<curve label=\"B\" width=\"7\" data=\"LEVEL\">text</curve>"
                 "<bogus><curve data=\"INSIDE\"/></bogus>"
                 "<curve/>"
                 "</plot>"));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    plot->replot();

    // The strip shows its x label below and no x axis.
    QVERIFY(!plot->axisEnabled(QwtPlot::xBottom));
    QCOMPARE(plot->footer().text(), QStringLiteral("Time"));
    QCOMPARE(plot->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time"));
    const QwtText yTitle = plot->axisTitle(QwtPlot::yLeft);
    QCOMPARE(yTitle.text(), QStringLiteral("Volt"));
    QCOMPARE(yTitle.font().family(), QStringLiteral("Helvetica"));
    QCOMPARE(yTitle.font().pointSize(), 12);
    QCOMPARE(yTitle.font().weight(), int(QFont::Normal));

    QCOMPARE(interval(plot, QwtPlot::xBottom), QStringLiteral("10..500"));
    QCOMPARE(interval(plot, QwtPlot::yLeft), QStringLiteral("-1.5..9.5"));
    QCOMPARE(plot->presetMinX(), 10u);
    QCOMPARE(plot->presetMaxX(), 500u);
    QCOMPARE(plot->presetMinY(), -1.5f);
    QCOMPARE(plot->minY, -1.5f);
    QCOMPARE(plot->maxY, 9.5f);
    QVERIFY(plot->autoScaleMinY);
    QVERIFY(!plot->autoScaleMaxY);
    QCOMPARE(plot->timeScaleDraw()->xFactor(), 0.5);
    QCOMPARE(plot->timeScaleDraw()->xScaleFormat(), quint16(1));
    QCOMPARE(plot->property("xFactor").toString(), QStringLiteral("0.5"));
    QCOMPARE(plot->property("oszi").toString(), QStringLiteral("1"));
    QVERIFY(!plot->property("grid").isValid());

    // The unknown child and the curve inside it are skipped.
    const QList<QwtPlotCurve *> curves = curvesOf(plot);
    QCOMPARE(curves.size(), 3);
    QCOMPARE(plot->property("data").toStringList(), (QStringList{"SPEED", "LEVEL", ""}));
    QCOMPARE(fx->panel.registries().curvesByData.value(QStringLiteral("SPEED")), QList<QwtPlotCurve *>{curves.at(0)});
    QCOMPARE(fx->panel.registries().curvesByData.value(QStringLiteral("LEVEL")), QList<QwtPlotCurve *>{curves.at(1)});
    QCOMPARE(fx->panel.registries().curvesByData.size(), 2);
    QCOMPARE(curves.at(0)->title().text(), QStringLiteral("A"));
    QCOMPARE(curves.at(0)->pen().color(), QColor(255, 0, 0));
    QCOMPARE(curves.at(0)->pen().widthF(), 3.0); // the low 8 bits of 259
    // Without a colour the width does nothing.
    QCOMPARE(curves.at(1)->pen(), QwtPlotCurve().pen());
    QVERIFY(curves.at(2)->title().isEmpty());
    // Labelled curves share one legend.
    QVERIFY(qobject_cast<QwtLegend *>(plot->legend()));
    QCOMPARE(plot->findChildren<QwtLegend *>().size(), 1);
    for (QwtPlotCurve *curve : curves) {
        FloatSeriesData *series = MyQwtPlot::seriesOf(curve);
        QVERIFY(series);
        QCOMPARE(series->capacity(), 500);
        QVERIFY(series->oszi());
        QVERIFY(!series->history());
    }
    QCOMPARE(xmlLines(), QStringList());
}

void TestPlotBuilder::grid_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("hasGrid");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("both") << "3" << true << true << true;
    QTest::newRow("vertical lines") << "1" << true << true << false;
    QTest::newRow("horizontal lines") << "2" << true << false << true;
    QTest::newRow("none") << "0" << false << false << false;
    QTest::newRow("no number") << "many" << false << false << false;
}

void TestPlotBuilder::grid()
{
    QFETCH(QString, mask);
    QFETCH(bool, hasGrid);
    QFETCH(bool, vertical);
    QFETCH(bool, horizontal);
    QVERIFY(read(QStringLiteral("<plot define=\"P\" grid=\"%1\"/>").arg(mask).toUtf8()));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    QwtPlotGrid *grid = gridOf(plot);
    QCOMPARE(grid != nullptr, hasGrid);
    if (grid) {
        QCOMPARE(grid->xEnabled(), vertical);
        QCOMPARE(grid->yEnabled(), horizontal);
    }
    QCOMPARE(plot->property("grid").toString(), mask);
}

void TestPlotBuilder::curveCapacityFollowsMaxX_data()
{
    QTest::addColumn<QString>("maxX");
    QTest::addColumn<QString>("axis");
    QTest::addColumn<int>("capacity");
    QTest::newRow("ordinary") << "250" << "0..250" << 250;
    QTest::newRow("beyond the buffer") << "99999" << "0..99999" << 20000;
    QTest::newRow("zero") << "0" << "0..0" << 1;
    QTest::newRow("no number") << "wide" << "0..0" << 1;
    QTest::newRow("negative") << "-5" << "0..0" << 1;
}

void TestPlotBuilder::curveCapacityFollowsMaxX()
{
    QFETCH(QString, maxX);
    QFETCH(QString, axis);
    QFETCH(int, capacity);
    QVERIFY(read(QStringLiteral("<plot define=\"P\" maxX=\"%1\"><curve data=\"SRC\"/></plot>").arg(maxX).toUtf8()));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    plot->replot();
    QCOMPARE(interval(plot, QwtPlot::xBottom), axis);
    FloatSeriesData *series = MyQwtPlot::seriesOf(curvesOf(plot).value(0));
    QVERIFY(series);
    QCOMPARE(series->capacity(), capacity);
    QCOMPARE(plot->property("maxX").toString(), maxX);
    QCOMPARE(xmlLines(), QStringList());
}

void TestPlotBuilder::consoleLines_data()
{
    QTest::addColumn<QByteArray>("elements");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("numbers that are none") << QByteArray("<plot define=\"P\" minY=\"x\" maxY=\"\" xFactor=\"?\"/>")
                                           << QStringList();
    QTest::newRow("curve colour") << QByteArray("<plot define=\"P\"><curve color=\"255;0\" data=\"A\"/></plot>")
                                  << QStringList{"XML Warning: \"color\" attribute invalid."};
    QTest::newRow("plot size policy")
        << QByteArray("<plot define=\"P\" sizepolicy=\"wide\"/>")
        << QStringList{"XML Warning: \"sizepolicy\" attribute invalid. P"};
    QTest::newRow("duplicate define")
        << QByteArray("<spinbox define=\"P\"/><plot define=\"P\"/><thermo define=\"P\"/>")
        << QStringList{"XML Error: Duplicate define P", "XML Error: Duplicate define P"};
}

void TestPlotBuilder::consoleLines()
{
    QFETCH(QByteArray, elements);
    QFETCH(QStringList, lines);
    QVERIFY(read(elements));
    QCOMPARE(xmlLines(), lines);
    // The element is built all the same.
    QVERIFY(fx->panel.registries().plotsByName.value(QStringLiteral("P")));
}

// ---------------------------------------------------------------------------
// Thermometer

void TestPlotBuilder::thermometers_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<double>("alarmLevel");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("source");
    QTest::newRow("defaults") << QByteArray("<thermo define=\"T\"/>") << "0..100" << 30.0 << int(Qt::Vertical)
                              << "";
    QTest::newRow("literals") << QByteArray("<thermo define=\"T\" min=\"0x10\" max=\"(100u)\" data=\"TEMP\" "
                                            "alarmlevel=\"80\" orientation=\"1\"/>")
                              << "16..100" << 80.0 << int(Qt::Horizontal) << "TEMP";
    QTest::newRow("fraction and no number") << QByteArray("<thermo define=\"T\" min=\"abc\" max=\"99.9\" "
                                                          "orientation=\"1\"/>")
                                            << "0..99" << 30.0 << int(Qt::Horizontal) << "";
    QTest::newRow("orientation kept") << QByteArray("<thermo define=\"T\" orientation=\"7\" max=\"50\"/>")
                                      << "0..50" << 30.0 << int(Qt::Vertical) << "";
}

void TestPlotBuilder::thermometers()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, scale);
    QFETCH(double, alarmLevel);
    QFETCH(int, orientation);
    QFETCH(QString, source);
    QVERIFY(read(element));
    auto *thermo = qobject_cast<QwtThermo *>(fx->panel.registries().thermosByName.value(QStringLiteral("T")));
    QVERIFY(thermo);
    QCOMPARE(QStringLiteral("%1..%2").arg(thermo->lowerBound()).arg(thermo->upperBound()), scale);
    QCOMPARE(thermo->alarmLevel(), alarmLevel);
    QCOMPARE(int(thermo->orientation()), orientation);
    QCOMPARE(thermo->scalePosition(), QwtThermo::LeadingScale);
    QCOMPARE(thermo->property("data").toString(), source);
    if (source.isEmpty())
        QVERIFY(fx->panel.registries().thermosByData.isEmpty());
    else
        QCOMPARE(fx->panel.registries().thermosByData.value(source), QList<QwtThermo *>{thermo});
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("T")));
    QCOMPARE(xmlLines(), QStringList());
}

// ---------------------------------------------------------------------------
// A read panel at work

void TestPlotBuilder::readPanelRefreshesItsDisplays()
{
    QVERIFY(read("<spinbox define=\"SPEED\" range=\"-100;100\"/>"
                 "<thermo define=\"T\" max=\"200\" data=\"SPEED\" normalcolor=\"0;0;255\" alarmcolor=\"255;0;0\"/>"
                 "<plot define=\"P\" maxX=\"3\" maxY=\"10\" autoScaleMinY=\"1\" autoScaleMaxY=\"1\">"
                 "<curve data=\"SPEED\"/></plot>"));
    auto *thermo = qobject_cast<QwtThermo *>(fx->panel.registries().thermosByName.value(QStringLiteral("T")));
    QVERIFY(thermo);
    QCOMPARE(thermo->palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(0, 0, 255));
    QCOMPARE(thermo->palette().color(QPalette::Active, QPalette::Highlight), QColor(255, 0, 0));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    FloatSeriesData *series = MyQwtPlot::seriesOf(curvesOf(plot).value(0));
    QVERIFY(series);
    ActiveElement *speed = fx->panel.getActiveElement(QStringLiteral("SPEED"));
    QVERIFY(speed);

    for (const char *value : {"40", "-7", "12"})
        speed->setValue(QString::fromLatin1(value), 0);
    QCOMPARE(thermo->value(), 12.0);
    QCOMPARE(series->sampleCount(), 3u);
    QCOMPARE(plot->timeScaleDraw()->offset(), 3.0);
    QCOMPARE(plot->maxY, 40.0f);
    QCOMPARE(plot->minY, -7.0f);
    QCOMPARE(series->value(0), 40.0f);
}

void TestPlotBuilder::plotKeysOfSetDef()
{
    QVERIFY(read("<plot define=\"P\" minX=\"5\" maxX=\"100\" minY=\"-2\" maxY=\"8\" history=\"1\">"
                 "<curve data=\"A\"/><curve data=\"B\"/></plot>"));
    auto *plot = find<MyQwtPlot>(QStringLiteral("P"));
    QVERIFY(plot);
    const QList<QwtPlotCurve *> curves = curvesOf(plot);
    for (QwtPlotCurve *curve : curves) {
        for (int i = 0; i < 150; ++i)
            MyQwtPlot::seriesOf(curve)->append(float(i));
    }
    plot->setTimeBase(100);

    fx->panel.setDef(QStringLiteral("P.maxX=30000;P.maxY=50"));
    for (QwtPlotCurve *curve : curves)
        QCOMPARE(MyQwtPlot::seriesOf(curve)->capacity(), 20000);
    QCOMPARE(interval(plot, QwtPlot::xBottom), QStringLiteral("5..30000"));
    fx->panel.setDef(QStringLiteral("P.maxX=40"));
    for (QwtPlotCurve *curve : curves) {
        QCOMPARE(MyQwtPlot::seriesOf(curve)->capacity(), 40);
        QCOMPARE(MyQwtPlot::seriesOf(curve)->size(), size_t(40));
    }

    fx->panel.setDef(QStringLiteral("P.reset=1"));
    for (QwtPlotCurve *curve : curves) {
        FloatSeriesData *series = MyQwtPlot::seriesOf(curve);
        QCOMPARE(series->capacity(), 100);
        QCOMPARE(series->size(), size_t(0));
        QCOMPARE(series->sampleCount(), 0u);
    }
    QCOMPARE(plot->timeScaleDraw()->offset(), 0.0);
    QCOMPARE(interval(plot, QwtPlot::xBottom), QStringLiteral("5..100"));
    QCOMPARE(interval(plot, QwtPlot::yLeft), QStringLiteral("-2..8"));
    QCOMPARE(plot->maxY, 8.0f);
    QCOMPARE(fx->transcript(), QStringList());
}

QTEST_MAIN(TestPlotBuilder)
#include "tst_plotbuilder.moc"
