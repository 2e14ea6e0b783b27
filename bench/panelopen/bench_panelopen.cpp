// Measures opening a generated panel of N value elements against Qt's own
// XML-to-form loader building the same widgets, and the cost of header export
// and project save/load next to the open.
//
//   bench_panelopen [--check] [N ...]      (default: 500 2000 8000; with
//                                          --check 500 2000 8000 32000 128000)
//   bench_panelopen --checkboxes N [N ...]
//
// Per N it prints, in milliseconds: a bare XML pass; the form loader building
// the form ("QUiLoader") and building plus showing it until the event loop is
// idle ("ui+show"); the open (read and post-load set-up) in a window not shown
// yet, which like the form loader leaves the show for later ("open"), and the
// open in the shown window with its show until idle ("open+show"); the
// teardown of that shown panel ("teardown") and of the shown form
// ("ui-tear"), each timed on its own; header export, project save and
// project load (in the window not shown); and the ratios build/ui (open /
// QUiLoader), show/ui (open+show / ui+show), tear/ui (teardown / ui-tear),
// (export+save)/open and load/open. A second table gives the peak memory
// growth of the open and of the form loader's build, each measured in a
// child process of its own (forked before the timed rounds of that N), in
// KiB, and their ratio.
//
// --check then compares the figures with their bounds, prints each bound
// with "holds" or "MISSED", and exits 4 when one is missed:
//   build/ui and show/ui at most 1.0 (500 <= N <= 32000); tear/ui at most
//   1.0 and teardown t(4N)/t(N) at most 4.4 (2000 <= N <= 32000);
//   (export+save)/open at most 0.2 at every N and export+save t(4N)/t(N)
//   at most 4.4; peak memory of the open at most 1.15 times the form
//   loader's at N = 32000.
//
// --checkboxes N first compares the open of N check boxes in one container
// with the same N spread over containers of 40.
//
// BENCH_REPEATS=n runs each measurement n times (best of n, default 3) after
// a warm-up round on a small panel;
// BENCH_CPU=1 times with the main thread's processor time instead of the
// wall clock (steadier on a machine that other work keeps busy);
// BENCH_SPLIT=1 prints the read and the post-load part of every build, and the
// open and the event loop of every shown open;
// BENCH_SHOW_CONSOLE=1 prints the console after the open;
// BENCH_BUILD_ONLY=1 times only the two builds (for a profiler's run).
#include "benchtimer.h"
#include "errorreporter.h"
#include "eventloop.h"
#include "heaptuning.h"
#include "mainwindow.h"
#include "panelsigning.h"
#include "panelteardown.h"
#include "prompt.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextStream>
#include <QUiLoader>
#include <QXmlStreamReader>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

const int elementsPerGrid = 40;
const int gridsPerTab = 5;

// One element of the mix: a check box, a spin box or a hex spin box; every
// second element sits on a bit range of a register.
QString panelElement(int i)
{
    const QString define = (i % 2 == 0)
        ? QStringLiteral("REG%1.CTRL[%2:%2]").arg(i / elementsPerGrid).arg((i % elementsPerGrid) / 2)
        : QStringLiteral("PLAIN_%1").arg(i);
    switch (i % 3) {
    case 0:
        return QStringLiteral("<checkbox define=\"%1\" label=\"Option %2\" default=\"%3\"/>")
            .arg(define).arg(i).arg(i % 2);
    case 1:
        return QStringLiteral("<spinbox define=\"%1\" range=\"0;1\" default=\"1\"/>").arg(define);
    default:
        return QStringLiteral("<hexspinbox define=\"%1\" range=\"0x0;0x1\" default=\"0x0\"/>").arg(define);
    }
}

