// Feeds a plot of 8 curves from a worker thread and measures what the GUI
// thread pays for it, with the plot's replot coalescing on and off.
//
//   bench_plotfeed [coalesced|per-sample|both] [seconds] [rate-hz]
//                                         (default: both 10 1000)
//
// The panel is read from panel XML by the real reader: one plot (maxX 2000,
// grid, legend) with 8 curves fed by 8 target variables. The variables live
// in a worker thread that sets each of them rate times a second, as the
// polling thread does; their signals reach the panel's curve refresh queued
// on the GUI thread. Once a second the program prints the GUI thread's CPU
// share over that second (getrusage RUSAGE_THREAD), the process' resident
// memory, the samples delivered and the replots and canvas repaints so far.
// After the feed it waits for the last queued sample and prints the totals.
//
// BENCH_PLOT_SCROLL=1 uses scroll mode (oszi) instead of sweep mode.
#include "dataclass.h"
#include "errorreporter.h"
#include "floatseriesdata.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "panelshell.h"
#include "panelxmlreader.h"
#include "prompt.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

constexpr int curveCount = 8;
constexpr int capacity = 2000;

// A window stand-in that shows the panel in a plain top-level widget.
class BenchShell final : public PanelShell
{
public:
    BenchShell()
    {
        m_window.resize(1000, 700);
        new QVBoxLayout(&m_window);
    }
    void showPanelWidget(QWidget *widget) override
    {
        delete m_panelWidget.data();
        m_panelWidget = widget;
        m_window.layout()->addWidget(widget);
        m_window.show();
    }
    QWidget *dialogParent() override { return &m_window; }
    bool isRecording() const override { return false; }
    void recordScriptLine(const QString &, const QString &) override {}
    QString runningScriptFile() const override { return QString(); }
    void setProjectModified() override {}
    void cancelHighlight() override {}
    void loadFile(const QString &) override {}
    void runScript(const QString &) override {}
    void startProgram(const QString &) override {}
    void sendUSB(const QString &) override {}
    void recData(const QString &) override {}

private:
    QWidget m_window;
    QPointer<QWidget> m_panelWidget;
};

