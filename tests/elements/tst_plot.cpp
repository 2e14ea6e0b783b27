// Plot curves: the sample store, the plot's reset and curve visibility, the
// time axis labels, and the display refresh of curves, dials and
// thermometers on a panel with a test shell in place of the window.

#include "dataclass.h"
#include "fakeelement.h"
#include "floatseriesdata.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "testshell.h"
#include "timescaledraw.h"

#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_thermo.h>

#include <memory>

namespace {

// The first n slots of a series.
QList<float> slotValues(const FloatSeriesData &series, int n)
{
    QList<float> values;
    for (int i = 0; i < n; ++i)
        values << series.value(i);
    return values;
}

// The points the curve draws, as y values.
QList<float> drawn(const FloatSeriesData &series)
{
    QList<float> values;
    for (size_t i = 0; i < series.size(); ++i) {
        const QPointF point = series.sample(i);
        if (point.x() != double(i))
            return {};
        values << float(point.y());
    }
    return values;
}

void appendRange(FloatSeriesData &series, int from, int to)
{
    for (int value = from; value <= to; ++value)
        series.append(float(value));
}

// A curve with its own sample store, attached to the plot.
FloatSeriesData *addCurve(MyQwtPlot *plot, int capacity, bool scrolling = false, bool keepHistory = true)
{
    auto *series = new FloatSeriesData(capacity, scrolling, keepHistory);
    auto *curve = new QwtPlotCurve;
    curve->setSamples(series);
    curve->attach(plot);
    return series;
}

QString interval(const MyQwtPlot *plot, int axis)
{
    const QwtScaleDiv &div = plot->axisScaleDiv(axis);
    return QStringLiteral("%1..%2").arg(div.lowerBound()).arg(div.upperBound());
}

} // namespace

class TestPlot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // FloatSeriesData
    void sweepWrapsToTheLeftEdge();
    void scrollDropsTheOldestSample();
    void clearSamplesKeepsTheRunningNumber();
    void capacityIsClampedToTheBuffer_data();
    void capacityIsClampedToTheBuffer();
    void smallerCapacityKeepsIndexesInside();

    // MyQwtPlot
    void resetRestoresPresetsAndEmptiesCurves();
    void resetClampsTheCapacity();
    void curveVisibilityTakesOneBitPerCurve();
    void replotRequestsAreCoalesced();

    // TimeScaleDraw
    void timeLabels_data();
    void timeLabels();

    // Display refresh
    void sweepCompleteMovesTheTimeAxis_data();
    void sweepCompleteMovesTheTimeAxis();
    void automaticYScaleOnlyWidens();
    void curveTakesVariableAndElementValues();
    void gaugesShowTheWholeValue_data();
    void gaugesShowTheWholeValue();
    void workerThreadSamplesArriveInOrder();

private:
    // A plot registered with the panel, its presets set as the reader sets them.
    MyQwtPlot *makePlot(quint32 maxX, float minY = 0.0f, float maxY = 1000.0f);

    std::unique_ptr<TestShell> shell;
    std::unique_ptr<Panel> panel;
    std::unique_ptr<QWidget> window;
};

void TestPlot::init()
{
    shell = std::make_unique<TestShell>();
    panel = std::make_unique<Panel>(shell.get());
    window = std::make_unique<QWidget>();
}

void TestPlot::cleanup()
{
    window.reset();
    panel.reset();
    shell.reset();
}

MyQwtPlot *TestPlot::makePlot(quint32 maxX, float minY, float maxY)
{
    auto *plot = new MyQwtPlot(window.get());
    plot->setObjectName(QStringLiteral("PLOT"));
    plot->setPresetRanges(0, maxX, minY, maxY);
    plot->setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDraw);
    panel->setPlot(QStringLiteral("PLOT"), plot);
    return plot;
}

// ---------------------------------------------------------------------------
// FloatSeriesData

void TestPlot::sweepWrapsToTheLeftEdge()
{
    FloatSeriesData series(5);
    QVERIFY(!series.oszi());
    QVERIFY(series.history());
    appendRange(series, 1, 7);
    QCOMPARE(series.size(), size_t(5));
    QCOMPARE(slotValues(series, 5), (QList<float>{6, 7, 3, 4, 5}));
    QCOMPARE(drawn(series), (QList<float>{6, 7, 3, 4, 5}));
    QCOMPARE(series.writeIndex(), 2);
    QCOMPARE(series.sampleCount(), 7u);
}

