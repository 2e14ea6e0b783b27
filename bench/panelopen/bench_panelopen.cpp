// Measures opening a generated panel of N value elements against Qt's own
// XML-to-form loader building the same widgets, and the cost of header export
// and project save/load next to the open.
//
//   bench_panelopen [N ...]      (default: 500 2000 8000)
//
// Per N it prints, in milliseconds, a bare XML pass, Qt's form loader, the
// open (read and post-load set-up), header export, project save and project
// load, and the ratios open/form loader, (export+save)/open and load/open.
//
// BENCH_REPEATS=n runs each measurement n times (best of n, default 3) after
// a warm-up round on a small panel;
// BENCH_SPLIT=1 prints the read and the post-load part of every open;
// BENCH_SHOW_CONSOLE=1 prints the console after the open.
#include "errorreporter.h"
#include "mainwindow.h"
#include "prompt.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextStream>
#include <QUiLoader>
#include <QXmlStreamReader>

#include <cstdio>
#include <memory>

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
    MainWindow::insertChecksum(panel);
    return {panel, ui.toUtf8()};
}

double elapsedMs(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
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

// The form loader building the form once; -1 when it fails.
double loadForm(const QByteArray &ui)
{
    QBuffer buffer;
    buffer.setData(ui);
    buffer.open(QIODevice::ReadOnly);
    QUiLoader loader;
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QWidget> form(loader.load(&buffer));
    const double ms = elapsedMs(timer);
    if (!form)
        return -1;
    // The form's own posted events go first: a widget deleted with events
    // still queued for it has the whole queue searched.
    settle();
    return ms;
}

struct Times {
    double xml = 1e300;
    double ui = 1e300;
    double open = 1e300;
    double exportHeaders = 1e300;
    double save = 1e300;
    double load = 1e300;
};

// One round of every measurement on the panel at panelPath; each figure goes
// into times when it is the best so far. split prints the parts of the open.
// False when a step fails.
bool measure(MainWindow &window, const Forms &forms, const QString &panelPath, const QString &projectPath,
             Times &times, bool split)
{
    QElapsedTimer timer;
    timer.start();
    {
        QXmlStreamReader xml(forms.panel);
        while (!xml.atEnd())
            xml.readNext();
    }
    times.xml = qMin(times.xml, elapsedMs(timer));

    const double uiMs = loadForm(forms.ui);
    if (uiMs < 0)
        return false;
    times.ui = qMin(times.ui, uiMs);

    settle();
    timer.restart();
    if (!window.open(panelPath))
        return false;
    const double readMs = elapsedMs(timer);
    window.initLoadedConfiguration(true);
    const double openMs = elapsedMs(timer);
    times.open = qMin(times.open, openMs);
    if (split)
        std::printf("  read %.1f ms, post-load %.1f ms\n", readMs, openMs - readMs);

    settle();
    timer.restart();
    window.exportHeaderFiles(true);
    times.exportHeaders = qMin(times.exportHeaders, elapsedMs(timer));

    timer.restart();
    window.saveProjectFile(projectPath, false);
    times.save = qMin(times.save, elapsedMs(timer));

    settle();
    timer.restart();
    if (!window.load(projectPath))
        return false;
    times.load = qMin(times.load, elapsedMs(timer));
    settle();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
    for (int i = 1; i < argc; ++i) {
        bool ok = false;
        const int n = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "bench_panelopen: not a panel size: %s\n", argv[i]);
            return 1;
        }
        sizes << n;
    }
    if (sizes.isEmpty())
        sizes = {500, 2000, 8000};

    CommandLineOptions options;
    options.quiet = true;
    MainWindow window(options);
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

    std::printf("%8s %9s %10s %10s %8s %9s %9s %10s %8s %8s\n", "N", "xml pass", "QUiLoader", "open", "open/ui",
                "export", "save", "load", "(e+s)/o", "load/o");
    for (int n : sizes) {
        const Forms forms = generate(n);
        const QString panelPath = dir.filePath(QStringLiteral("bench%1.xml").arg(n));
        if (!writePanel(forms, panelPath))
            return 1;
        const QString projectPath = dir.filePath(QStringLiteral("bench%1.qlmp").arg(n));

        // Each figure is the best of the repeats; destroying the widgets of
        // the step before happens outside the timed parts.
        Times times;
        for (int r = 0; r < repeats; ++r) {
            if (!measure(window, forms, panelPath, projectPath, times, split))
                return 3;
        }
        if (qEnvironmentVariableIsSet("BENCH_SHOW_CONSOLE"))
            std::printf("%s\n", qPrintable(window.consoleBrowser()->toPlainText().left(2000)));

        std::printf("%8d %9.1f %10.1f %10.1f %8.2f %9.1f %9.1f %10.1f %8.3f %8.3f\n", n, times.xml, times.ui,
                    times.open, times.open / times.ui, times.exportHeaders, times.save, times.load,
                    (times.exportHeaders + times.save) / times.open, times.load / times.open);
        std::fflush(stdout);
    }
    return 0;
}