QByteArray panelXml(bool scroll)
{
    QByteArray curves;
    for (int i = 0; i < curveCount; ++i) {
        curves += QStringLiteral("<curve label=\"Channel %1\" color=\"%2;%3;200\" width=\"1\" data=\"VAR%1\"/>")
                      .arg(i)
                      .arg(30 * i)
                      .arg(255 - 30 * i)
                      .toUtf8();
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
           "<checksum>" + QByteArray(64, '0') + "</checksum>\n"
           "<verticalcontainer>\n<plot define=\"PLOT\" maxX=\"" + QByteArray::number(capacity)
        + "\" minY=\"0\" maxY=\"1000\" grid=\"3\" xLabel=\"Sample\" yLabel=\"Value\" oszi=\""
        + (scroll ? "1" : "0") + "\">" + curves + "</plot>\n</verticalcontainer>\n</zelmlcfg>\n";
}

// CPU time of the calling thread in seconds.
double threadCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Resident memory of the process in MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return double(fields.at(1).toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Counts the repaints of the plot canvas.
class PaintCounter final : public QObject
{
public:
    using QObject::QObject;
    quint64 paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct RunResult {
    double cpuShare = 0;     // GUI thread, over the feed
    double rssAtCapacity = 0; // MiB, once every curve is full
    double rssAtEnd = 0;
    quint64 replots = 0;
    quint64 paints = 0;
    bool complete = false;
};

RunResult runFeed(bool coalesce, int seconds, int rate, bool scroll)
{
    RunResult result;
    BenchShell shell;
    Panel panel(&shell);
    QByteArray xml = panelXml(scroll);
    QBuffer device(&xml);
    device.open(QIODevice::ReadOnly);
    PanelXmlReader reader(&panel);
    if (!reader.readXml(&device)) {
        std::fprintf(stderr, "bench_plotfeed: the panel did not read\n");
        return result;
    }
    auto *plot = qobject_cast<MyQwtPlot *>(panel.registries().plotsByName.value(QStringLiteral("PLOT")));
    if (!plot) {
        std::fprintf(stderr, "bench_plotfeed: no plot\n");
        return result;
    }
    plot->setReplotCoalescing(coalesce);
    PaintCounter paints;
    plot->canvas()->installEventFilter(&paints);
    QList<FloatSeriesData *> series;
    for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve))
        series << MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(item));

    // The variables belong to the panel, on the GUI thread, as the var
    // builder makes them; the worker only sets them, as the polling thread
    // does, so their signals cross to the GUI thread queued.
    QList<DataClass *> variables;
    for (int i = 0; i < curveCount; ++i) {
        auto *variable = new DataClass(QStringLiteral("VAR%1").arg(i));
        panel.setDataClass(variable->objectName(), variable);
        panel.wiring().connectVariableToCurves(variable);
        variables << variable;
    }
    // Let the window show and settle before the clock starts.
    {
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
    }

    const quint64 total = quint64(seconds) * quint64(rate);
    std::atomic<bool> stop{false};
    std::unique_ptr<QThread> worker(QThread::create([&variables, &stop, total, rate] {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::nanoseconds(1000000000LL / rate);
        auto next = Clock::now();
        for (quint64 n = 0; n < total && !stop.load(); ++n) {
            const double t = double(n) / double(rate);
            for (int i = 0; i < variables.size(); ++i)
                variables.at(i)->setValue(uint(500.0 + 400.0 * std::sin(6.2831853 * (0.5 + 0.25 * i) * t + i)));
            next += period;
            std::this_thread::sleep_until(next);
        }
    }));

    std::printf("\n%s, %s mode, %d curves at %d Hz for %d s (capacity %d)\n",
                coalesce ? "coalesced replots" : "one replot per sample", scroll ? "scroll" : "sweep",
                curveCount, rate, seconds, capacity);
    std::printf("%6s %8s %9s %12s %9s %9s\n", "time s", "GUI CPU%", "RSS MiB", "samples", "replots", "repaints");
    QElapsedTimer clock;
    double lastCpu = threadCpuSeconds();
    const double startCpu = lastCpu;
    qint64 lastMs = 0;
    QTimer report;
    report.setInterval(1000);
    QObject::connect(&report, &QTimer::timeout, [&] {
        const double cpu = threadCpuSeconds();
        const qint64 ms = clock.elapsed();
        const double share = 100.0 * (cpu - lastCpu) / (double(ms - lastMs) / 1000.0);
        lastCpu = cpu;
        lastMs = ms;
        const quint32 delivered = series.first()->sampleCount();
        const double rss = residentMiB();
        if (result.rssAtCapacity == 0 && delivered >= quint32(capacity))
            result.rssAtCapacity = rss;
        std::printf("%6.1f %8.1f %9.1f %12u %9llu %9llu\n", double(ms) / 1000.0, share, rss,
                    delivered * uint(curveCount), static_cast<unsigned long long>(plot->replotCount()),
                    static_cast<unsigned long long>(paints.paints));
        std::fflush(stdout);
    });
    clock.start();
    report.start();
    worker->start();

    // Until the last queued sample has reached every curve (or far too late).
    const qint64 limit = qint64(seconds) * 1000 * 3 + 5000;
    auto allDelivered = [&] {
        for (const FloatSeriesData *s : series) {
            if (s->sampleCount() < total)
                return false;
        }
        return true;
    };
    {
        // The GUI thread runs its event loop as the program's does; a timer
        // looks for the end now and then.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (allDelivered() || clock.elapsed() >= limit)
                loop.quit();
        });
        check.start(20);
        loop.exec();
    }
    const double feedSeconds = double(clock.elapsed()) / 1000.0;
    result.cpuShare = 100.0 * (threadCpuSeconds() - startCpu) / feedSeconds;
    report.stop();
    stop = true;
    worker->wait();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    result.complete = allDelivered();
    result.rssAtEnd = residentMiB();
    result.replots = plot->replotCount();
    result.paints = paints.paints;
    std::printf("total: GUI thread %.1f %% of one core over %.1f s; RSS %.1f MiB at capacity, %.1f MiB at the "
                "end; %llu replots, %llu repaints for %llu samples%s\n",
                result.cpuShare, feedSeconds, result.rssAtCapacity, result.rssAtEnd,
                static_cast<unsigned long long>(result.replots), static_cast<unsigned long long>(result.paints),
                static_cast<unsigned long long>(total * curveCount), result.complete ? "" : " (INCOMPLETE)");
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLMATE_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    ErrorReporter::instance().setReportToMessageBox(false);
    ErrorReporter::instance().setReportToConsole(false);

    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("both");
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10;
    const int rate = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 1000;
    if ((mode != QLatin1String("both") && mode != QLatin1String("coalesced") && mode != QLatin1String("per-sample"))
        || seconds < 1 || rate < 1 || rate > 100000) {
        std::fprintf(stderr, "usage: bench_plotfeed [coalesced|per-sample|both] [seconds] [rate-hz]\n");
        return 1;
    }
    const bool scroll = qEnvironmentVariableIntValue("BENCH_PLOT_SCROLL") != 0;

    bool complete = true;
    if (mode != QLatin1String("per-sample"))
        complete = runFeed(true, seconds, rate, scroll).complete && complete;
    if (mode != QLatin1String("coalesced"))
        complete = runFeed(false, seconds, rate, scroll).complete && complete;
    return complete ? 0 : 2;
}
