// Reads an SVD file into a panel's register model, takes its largest
// peripheral (most registers) and times showing every one of its registers in
// a RegisterView: creating the views, selecting their registers (which builds
// the tables) and painting each once through grab(). Runs offscreen unless a
// platform is named. As a yardstick, the same number of bare QTableViews get
// models with the same header and cell texts and are painted the same way:
// a RegisterView is a QTableView, so that pass is the least showing the
// registers this way can cost. The best of R runs is printed.
//
//   registerview_bench [FILE] [--runs R]   (default: nrf54l15_application.svd)
//
// Goal: under 100 ms.

#include "fakeelement.h"
#include "quillpanel.h"
#include "registermodel.h"
#include "registerview.h"
#include "svdstreamreader.h"
#include "testshell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Timing {
    qint64 create = 0;
    qint64 fill = 0;
    qint64 paint = 0;
    qint64 total() const { return create + fill + paint; }
};

// The texts of one view's table: header texts, then cell texts.
using TableTexts = QStringList;

// One run: a view for every register of the module. Each view is a window of
// its own, so that painting one does not lay out all the others again. The
// event loop's share (posted layout requests, zero timers) is counted in.
Timing showModule(Panel &panel, const QString &module, const QStringList &registers, int *columns,
                  std::vector<TableTexts> *texts)
{
    QElapsedTimer timer;
    Timing timing;
    auto selector = std::make_unique<FakeElement>(QStringLiteral("BENCH_SELECT"));
    auto moduleElement = std::make_unique<FakeElement>(QStringLiteral("BENCH_MODULE"));
    moduleElement->values[KeywordModule] = module;
    panel.registerElement(selector->objectName(), selector.get());
    panel.registerElement(moduleElement->objectName(), moduleElement.get());

    timer.start();
    std::vector<std::unique_ptr<RegisterView>> owned;
    std::vector<RegisterView *> views;
    owned.reserve(std::size_t(registers.size()));
    views.reserve(std::size_t(registers.size()));
    for (int i = 0; i < registers.size(); ++i) {
        owned.push_back(std::make_unique<RegisterView>(QStringLiteral("BENCH_RV%1").arg(i)));
        RegisterView *view = owned.back().get();
        view->resize(640, 60);
        panel.registerElement(view->objectName(), view);
        view->initialize();
        view->setValue(moduleElement->objectName(), KeywordModule);
        views.push_back(view);
    }
    // What the event loop would do next: the layout requests of the new views.
    QCoreApplication::processEvents();
    timing.create = timer.nsecsElapsed();

    timer.restart();
    for (std::size_t i = 0; i < views.size(); ++i) {
        selector->values[KeywordLabel] = registers.at(int(i));
        views[i]->setValue(selector->objectName(), KeywordRegister);
    }
    QCoreApplication::processEvents();
    timing.fill = timer.nsecsElapsed();

    timer.restart();
    qint64 pixels = 0;
    for (RegisterView *view : views)
        pixels += view->grab().width();
    QCoreApplication::processEvents();
    timing.paint = timer.nsecsElapsed();

    *columns = 0;
    texts->clear();
    for (RegisterView *view : views) {
        *columns += view->columnCount();
        TableTexts table;
        QStandardItemModel *model = view->tableModel();
        for (int c = 0; model && c < model->columnCount(); ++c)
            table << model->horizontalHeaderItem(c)->text();
        for (int c = 0; model && c < model->columnCount(); ++c)
            table << model->item(0, c)->text();
        texts->push_back(table);
    }
    if (pixels <= 0)
        *columns = -1;
    // The panel must not reach the views once they are gone.
    panel.forgetAllElements();
    return timing;
}

// The other way to show the peripheral: one register view, as a panel has
// it, taking the module once and then each register in turn, painted after
// each. Returns the whole time; *slowest gets the slowest single register.
qint64 stepThroughModule(Panel &panel, const QString &module, const QStringList &registers, qint64 *slowest)
{
    auto selector = std::make_unique<FakeElement>(QStringLiteral("BENCH_STEP_SELECT"));
    auto moduleElement = std::make_unique<FakeElement>(QStringLiteral("BENCH_STEP_MODULE"));
    moduleElement->values[KeywordModule] = module;
    panel.registerElement(selector->objectName(), selector.get());
    panel.registerElement(moduleElement->objectName(), moduleElement.get());
    RegisterView view(QStringLiteral("BENCH_STEP_VIEW"));
    view.resize(640, 60);
    panel.registerElement(view.objectName(), &view);
    view.initialize();

    QElapsedTimer timer;
    QElapsedTimer each;
    timer.start();
    view.setValue(moduleElement->objectName(), KeywordModule);
    *slowest = 0;
    for (const QString &name : registers) {
        each.start();
        selector->values[KeywordLabel] = name;
        view.setValue(selector->objectName(), KeywordRegister);
        view.grab();
        *slowest = std::max(*slowest, each.nsecsElapsed());
    }
    QCoreApplication::processEvents();
    const qint64 total = timer.nsecsElapsed();
    panel.forgetAllElements();
    return total;
}

