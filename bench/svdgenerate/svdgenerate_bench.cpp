// Measures generating a panel from an SVD file (Tree layout) against reading
// the same file into a fresh register model with the SVD reader, and then
// opening the generated panel (read and post-load set-up) against Qt's form
// loader building the same widgets: the bench writes that form from the
// opened panel (tabs, trees with their rows, each row's widgets, combo
// items), builds it, and compares the build (the open in a window not shown
// yet, the form not shown) and the build with its show until the event loop
// is idle (both shown at the same size). Best of R runs.
//
//   svdgenerate_bench [FILE] [--runs R]     (default: nrf54l15_application.svd)
//
// BENCH_CPU=1 times with the main thread's processor time instead of the
// wall clock (steadier on a machine that other work keeps busy).
//
// Goals: generation <= 3 times the read; open <= the form loader.

#include "benchtimer.h"
#include "errorreporter.h"
#include "eventloop.h"
#include "heaptuning.h"
#include "mainwindow.h"
#include "moduletablehost.h"
#include "quillpanel.h"
#include "prompt.h"
#include "svdstreamreader.h"
#include "svdxmlgenerator.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUiLoader>
#include <QXmlStreamWriter>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The form of the same widgets as the panel: written from the live widgets,
// each as its Qt class, with its layout or, in a tree, as a child of the view.
class FormWriter
{
public:
    QByteArray write(QWidget *root)
    {
        QByteArray ui;
        QXmlStreamWriter xml(&ui);
        m_xml = &xml;
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("ui"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
        xml.writeTextElement(QStringLiteral("class"), QStringLiteral("Generated"));
        writeWidget(root);
        xml.writeEndElement();
        xml.writeEndDocument();
        return ui;
    }

private:
    void property(const QString &name, const QString &kind, const QString &value)
    {
        m_xml->writeStartElement(QStringLiteral("property"));
        m_xml->writeAttribute(QStringLiteral("name"), name);
        m_xml->writeTextElement(kind, value);
        m_xml->writeEndElement();
    }

    void writeRows(QTreeWidgetItem *row)
    {
        m_xml->writeStartElement(QStringLiteral("item"));
        property(QStringLiteral("text"), QStringLiteral("string"), row->text(0));
        for (int i = 0; i < row->childCount(); ++i)
            writeRows(row->child(i));
        m_xml->writeEndElement();
    }

    void collectRowWidgets(QTreeWidget *tree, QTreeWidgetItem *row, QList<QWidget *> &widgets)
    {
        if (QWidget *widget = tree->itemWidget(row, 1))
            widgets << widget;
        for (int i = 0; i < row->childCount(); ++i)
            collectRowWidgets(tree, row->child(i), widgets);
    }

    void writeLayout(QLayout *layout)
    {
        auto *grid = qobject_cast<QGridLayout *>(layout);
        const QString kind = grid ? QStringLiteral("QGridLayout")
            : qobject_cast<QHBoxLayout *>(layout) ? QStringLiteral("QHBoxLayout")
                                                   : QStringLiteral("QVBoxLayout");
        m_xml->writeStartElement(QStringLiteral("layout"));
        m_xml->writeAttribute(QStringLiteral("class"), kind);
        m_xml->writeAttribute(QStringLiteral("name"), QStringLiteral("l%1").arg(m_count++));
        for (int i = 0; i < layout->count(); ++i) {
            QWidget *child = layout->itemAt(i)->widget();
            if (!child)
                continue;
            m_xml->writeStartElement(QStringLiteral("item"));
            if (grid) {
                int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
                grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
                m_xml->writeAttribute(QStringLiteral("row"), QString::number(row));
                m_xml->writeAttribute(QStringLiteral("column"), QString::number(column));
            }
            writeWidget(child);
            m_xml->writeEndElement();
        }
        m_xml->writeEndElement();
    }

    void writeWidget(QWidget *widget)
    {
        QString kind = QStringLiteral("QWidget");
        if (qobject_cast<QTabWidget *>(widget))
            kind = QStringLiteral("QTabWidget");
        else if (qobject_cast<QTreeWidget *>(widget))
            kind = QStringLiteral("QTreeWidget");
        else if (qobject_cast<QComboBox *>(widget))
            kind = QStringLiteral("QComboBox");
        else if (qobject_cast<QSpinBox *>(widget))
            kind = QStringLiteral("QSpinBox");
        else if (qobject_cast<QCheckBox *>(widget))
            kind = QStringLiteral("QCheckBox");
        else if (qobject_cast<QLabel *>(widget))
            kind = QStringLiteral("QLabel");
        else if (qobject_cast<QFrame *>(widget))
            kind = QStringLiteral("QFrame");
        m_xml->writeStartElement(QStringLiteral("widget"));
        m_xml->writeAttribute(QStringLiteral("class"), kind);
        m_xml->writeAttribute(QStringLiteral("name"), QStringLiteral("w%1").arg(m_count++));

        if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                // A page is written with its title; its content as the page's child.
                m_xml->writeStartElement(QStringLiteral("widget"));
                m_xml->writeAttribute(QStringLiteral("class"), QStringLiteral("QWidget"));
                m_xml->writeAttribute(QStringLiteral("name"), QStringLiteral("p%1").arg(m_count++));
                m_xml->writeStartElement(QStringLiteral("attribute"));
                m_xml->writeAttribute(QStringLiteral("name"), QStringLiteral("title"));
                m_xml->writeTextElement(QStringLiteral("string"), tabs->tabText(i));
                m_xml->writeEndElement();
                m_xml->writeStartElement(QStringLiteral("layout"));
                m_xml->writeAttribute(QStringLiteral("class"), QStringLiteral("QVBoxLayout"));
                m_xml->writeAttribute(QStringLiteral("name"), QStringLiteral("l%1").arg(m_count++));
                m_xml->writeStartElement(QStringLiteral("item"));
                writeWidget(tabs->widget(i));
                m_xml->writeEndElement();
                m_xml->writeEndElement();
                m_xml->writeEndElement();
            }
        } else if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
            for (int i = 0; i < tree->columnCount(); ++i) {
                m_xml->writeStartElement(QStringLiteral("column"));
                property(QStringLiteral("text"), QStringLiteral("string"), tree->headerItem()->text(i));
                m_xml->writeEndElement();
            }
            QList<QWidget *> rowWidgets;
            for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                writeRows(tree->topLevelItem(i));
                collectRowWidgets(tree, tree->topLevelItem(i), rowWidgets);
            }
            // The rows' widgets, as children of the view without a layout.
            for (QWidget *row : qAsConst(rowWidgets))
                writeWidget(row);
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            for (int i = 0; i < combo->count(); ++i) {
                m_xml->writeStartElement(QStringLiteral("item"));
                property(QStringLiteral("text"), QStringLiteral("string"), combo->itemText(i));
                m_xml->writeEndElement();
            }
        } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
            property(QStringLiteral("minimum"), QStringLiteral("number"), QString::number(spin->minimum()));
            property(QStringLiteral("maximum"), QStringLiteral("number"), QString::number(spin->maximum()));
        } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            property(QStringLiteral("text"), QStringLiteral("string"), box->text());
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            property(QStringLiteral("text"), QStringLiteral("string"), label->text());
            if (label->wordWrap())
                property(QStringLiteral("wordWrap"), QStringLiteral("bool"), QStringLiteral("true"));
        } else if (QLayout *layout = widget->layout()) {
            writeLayout(layout);
        } else {
            const QList<QWidget *> children = widget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget *child : children)
                writeWidget(child);
        }
        m_xml->writeEndElement();
    }

    QXmlStreamWriter *m_xml = nullptr;
    int m_count = 0;
};

} // namespace