void TestPlot::scrollDropsTheOldestSample()
{
    FloatSeriesData series(3, true);
    appendRange(series, 1, 5);
    QCOMPARE(drawn(series), (QList<float>{3, 4, 5}));
    QCOMPARE(series.writeIndex(), 3);
    QCOMPARE(series.sampleCount(), 5u);

    // Many times round: still the newest samples, oldest first.
    appendRange(series, 6, 1000);
    QCOMPARE(drawn(series), (QList<float>{998, 999, 1000}));
    QCOMPARE(series.sampleCount(), 1000u);

    // A new strip starts at the left again.
    series.clearSamples();
    appendRange(series, 1, 2);
    QCOMPARE(drawn(series), (QList<float>{1, 2}));
}

void TestPlot::clearSamplesKeepsTheRunningNumber()
{
    FloatSeriesData series(5);
    const QRectF emptyRect = series.boundingRect();
    appendRange(series, 1, 7);
    QCOMPARE(series.boundingRect(), emptyRect);
    QCOMPARE(emptyRect, QRectF(0, 0, 400, 860));

    series.clearSamples();
    QCOMPARE(series.size(), size_t(0));
    QCOMPARE(series.writeIndex(), 0);
    QCOMPARE(series.sampleCount(), 7u);
    QCOMPARE(slotValues(series, 5), (QList<float>{0, 0, 0, 0, 0}));
    series.append(9);
    QCOMPARE(drawn(series), QList<float>{9});

    series.clear();
    QCOMPARE(series.size(), size_t(0));
    QCOMPARE(series.sampleCount(), 0u);
    QCOMPARE(series.value(0), 0.0f);
}

void TestPlot::capacityIsClampedToTheBuffer_data()
{
    QTest::addColumn<qint64>("requested");
    QTest::addColumn<int>("capacity");
    QTest::newRow("zero") << qint64(0) << 1;
    QTest::newRow("negative") << qint64(-5) << 1;
    QTest::newRow("ordinary") << qint64(500) << 500;
    QTest::newRow("whole buffer") << qint64(20000) << 20000;
    QTest::newRow("one beyond") << qint64(20001) << 20000;
    QTest::newRow("huge") << qint64(1) << 20000; // replaced by 2^40 below
}

void TestPlot::capacityIsClampedToTheBuffer()
{
    QFETCH(qint64, requested);
    QFETCH(int, capacity);
    if (QByteArray(QTest::currentDataTag()) == "huge")
        requested = qint64(1) << 40;

    QCOMPARE(FloatSeriesData::clampedCapacity(requested), capacity);
    for (const bool scrolling : {false, true}) {
        FloatSeriesData series(0, scrolling);
        series.setCapacity(requested);
        QCOMPARE(series.capacity(), capacity);
        // Past the end of the buffer: nothing is written beyond it, and the
        // newest sample is where the mode puts it.
        const int count = capacity + 3;
        appendRange(series, 1, count);
        QCOMPARE(series.size(), size_t(capacity));
        QVERIFY(series.writeIndex() <= capacity);
        const int newestSlot = scrolling ? capacity - 1 : (count - 1) % capacity;
        QCOMPARE(series.value(newestSlot), float(count));
    }
}

void TestPlot::smallerCapacityKeepsIndexesInside()
{
    FloatSeriesData sweep(10);
    appendRange(sweep, 1, 8);
    sweep.setCapacity(5);
    QCOMPARE(sweep.size(), size_t(5));
    QCOMPARE(sweep.writeIndex(), 0);
    sweep.append(9);
    QCOMPARE(drawn(sweep), (QList<float>{9, 2, 3, 4, 5}));

    // A scrolled strip keeps its newest samples, in order.
    FloatSeriesData strip(5, true);
    appendRange(strip, 1, 7);
    strip.setCapacity(3);
    QCOMPARE(drawn(strip), (QList<float>{5, 6, 7}));
    strip.append(8);
    QCOMPARE(drawn(strip), (QList<float>{6, 7, 8}));
    strip.setCapacity(6);
    strip.append(9);
    QCOMPARE(drawn(strip), (QList<float>{6, 7, 8, 9}));
}

// ---------------------------------------------------------------------------
// MyQwtPlot