QString uiElement(int i)
{
    const char *cls = i % 3 == 0 ? "QCheckBox" : "QSpinBox";
    QString w = QStringLiteral("<item row=\"%1\" column=\"%2\"><widget class=\"%3\" name=\"e%4\">")
                    .arg((i % elementsPerGrid) / 4).arg(i % 4).arg(QLatin1String(cls)).arg(i);
    if (i % 3 == 0)
        w += QStringLiteral("<property name=\"text\"><string>Option %1</string></property>").arg(i);
    else
        w += QStringLiteral("<property name=\"maximum\"><number>1</number></property>");
    return w + QStringLiteral("</widget></item>");
}

struct Forms {
    QString panel;
    QByteArray ui;
};

Forms generate(int n)
{
    QString panel;
    QTextStream p(&panel);
    p << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
      << "<checksum>" << QString(64, QLatin1Char('0')) << "</checksum>\n"
      << "<version label=\"1.0.0\"/>\n<tabcontainer label=\"Bench\">\n";
    QString ui;
    QTextStream u(&ui);
    u << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\"><class>Bench</class>"
      << "<widget class=\"QTabWidget\" name=\"tabs\">";
    const int perTab = elementsPerGrid * gridsPerTab;
    for (int i = 0; i < n; ++i) {
        if (i % perTab == 0) {
            p << "<verticalcontainer label=\"Page " << i / perTab << "\">\n";
            u << "<widget class=\"QWidget\" name=\"page" << i / perTab << "\">"
              << "<attribute name=\"title\"><string>Page " << i / perTab << "</string></attribute>"
              << "<layout class=\"QVBoxLayout\" name=\"v" << i / perTab << "\">";
        }
        if (i % elementsPerGrid == 0) {
            p << "<header file=\"bench" << (i / elementsPerGrid) % 2 << ".h\"><gridcontainer columns=\"4\">\n";
            u << "<item><widget class=\"QWidget\" name=\"g" << i << "\"><layout class=\"QGridLayout\" name=\"gl"
              << i << "\">";
        }
        p << panelElement(i) << "\n";
        u << uiElement(i);
        const bool lastInGrid = i % elementsPerGrid == elementsPerGrid - 1 || i == n - 1;
        if (lastInGrid) {
            p << "</gridcontainer></header>\n";
            u << "</layout></widget></item>";
        }
        if (i % perTab == perTab - 1 || i == n - 1) {
            p << "</verticalcontainer>\n";
            u << "</layout></widget>";
        }
    }
    p << "</tabcontainer>\n</zelmlcfg>\n";
    u << "</widget></ui>\n";
    insertChecksum(panel);
    return {panel, ui.toUtf8()};
}

// n check boxes in one container (spread: in containers of elementsPerGrid).
QString checkBoxPanel(int n, bool spread)
{
    QString panel;
    QTextStream p(&panel);
    p << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
      << "<checksum>" << QString(64, QLatin1Char('0')) << "</checksum>\n"
      << "<version label=\"1.0.0\"/>\n<verticalcontainer>\n<header file=\"boxes.h\">\n";
    for (int i = 0; i < n; ++i) {
        if (spread && i % elementsPerGrid == 0)
            p << "<verticalcontainer>\n";
        p << "<checkbox define=\"BOX_" << i << "\" label=\"Box " << i << "\"/>\n";
        if (spread && (i % elementsPerGrid == elementsPerGrid - 1 || i == n - 1))
            p << "</verticalcontainer>\n";
    }
    p << "</header>\n</verticalcontainer>\n</zelmlcfg>\n";
    insertChecksum(panel);
    return panel;
}

const bool buildOnly = qEnvironmentVariableIsSet("BENCH_BUILD_ONLY");

double elapsedMs(const BenchTimer &timer)
{
    return timer.elapsedMs();
}

// As between two user actions, the event loop has run: the events the last
// step posted are delivered and the objects it let go of are deleted.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Writes a panel of n elements and the form of the same widgets.
bool writePanel(const Forms &forms, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(forms.panel.toUtf8()) >= 0;
}

struct Times {
    double xml = 1e300;
    double ui = 1e300;
    double uiShow = 1e300;
    double open = 1e300;
    double openShow = 1e300;
    double teardown = 1e300;
    double uiTeardown = 1e300;
    double exportHeaders = 1e300;
    double save = 1e300;
    double load = 1e300;
};