// The yardstick: bare table views with the same texts, created, filled and
// painted as above.
Timing bareTables(const std::vector<TableTexts> &texts)
{
    QElapsedTimer timer;
    Timing timing;
    timer.start();
    std::vector<std::unique_ptr<QTableView>> views;
    views.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        views.push_back(std::make_unique<QTableView>());
        views.back()->resize(640, 60);
        views.back()->verticalHeader()->hide();
    }
    QCoreApplication::processEvents();
    timing.create = timer.nsecsElapsed();

    timer.restart();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int count = texts[i].size() / 2;
        QTableView *view = views[i].get();
        auto *model = new QStandardItemModel(1, count, view);
        for (int c = 0; c < count; ++c) {
            model->setHorizontalHeaderItem(c, new QStandardItem(texts[i].at(c)));
            model->setItem(0, c, new QStandardItem(texts[i].at(count + c)));
        }
        view->setModel(model);
        for (int c = 0; c < count; ++c)
            view->setColumnWidth(c, 640 / count);
        const int height = view->horizontalHeader()->height() + view->rowHeight(0) + 4;
        view->setMinimumHeight(height);
        view->setMaximumHeight(height);
    }
    QCoreApplication::processEvents();
    timing.fill = timer.nsecsElapsed();

    timer.restart();
    qint64 pixels = 0;
    for (const auto &view : views)
        pixels += view->grab().width();
    QCoreApplication::processEvents();
    timing.paint = timer.nsecsElapsed();
    return pixels > 0 ? timing : Timing();
}

void print(const char *title, const Timing &timing, int views)
{
    std::printf("%s\n", title);
    std::printf("  create views:        %8.2f ms\n", timing.create / 1e6);
    std::printf("  select registers:    %8.2f ms\n", timing.fill / 1e6);
    std::printf("  first paint (grab):  %8.2f ms\n", timing.paint / 1e6);
    std::printf("  total:               %8.2f ms (%.1f us per view)\n", timing.total() / 1e6,
                views > 0 ? timing.total() / 1e3 / views : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLMATE_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    QString path = QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd");
    int runs = 5;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else
            path = args.at(i);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }

    TestShell shell;
    Panel panel(&shell);
    SvdStreamReader reader(&panel, QStringLiteral("bench.xml"));
    if (!reader.readData(file.readAll())) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(path), qPrintable(reader.errorString()));
        return 1;
    }

    QString largest;
    int most = -1;
    for (auto it = panel.registries().moduleTable.constBegin(); it != panel.registries().moduleTable.constEnd(); ++it) {
        const int count = it.value()->registers.size();
        if (count > most || (count == most && it.key() < largest)) {
            most = count;
            largest = it.key();
        }
    }
    if (most <= 0) {
        std::fprintf(stderr, "no registers in %s\n", qPrintable(path));
        return 1;
    }
    QStringList registers = panel.registries().moduleTable.value(largest)->registers.keys();
    registers.sort();

    Timing best, bare;
    int columns = 0;
    std::vector<TableTexts> texts;
    for (int r = 0; r < runs; ++r) {
        const Timing timing = showModule(panel, largest, registers, &columns, &texts);
        if (r == 0 || timing.total() < best.total())
            best = timing;
        const Timing yardstick = bareTables(texts);
        if (r == 0 || yardstick.total() < bare.total())
            bare = yardstick;
    }
    std::printf("file: %s, largest peripheral %s with %d registers, %d columns shown\n", qPrintable(path),
                qPrintable(largest), most, columns);
    print("RegisterView per register:", best, most);
    print("bare QTableView per register (yardstick):", bare, most);
    std::printf("RegisterView total: %.2f ms (goal < 100), %.2f times the bare views\n", best.total() / 1e6,
                bare.total() > 0 ? double(best.total()) / double(bare.total()) : 0.0);

    qint64 stepped = -1, slowest = 0;
    for (int r = 0; r < runs; ++r) {
        qint64 slowestThisRun = 0;
        const qint64 total = stepThroughModule(panel, largest, registers, &slowestThisRun);
        if (stepped < 0 || total < stepped) {
            stepped = total;
            slowest = slowestThisRun;
        }
    }
    std::printf("one RegisterView stepping through all %d registers: %.2f ms (%.1f us per register, "
                "slowest single register %.2f ms)\n",
                most, stepped / 1e6, stepped / 1e3 / most, slowest / 1e6);
    return columns > 0 ? 0 : 1;
}