void TestPlot::resetRestoresPresetsAndEmptiesCurves()
{
    MyQwtPlot *plot = makePlot(100, -1.0f, 8.0f);
    QList<FloatSeriesData *> series{addCurve(plot, 50), addCurve(plot, 50, true)};
    for (FloatSeriesData *s : series)
        appendRange(*s, 1, 70);
    // What setDef and the automatic scale change.
    plot->minY = -3.5f;
    plot->maxY = 11.0f;
    plot->minX = 10;
    plot->maxX = 400;

    plot->reset();
    plot->replot();
    for (FloatSeriesData *s : series) {
        QCOMPARE(s->size(), size_t(0));
        QCOMPARE(s->sampleCount(), 0u);
        QCOMPARE(s->writeIndex(), 0);
        QCOMPARE(s->capacity(), 100);
    }
    QCOMPARE(plot->minY, -1.0f);
    QCOMPARE(plot->maxY, 8.0f);
    QCOMPARE(plot->minX, 0u);
    QCOMPARE(plot->maxX, 100u);
    QCOMPARE(interval(plot, QwtPlot::xBottom), QStringLiteral("0..100"));
    QCOMPARE(interval(plot, QwtPlot::yLeft), QStringLiteral("-1..8"));
}

void TestPlot::resetClampsTheCapacity()
{
    for (const quint32 maxX : {0u, 20001u, 4000000000u}) {
        MyQwtPlot *plot = makePlot(maxX);
        FloatSeriesData *series = addCurve(plot, 10);
        plot->reset();
        QCOMPARE(series->capacity(), FloatSeriesData::clampedCapacity(maxX));
        appendRange(*series, 1, 25000);
        QVERIFY(series->size() <= size_t(FloatSeriesData::maxCapacity));
        delete plot;
    }
}

void TestPlot::curveVisibilityTakesOneBitPerCurve()
{
    MyQwtPlot *plot = makePlot(100);
    auto *grid = new QwtPlotGrid;
    grid->attach(plot);
    for (int i = 0; i < 33; ++i)
        addCurve(plot, 10);
    const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);

    plot->setCurveVisibility(5);
    QCOMPARE(plot->curveMask, 5u);
    QVERIFY(curves.at(0)->isVisible());
    QVERIFY(!curves.at(1)->isVisible());
    QVERIFY(curves.at(2)->isVisible());
    QVERIFY(grid->isVisible());
    // The 33rd curve takes bit 0 again.
    QVERIFY(curves.at(32)->isVisible());
    plot->setCurveVisibility(0x80000000u);
    QVERIFY(curves.at(31)->isVisible());
    QVERIFY(!curves.at(32)->isVisible());
    QVERIFY(!curves.at(0)->isVisible());
}

void TestPlot::replotRequestsAreCoalesced()
{
    MyQwtPlot *plot = makePlot(100);
    QVERIFY(plot->replotCoalescing());
    const quint64 before = plot->replotCount();
    for (int i = 0; i < 10; ++i)
        plot->requestReplot();
    QCOMPARE(plot->replotCount(), before);
    QTRY_COMPARE(plot->replotCount(), before + 1);
    // Nothing left pending: no second replot follows.
    QTest::qWait(3 * MyQwtPlot::replotInterval);
    QCOMPARE(plot->replotCount(), before + 1);

    // A replot made meanwhile serves the request.
    plot->requestReplot();
    plot->replot();
    QTest::qWait(3 * MyQwtPlot::replotInterval);
    QCOMPARE(plot->replotCount(), before + 2);

    plot->setReplotCoalescing(false);
    for (int i = 0; i < 10; ++i)
        plot->requestReplot();
    QCOMPARE(plot->replotCount(), before + 12);
}

// ---------------------------------------------------------------------------
// TimeScaleDraw

void TestPlot::timeLabels_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("mm:ss") << 1 << 0.0 << 1.0 << 75.0 << "01:15";
    QTest::newRow("mm:ss past an hour") << 1 << 0.0 << 1.0 << 3725.0 << "02:05";
    QTest::newRow("mm:ss fraction dropped") << 1 << 0.0 << 1.0 << 59.9 << "00:59";
    QTest::newRow("mm:ss with offset and factor") << 1 << 100.0 << 0.5 << 20.0 << "01:00";
    QTest::newRow("number with factor") << 0 << 0.0 << 0.5 << 7.0 << "3";
    QTest::newRow("number with offset") << 0 << 400.0 << 1.0 << 5.0 << "405";
    QTest::newRow("other format is a number") << 2 << 0.0 << 1.0 << 75.0 << "75";
    QTest::newRow("negative number") << 0 << 0.0 << 1.0 << -4.0 << "0";
}

void TestPlot::timeLabels()
{
    QFETCH(int, format);
    QFETCH(double, offset);
    QFETCH(double, factor);
    QFETCH(double, value);
    QFETCH(QString, label);
    TimeScaleDraw draw;
    QCOMPARE(draw.offset(), 0.0);
    QCOMPARE(draw.xFactor(), 1.0);
    QCOMPARE(draw.xScaleFormat(), quint16(0));
    draw.setXScaleFormat(quint16(format));
    draw.setOffset(offset);
    draw.setXFactor(factor);
    QCOMPARE(draw.label(value).text(), label);
}