// The steps a profiler compares are functions of their own, never inlined,
// so that its collection can be switched on by their names.
//
// The form loader building the form, then showing it at size until the
// event loop is idle.
Q_NEVER_INLINE QWidget *showForm(QUiLoader &loader, QBuffer &buffer, const QSize &size)
{
    QWidget *form = loader.load(&buffer);
    if (form) {
        form->resize(size);
        form->show();
        runUntilIdle();
    }
    return form;
}

// Deletes the form (on its own for a profiler too).
Q_NEVER_INLINE void dropForm(std::unique_ptr<QWidget> &form)
{
    form.reset();
}

// Opens the panel in the shown window and runs the event loop until idle;
// false when the open fails.
Q_NEVER_INLINE bool showPanel(MainWindow &window, const QString &panelPath, double &openMs, const BenchTimer &timer)
{
    if (!window.open(panelPath))
        return false;
    window.initLoadedConfiguration(true);
    openMs = elapsedMs(timer);
    runUntilIdle();
    return true;
}

// The form loader building the form; with show, also showing it at size and
// running the event loop until idle. The time goes into times.ui (build only)
// or times.uiShow; false when it fails.
bool loadForm(const QByteArray &ui, const QSize &size, bool show, Times &times)
{
    QBuffer buffer;
    buffer.setData(ui);
    buffer.open(QIODevice::ReadOnly);
    QUiLoader loader;
    BenchTimer timer;
    timer.start();
    std::unique_ptr<QWidget> form(show ? showForm(loader, buffer, size) : loader.load(&buffer));
    if (!form)
        return false;
    if (show) {
        times.uiShow = qMin(times.uiShow, elapsedMs(timer));
    } else {
        times.ui = qMin(times.ui, elapsedMs(timer));
    }
    // The form's own posted events go first: a widget deleted with events
    // still queued for it has the whole queue searched.
    settle();
    timer.restart();
    dropForm(form);
    settle();
    // The shown form's teardown is the yardstick of the shown panel's.
    if (show)
        times.uiTeardown = qMin(times.uiTeardown, elapsedMs(timer));
    return true;
}

// Drops the panel as the next open does before it builds: deleted while it
// is still the window's child, its contents first.
double tearDown(MainWindow &window)
{
    BenchTimer timer;
    timer.start();
    window.clearPanelState();
    deletePanelWidget(window.centralWidget());
    settle();
    return elapsedMs(timer);
}

// Shows or hides the window between the measurements, outside the timed parts.
void setWindowShown(MainWindow &window, bool shown)
{
    if (window.isVisible() == shown)
        return;
    window.setVisible(shown);
    runUntilIdle();
    settle();
}