int main(int argc, char **argv)
{
    // As the program itself runs.
    tuneHeapForLargeTexts();
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("app"));
    QDir(root.path()).mkpath(QStringLiteral("config"));
    qputenv("QUILLMATE_APPDIR", root.filePath(QStringLiteral("app")).toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath(QStringLiteral("config")));
    Prompt::install(std::make_unique<NonInteractivePrompt>(QStringList()));
    ErrorReporter::instance().setSinks(false, false, false);

    QString path = QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd");
    int runs = 3;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else
            path = QFileInfo(args.at(i)).absoluteFilePath();
    }
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray data = source.readAll();
    source.close();
    QDir::setCurrent(root.path());
    QFile::copy(path, QFileInfo(path).fileName());
    QFile disclaimer(QStringLiteral("disclaimer.txt"));
    if (disclaimer.open(QIODevice::WriteOnly))
        disclaimer.write("/* bench */\n");
    disclaimer.close();

    qint64 read = -1, generate = -1, open = -1, openShow = -1, ui = -1, uiShow = -1;
    QByteArray form;
    int elements = 0;
    bool ok = true;
    for (int r = 0; r < runs; ++r) {
        BenchTimer timer;
        {
            ModuleTableHost host;
            SvdStreamReader reader(&host, QStringLiteral("bench.xml"));
            timer.start();
            ok = reader.readData(data) && ok;
            const qint64 t = timer.nsecsElapsed();
            read = read < 0 ? t : std::min(read, t);
        }
        MainWindow window{CommandLineOptions()};
        QFile svd(QFileInfo(path).fileName());
        svd.open(QIODevice::ReadOnly | QIODevice::Text);
        SvdXmlGenerator generator(window.panel());
        timer.start();
        ok = generator.generate(&svd) && ok;
        const qint64 g = timer.nsecsElapsed();
        generate = generate < 0 ? g : std::min(generate, g);
        svd.close();
        window.signXmlChecksum(generator.outputName());
        // BENCH_KEEP=DIR keeps the generated panel, its SVD file and the form
        // of the same widgets for a look.
        const QString keep = qEnvironmentVariable("BENCH_KEEP");
        if (!keep.isEmpty()) {
            QFile::remove(QDir(keep).filePath(generator.outputName()));
            QFile::copy(generator.outputName(), QDir(keep).filePath(generator.outputName()));
            QFile::copy(svd.fileName(), QDir(keep).filePath(svd.fileName()));
        }

        // The build: the open in a window not shown yet, which leaves the
        // show to the window as the form loader leaves it to its caller.
        {
            MainWindow builder{CommandLineOptions()};
            builder.resize(1200, 800);
            timer.start();
            ok = builder.open(generator.outputName()) && ok;
            builder.initLoadedConfiguration(true);
            const qint64 o = timer.nsecsElapsed();
            open = open < 0 ? o : std::min(open, o);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            builder.clearPanelState();
            delete builder.takeCentralWidget();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }

        // The open in the shown window, with its show until idle.
        MainWindow opener{CommandLineOptions()};
        opener.resize(1200, 800);
        opener.show();
        runUntilIdle();
        timer.start();
        ok = opener.open(generator.outputName()) && ok;
        opener.initLoadedConfiguration(true);
        runUntilIdle();
        const qint64 os = timer.nsecsElapsed();
        openShow = openShow < 0 ? os : std::min(openShow, os);
        elements = opener.panel()->getAllElements().size();

        // The form of the same widgets, written once.
        if (form.isEmpty()) {
            auto *area = qobject_cast<QScrollArea *>(opener.centralWidget());
            if (area && area->widget())
                form = FormWriter().write(area->widget());
            QFile formFile(QStringLiteral("generated.ui"));
            if (formFile.open(QIODevice::WriteOnly))
                formFile.write(form);
            if (!keep.isEmpty()) {
                QFile::remove(QDir(keep).filePath(QStringLiteral("generated.ui")));
                QFile::copy(formFile.fileName(), QDir(keep).filePath(QStringLiteral("generated.ui")));
            }
        }
        // As after a user's action, the event loop runs before the window
        // goes: its widgets are not deleted with events still queued.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        opener.hide();
        opener.clearPanelState();
        delete opener.takeCentralWidget();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();

        QBuffer buffer(&form);
        buffer.open(QIODevice::ReadOnly);
        QUiLoader loader;
        timer.start();
        std::unique_ptr<QWidget> built(loader.load(&buffer));
        const qint64 u = timer.nsecsElapsed();
        ok = built && ok;
        if (built) {
            built->resize(opener.size());
            built->show();
        }
        runUntilIdle();
        const qint64 us = timer.nsecsElapsed();
        ui = ui < 0 ? u : std::min(ui, u);
        uiShow = uiShow < 0 ? us : std::min(uiShow, us);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    std::printf("file: %s (%lld bytes)%s\n", qPrintable(path), static_cast<long long>(data.size()),
                ok ? "" : " FAILED");
    std::printf("SVD reader into model:   %9.2f ms\n", read / 1e6);
    std::printf("panel generation:        %9.2f ms\n", generate / 1e6);
    std::printf("ratio: %.2f (goal <= 3)\n", double(generate) / double(read));
    std::printf("open of the generated panel: %9.2f ms for %d elements (%.3f ms per 1000)\n", open / 1e6,
                elements, open / 1e6 / std::max(1, elements) * 1000.0);
    std::printf("QUiLoader, same widgets:     %9.2f ms (%d bytes of form)\n", ui / 1e6, int(form.size()));
    std::printf("open + show until idle:      %9.2f ms; QUiLoader + show: %9.2f ms\n", openShow / 1e6, uiShow / 1e6);
    std::printf("ratio open/QUiLoader: build %.2f, +show %.2f (goal <= 1)\n", double(open) / double(ui),
                double(openShow) / double(uiShow));
    return ok ? 0 : 1;
}