// ---------------------------------------------------------------------------
// Display refresh

void TestPlot::sweepCompleteMovesTheTimeAxis_data()
{
    QTest::addColumn<bool>("history");
    QTest::newRow("history kept") << true;
    QTest::newRow("restart") << false;
}

void TestPlot::sweepCompleteMovesTheTimeAxis()
{
    QFETCH(bool, history);
    MyQwtPlot *plot = makePlot(4);
    FloatSeriesData *sweep = addCurve(plot, 4, false, history);
    QwtPlotCurve *sweepCurve = static_cast<QwtPlotCurve *>(plot->itemList(QwtPlotItem::Rtti_PlotCurve).last());
    FloatSeriesData *strip = addCurve(plot, 4, true, history);
    QwtPlotCurve *stripCurve = static_cast<QwtPlotCurve *>(plot->itemList(QwtPlotItem::Rtti_PlotCurve).last());
    DataClass variable(QStringLiteral("SPEED"));
    panel->addCurve(QStringLiteral("SPEED"), sweepCurve);
    panel->addCurve(QStringLiteral("SPEED"), stripCurve);
    panel->wiring().connectVariableToCurves(&variable);

    for (uint value = 1; value <= 3; ++value)
        variable.setValue(value);
    QCOMPARE(plot->timeScaleDraw()->offset(), 0.0);
    variable.setValue(4);
    QCOMPARE(plot->timeScaleDraw()->offset(), 4.0);
    QCOMPARE(drawn(*sweep), history ? (QList<float>{1, 2, 3, 4}) : QList<float>());
    QCOMPARE(sweep->sampleCount(), 4u);

    for (uint value = 5; value <= 7; ++value)
        variable.setValue(value);
    QCOMPARE(plot->timeScaleDraw()->offset(), 4.0);
    QCOMPARE(drawn(*sweep), history ? (QList<float>{5, 6, 7, 4}) : (QList<float>{5, 6, 7}));
    variable.setValue(8);
    QCOMPARE(plot->timeScaleDraw()->offset(), 8.0);
    // A strip is never cleared.
    QCOMPARE(drawn(*strip), (QList<float>{5, 6, 7, 8}));

    // Without maxX there is no sweep: the axis stays where it is.
    plot->maxX = 0;
    for (uint value = 9; value <= 16; ++value)
        variable.setValue(value);
    QCOMPARE(plot->timeScaleDraw()->offset(), 8.0);
}

void TestPlot::automaticYScaleOnlyWidens()
{
    MyQwtPlot *plot = makePlot(100, 0.0f, 8.0f);
    plot->setAxisScale(QwtPlot::yLeft, 0.0, 8.0);
    addCurve(plot, 100);
    panel->addCurve(QStringLiteral("LEVEL"), static_cast<QwtPlotCurve *>(plot->itemList().last()));
    FakeElement element(QStringLiteral("LEVEL"));
    connect(&element, &FakeElement::updateMathLabels, panel.get(), &Panel::on_updateCurve);
    auto feed = [&element](const QString &text) {
        element.values[0] = text;
        emit element.updateMathLabels();
    };

    // Off: the range stays.
    feed(QStringLiteral("10.2"));
    feed(QStringLiteral("-3.5"));
    QCOMPARE(plot->maxY, 8.0f);
    QCOMPARE(plot->minY, 0.0f);

    plot->autoScaleMinY = true;
    plot->autoScaleMaxY = true;
    feed(QStringLiteral("10.2"));
    QCOMPARE(plot->maxY, 11.0f);
    feed(QStringLiteral("-3.5"));
    QCOMPARE(plot->minY, -3.5f);
    // Inside the range: nothing moves back.
    feed(QStringLiteral("5"));
    QCOMPARE(plot->minY, -3.5f);
    QCOMPARE(plot->maxY, 11.0f);
    QTRY_COMPARE(interval(plot, QwtPlot::yLeft), QStringLiteral("-3.5..11"));
    // The presets stay for the reset.
    QCOMPARE(plot->presetMinY(), 0.0f);
    QCOMPARE(plot->presetMaxY(), 8.0f);
}