// One round of every measurement on the panel at panelPath; each figure goes
// into times when it is the best so far. split prints the parts of the open.
//
// The build figures compare like with like: the form loader builds its form
// without showing it, and the open builds the panel in a window not shown
// yet, which leaves the show to the window. Export, save and load run on
// that panel. The show figures build both in a shown window (the form as
// a window of the same size) and include the event loop until idle; the
// teardown is that shown panel's. False when a step fails.
bool measure(MainWindow &window, const Forms &forms, const QString &panelPath, const QString &projectPath,
             Times &times, bool split)
{
    BenchTimer timer;
    timer.start();
    {
        QXmlStreamReader xml(forms.panel);
        while (!xml.atEnd())
            xml.readNext();
    }
    times.xml = qMin(times.xml, elapsedMs(timer));

    setWindowShown(window, false);
    tearDown(window);
    if (!loadForm(forms.ui, window.size(), false, times))
        return false;
    settle();
    timer.restart();
    if (!window.open(panelPath))
        return false;
    const double readMs = elapsedMs(timer);
    window.initLoadedConfiguration(true);
    const double openMs = elapsedMs(timer);

    times.open = qMin(times.open, openMs);
    if (buildOnly) {
        settle();
        tearDown(window);
        return true;
    }

    settle();
    timer.restart();
    window.exportHeaderFiles(true);
    times.exportHeaders = qMin(times.exportHeaders, elapsedMs(timer));

    timer.restart();
    window.saveProjectFile(projectPath, false);
    times.save = qMin(times.save, elapsedMs(timer));

    settle();
    tearDown(window);
    timer.restart();
    if (!window.load(projectPath))
        return false;
    times.load = qMin(times.load, elapsedMs(timer));
    settle();
    tearDown(window);

    setWindowShown(window, true);
    if (!loadForm(forms.ui, window.size(), true, times))
        return false;
    settle();
    timer.restart();
    double shownOpenMs = 0;
    if (!showPanel(window, panelPath, shownOpenMs, timer))
        return false;
    const double shownMs = elapsedMs(timer);
    times.openShow = qMin(times.openShow, shownMs);
    if (split)
        std::printf("  build: read %.1f ms, post-load %.1f ms; shown: open %.1f ms, event loop %.1f ms\n", readMs,
                    openMs - readMs, shownOpenMs, shownMs - shownOpenMs);
    settle();
    times.teardown = qMin(times.teardown, tearDown(window));
    return true;
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when absent.
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The peak growth of the resident memory while step runs, in KiB, measured
// in a forked child so that neither measurement reuses the heap the other
// freed: the child resets its high-water mark to its resident size
// (clear_refs "5"), runs step and reports the new mark less that size.
// -1 when the child fails.
long peakGrowthKb(const std::function<bool()> &step)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        close(fds[0]);
        long growth = -1;
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly) && clear.write("5") == 1) {
            clear.close();
            const long before = statusKb("VmRSS");
            if (before >= 0 && step())
                growth = statusKb("VmHWM") - before;
        }
        const ssize_t written = write(fds[1], &growth, sizeof growth);
        close(fds[1]);
        std::fflush(stdout);
        _exit(written == ssize_t(sizeof growth) ? 0 : 1);
    }
    close(fds[1]);
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) != ssize_t(sizeof growth))
        growth = -1;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

struct Memory {
    long openKb = -1;
    long uiKb = -1;
};

// The peak growth of opening the panel (in the window not shown, after its
// last panel was dropped) and of the form loader building the form.
Memory measureMemory(MainWindow &window, const Forms &forms, const QString &panelPath)
{
    setWindowShown(window, false);
    tearDown(window);
    Memory memory;
    memory.openKb = peakGrowthKb([&window, &panelPath] {
        if (!window.open(panelPath))
            return false;
        window.initLoadedConfiguration(true);
        return true;
    });
    memory.uiKb = peakGrowthKb([&forms] {
        QBuffer buffer;
        buffer.setData(forms.ui);
        buffer.open(QIODevice::ReadOnly);
        QUiLoader loader;
        std::unique_ptr<QWidget> form(loader.load(&buffer));
        // The form's posted events go before the form, unread: delivered they
        // would add to the figure, and a widget deleted with events still
        // queued for it has the whole queue searched.
        QCoreApplication::removePostedEvents(nullptr);
        return form != nullptr;
    });
    return memory;
}

// The bounds of --check: each printed with its figure, "holds" or "MISSED".
class Bounds
{
public:
    void check(const QString &what, double figure, double bound)
    {
        const bool holds = figure <= bound;
        m_missed += holds ? 0 : 1;
        m_lines << QStringLiteral("%1 %2 <= %3: %4")
                       .arg(what)
                       .arg(figure, 0, 'f', 3)
                       .arg(bound, 0, 'f', 2)
                       .arg(holds ? QStringLiteral("holds") : QStringLiteral("MISSED"));
    }
    void print() const
    {
        std::printf("bounds:\n");
        for (const QString &line : m_lines)
            std::printf("  %s\n", qPrintable(line));
        std::printf("%d of %d bounds missed\n", m_missed, int(m_lines.size()));
    }
    bool allHold() const { return m_missed == 0; }

private:
    QStringList m_lines;
    int m_missed = 0;
};

