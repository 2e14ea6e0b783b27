// Measures the validation of a generated panel of N elements next to opening
// the same panel: the define validation, the XSD check, an
// "xmllint --noout --schema" process on the same file and schema, and the
// open, each the best of three runs, in milliseconds, with the ratios
// xsd/xmllint and validation/open and the validation's time per element.
//
//   bench_validate [N ...]      (default: 500 2000 8000 32000)
//
// The schema is the QLM.xsd beside this program (the build puts it there).
#include "apppaths.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "prompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

// Check boxes, spin boxes with ranges and combos with items, some with
// locks and actions, in grids of 40 on tabs of 200.
QByteArray generate(int n)
{
    QString panel;
    QTextStream p(&panel);
    p << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
      << "<version label=\"1.0.0\"/>\n<tabcontainer label=\"Bench\">\n";
    for (int i = 0; i < n; ++i) {
        if (i % 200 == 0)
            p << "<verticalcontainer label=\"Page " << i / 200 << "\">\n";
        if (i % 40 == 0)
            p << "<header file=\"bench.h\"><gridcontainer columns=\"4\">\n";
        switch (i % 3) {
        case 0:
            p << "<checkbox define=\"D" << i << "\" default=\"0\" lockon=\"D" << (i + 1) % n << "=1\">"
              << "<action event=\"checked\" cmd=\"setDef\" data=\"D" << (i + 2) % n << "=1\"/></checkbox>\n";
            break;
        case 1:
            p << "<spinbox define=\"D" << i << "[7:0]\" range=\"0;255\" default=\"7\"/>\n";
            break;
        default:
            p << "<combo define=\"D" << i << "\" default=\"1\"><item label=\"a\"/><item label=\"b\"/></combo>\n";
            break;
        }
        if (i % 40 == 39 || i == n - 1)
            p << "</gridcontainer></header>\n";
        if (i % 200 == 199 || i == n - 1)
            p << "</verticalcontainer>\n";
    }
    p << "</tabcontainer>\n</zelmlcfg>\n";
    return panel.toUtf8();
}

double bestOf3(const std::function<void()> &step)
{
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (best < 0 || ms < best)
            best = ms;
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString schema = AppPaths::programDir() + QStringLiteral("/QLM.xsd");
    QTemporaryDir dir;
    qputenv("QUILLMATE_APPDIR", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("config")));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    if (!QFile::copy(schema, dir.filePath(QStringLiteral("QLM.xsd")))) {
        std::fprintf(stderr, "bench_validate: no schema at %s\n", qPrintable(schema));
        return 1;
    }

    QList<int> sizes;
    for (int i = 1; i < argc; ++i) {
        bool ok = false;
        const int n = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "bench_validate: not a panel size: %s\n", argv[i]);
            return 1;
        }
        sizes << n;
    }
    if (sizes.isEmpty())
        sizes = {500, 2000, 8000, 32000};
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty()) {
        std::fprintf(stderr, "bench_validate: xmllint (libxml2-utils) is not installed\n");
        return 1;
    }

    CommandLineOptions options;
    options.quiet = true;
    MainWindow window(options);
    ErrorReporter::instance().setReportToMessageBox(false);
    ErrorReporter::instance().setReportToConsole(false);

    std::printf("%8s %10s %12s %10s %10s %12s %10s %12s %14s\n", "elements", "validate", "validate/el", "xsd",
                "xmllint", "xsd/xmllint", "xsd/el", "open", "validate/open");
    for (int n : qAsConst(sizes)) {
        const QString path = dir.filePath(QStringLiteral("bench%1.xml").arg(n));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(generate(n)) < 0)
            return 2;
        file.close();
        const double validate = bestOf3([&] { window.panelValidation().validateXmlFile(path); });
        const double xsd = bestOf3([&] { PanelValidation::checkXsd(path); });
        bool linted = true;
        const double lint = bestOf3([&] {
            QProcess process;
            process.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), schema, path});
            linted = process.waitForFinished(-1) && process.exitCode() == 0 && linted;
        });
        if (!linted) {
            std::fprintf(stderr, "bench_validate: xmllint refuses the generated panel\n");
            return 4;
        }
        bool opened = true;
        const double open = bestOf3([&] {
            opened = window.open(path) && opened;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        if (!opened)
            return 3;
        std::printf("%8d %10.1f %12.2f %10.1f %10.1f %12.2f %10.2f %12.1f %14.2f\n", n, validate,
                    1000.0 * validate / n, xsd, lint, xsd / lint, 1000.0 * xsd / n, open, validate / open);
        std::fflush(stdout);
    }
    return 0;
}