void TestPlot::curveTakesVariableAndElementValues()
{
    MyQwtPlot *plot = makePlot(100);
    FloatSeriesData *series = addCurve(plot, 100);
    auto *curve = static_cast<QwtPlotCurve *>(plot->itemList(QwtPlotItem::Rtti_PlotCurve).last());
    panel->addCurve(QStringLiteral("SRC"), curve);
    panel->addCurve(QStringLiteral("SRC"), nullptr); // a null entry is skipped
    DataClass variable(QStringLiteral("SRC"));
    panel->wiring().connectVariableToCurves(&variable);
    FakeElement element(QStringLiteral("SRC"));
    connect(&element, &FakeElement::updateMathLabels, panel.get(), &Panel::on_updateCurve);
    DataClass other(QStringLiteral("OTHER"));
    panel->wiring().connectVariableToCurves(&other);

    variable.setValue(4000000000u);
    element.values[0] = QStringLiteral("2.5");
    emit element.updateMathLabels();
    element.values[0] = QStringLiteral("abc");
    emit element.updateMathLabels();
    other.setValue(7);
    // Reached directly, not through a signal: no sender, nothing appended.
    panel->on_updateCurve();
    QCOMPARE(drawn(*series), (QList<float>{4e9f, 2.5f, 0.0f}));
}

void TestPlot::gaugesShowTheWholeValue_data()
{
    QTest::addColumn<bool>("fromVariable");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("shown");
    QTest::newRow("element 12.7") << false << "12.7" << 12.0;
    QTest::newRow("element no number") << false << "abc" << 0.0;
    QTest::newRow("element beyond 32 bits") << false << "1e12" << 4294967295.0;
    QTest::newRow("variable") << true << "3000000000" << 3000000000.0;
}

void TestPlot::gaugesShowTheWholeValue()
{
    QFETCH(bool, fromVariable);
    QFETCH(QString, text);
    QFETCH(double, shown);
    auto *dial = new QwtDial(window.get());
    dial->setScale(0.0, 5e9);
    dial->setValue(1.0);
    auto *thermo = new QwtThermo(window.get());
    thermo->setScale(0.0, 5e9);
    panel->addDial(QStringLiteral("GAUGE"), dial);
    panel->addThermo(QStringLiteral("GAUGE"), thermo);

    DataClass variable(QStringLiteral("GAUGE"));
    FakeElement element(QStringLiteral("GAUGE"));
    if (fromVariable) {
        panel->wiring().connectVariableToDials(&variable);
        panel->wiring().connectVariableToThermos(&variable);
        variable.setValue(text.toUInt());
    } else {
        connect(&element, &FakeElement::updateMathLabels, panel.get(), &Panel::on_updateDial);
        connect(&element, &FakeElement::updateMathLabels, panel.get(), &Panel::on_updateThermo);
        element.values[0] = text;
        emit element.updateMathLabels();
    }
    QCOMPARE(dial->value(), shown);
    QCOMPARE(thermo->value(), shown);

    // A sender that is neither a variable nor an element changes nothing.
    QObject stranger;
    stranger.setObjectName(QStringLiteral("GAUGE"));
    connect(&stranger, &QObject::objectNameChanged, panel.get(), &Panel::on_updateDial);
    stranger.setObjectName(QStringLiteral("GAUGE2"));
    QCOMPARE(dial->value(), shown);
}

// A variable polled in a worker thread, as the target link polls: each value
// is set and signalled there and reaches the curve through a queued
// connection. The worker sets the next value only once the GUI thread has
// taken the last one, so every sample is read exactly as it was set.
void TestPlot::workerThreadSamplesArriveInOrder()
{
    constexpr uint count = 200;
    MyQwtPlot *plot = makePlot(1000);
    FloatSeriesData *series = addCurve(plot, 1000);
    panel->addCurve(QStringLiteral("POLLED"), static_cast<QwtPlotCurve *>(plot->itemList().last()));

    QThread worker;
    auto *variable = new DataClass(QStringLiteral("POLLED"));
    variable->moveToThread(&worker);
    panel->wiring().connectVariableToCurves(variable);
    QSemaphore taken;
    // Queued after the panel's connection: runs once the refresh has run.
    connect(variable, &DataClass::updateLEDs, this, [&taken] { taken.release(); }, Qt::QueuedConnection);
    connect(&worker, &QThread::started, variable, [variable, &taken] {
        for (uint value = 1; value <= count; ++value) {
            variable->setValue(value);
            taken.acquire();
        }
    });
    connect(&worker, &QThread::finished, variable, &QObject::deleteLater);
    worker.start();
    QTRY_COMPARE(series->sampleCount(), count);
    worker.quit();
    QVERIFY(worker.wait(5000));

    QList<float> expected;
    for (uint value = 1; value <= count; ++value)
        expected << float(value);
    QCOMPARE(drawn(*series), expected);
}

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