// The offscreen platform's note on every shown top-level window is no result.
QtMessageHandler previousHandler = nullptr;

void quietPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    // As the program itself runs.
    tuneHeapForLargeTexts();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietPlatformNotes);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("QUILLMATE_APPDIR", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    QFile disclaimer(dir.filePath(QStringLiteral("disclaimer.txt")));
    if (!disclaimer.open(QIODevice::WriteOnly) || disclaimer.write("Generated for the benchmark.\n") < 0)
        return 1;
    disclaimer.close();

    QList<int> sizes;
    int checkBoxes = 0;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--check") {
            check = true;
            continue;
        }
        if (QByteArray(argv[i]) == "--checkboxes" && i + 1 < argc) {
            checkBoxes = QByteArray(argv[++i]).toInt();
            continue;
        }
        bool ok = false;
        const int n = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "bench_panelopen: not a panel size: %s\n", argv[i]);
            return 1;
        }
        sizes << n;
    }
    if (sizes.isEmpty() && check)
        sizes = {500, 2000, 8000, 32000, 128000};
    else if (sizes.isEmpty() && checkBoxes <= 0)
        sizes = {500, 2000, 8000};

    CommandLineOptions options;
    options.quiet = true;
    MainWindow window(options);
    window.resize(1200, 800);
    window.show();
    ErrorReporter::instance().setReportToMessageBox(false);
    ErrorReporter::instance().setReportToConsole(false);
    const int repeats = qEnvironmentVariableIntValue("BENCH_REPEATS") > 0 ? qEnvironmentVariableIntValue("BENCH_REPEATS") : 3;

    const bool split = qEnvironmentVariableIsSet("BENCH_SPLIT");

    // Warm up: the form loader loads its widget plugins, the window opens,
    // exports, saves and loads its first panel.
    {
        const Forms warm = generate(50);
        const QString warmPath = dir.filePath(QStringLiteral("warm.xml"));
        Times ignored;
        if (!writePanel(warm, warmPath)
            || !measure(window, warm, warmPath, dir.filePath(QStringLiteral("warm.qlmp")), ignored, false))
            return 2;
    }

    // --checkboxes N: the open of N check boxes in one container against
    // the same spread over containers.
    if (checkBoxes > 0) {
        double times[2] = {1e300, 1e300};
        QString paths[2];
        for (int spread = 0; spread < 2; ++spread) {
            paths[spread] = dir.filePath(QStringLiteral("boxes%1.xml").arg(spread));
            QFile file(paths[spread]);
            if (!file.open(QIODevice::WriteOnly) || file.write(checkBoxPanel(checkBoxes, spread).toUtf8()) < 0)
                return 1;
        }
        // Taken in turns, so that neither form has the fresh heap to itself.
        for (int r = 0; r < repeats; ++r) {
            for (int spread = 0; spread < 2; ++spread) {
                tearDown(window);
                BenchTimer timer;
                timer.start();
                if (!window.open(paths[spread]))
                    return 3;
                window.initLoadedConfiguration(true);
                times[spread] = qMin(times[spread], elapsedMs(timer));
                settle();
            }
        }
        std::printf("%d check boxes: one container %.1f ms, spread %.1f ms, ratio %.2f\n", checkBoxes, times[0],
                    times[1], times[0] / times[1]);
        std::fflush(stdout);
    }

    std::printf("%7s %8s %9s %9s %9s %9s %8s %8s %8s %7s %7s %8s %8s %9s %8s %7s\n", "N", "xml", "QUiLoader",
                "ui+show", "open", "open+show", "teardown", "ui-tear", "build/ui", "show/ui", "tear/ui", "export",
                "save", "load", "(e+s)/o", "load/o");
    std::map<int, Times> timesByN;
    std::map<int, Memory> memoryByN;
    for (int n : sizes) {
        const Forms forms = generate(n);
        const QString panelPath = dir.filePath(QStringLiteral("bench%1.xml").arg(n));
        if (!writePanel(forms, panelPath))
            return 1;
        const QString projectPath = dir.filePath(QStringLiteral("bench%1.qlmp").arg(n));
        if (!buildOnly)
            memoryByN[n] = measureMemory(window, forms, panelPath);

        // Each figure is the best of the repeats; destroying the widgets of
        // the step before happens outside the timed parts.
        Times times;
        for (int r = 0; r < repeats; ++r) {
            if (!measure(window, forms, panelPath, projectPath, times, split))
                return 3;
        }
        if (qEnvironmentVariableIsSet("BENCH_SHOW_CONSOLE"))
            std::printf("%s\n", qPrintable(window.findChild<QTextBrowser *>(QStringLiteral("console"))
                                                ->toPlainText()
                                                .left(2000)));

        if (buildOnly) {
            std::printf("%7d %8.1f %9.1f %9s %9.1f %9s %8s %7.2f\n", n, times.xml, times.ui, "-", times.open, "-", "-",
                        times.open / times.ui);
            std::fflush(stdout);
            continue;
        }
        std::printf("%7d %8.1f %9.1f %9.1f %9.1f %9.1f %8.1f %8.1f %8.2f %7.2f %7.2f %8.1f %8.1f %9.1f %8.3f %7.3f\n",
                    n, times.xml, times.ui, times.uiShow, times.open, times.openShow, times.teardown,
                    times.uiTeardown, times.open / times.ui, times.openShow / times.uiShow,
                    times.teardown / times.uiTeardown, times.exportHeaders, times.save, times.load,
                    (times.exportHeaders + times.save) / times.open, times.load / times.open);
        std::fflush(stdout);
        timesByN[n] = times;
    }
    if (buildOnly)
        return 0;

    std::printf("\n%7s %12s %12s %8s\n", "N", "open KiB", "QUiLoader KiB", "mem/ui");
    for (const auto &entry : memoryByN) {
        const Memory &memory = entry.second;
        std::printf("%7d %12ld %12ld %8.3f\n", entry.first, memory.openKb, memory.uiKb,
                    memory.uiKb > 0 ? double(memory.openKb) / double(memory.uiKb) : 0.0);
    }
    if (!check)
        return 0;

    Bounds bounds;
    for (const auto &entry : timesByN) {
        const int n = entry.first;
        const Times &t = entry.second;
        const QString at = QStringLiteral("N=%1").arg(n);
        if (n >= 500 && n <= 32000) {
            bounds.check(at + QStringLiteral(" build/ui"), t.open / t.ui, 1.0);
            bounds.check(at + QStringLiteral(" show/ui"), t.openShow / t.uiShow, 1.0);
        }
        if (n >= 2000 && n <= 32000)
            bounds.check(at + QStringLiteral(" tear/ui"), t.teardown / t.uiTeardown, 1.0);
        bounds.check(at + QStringLiteral(" (export+save)/open"), (t.exportHeaders + t.save) / t.open, 0.2);
        const auto larger = timesByN.find(4 * n);
        if (larger == timesByN.end())
            continue;
        const Times &l = larger->second;
        const QString step = QStringLiteral("N=%1..%2").arg(n).arg(4 * n);
        if (n >= 2000 && 4 * n <= 32000)
            bounds.check(step + QStringLiteral(" teardown t(4N)/t(N)"), l.teardown / t.teardown, 4.4);
        bounds.check(step + QStringLiteral(" export+save t(4N)/t(N)"),
                     (l.exportHeaders + l.save) / (t.exportHeaders + t.save), 4.4);
    }
    const auto memory = memoryByN.find(32000);
    if (memory != memoryByN.end()) {
        const bool measured = memory->second.openKb > 0 && memory->second.uiKb > 0;
        bounds.check(QStringLiteral("N=32000 peak memory open/ui"),
                     measured ? double(memory->second.openKb) / double(memory->second.uiKb) : 1e9, 1.15);
    }
    bounds.print();
    return bounds.allHold() ? 0 : 4;
}
