// The catalog dialog on a panel of our own with a parameter map: which
// columns it shows and filters, the filters as a table of cases, and a record
// applied to elements, an image and a plot.

#include "floatseriesdata.h"
#include "image.h"
#include "myqwtplot.h"
#include "panelfixture.h"
#include "selectfromcatalogdialog.h"

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>

namespace {

const char *const parameterMap =
    "<parameters>"
    "<parameter ID=\"Part\" Text=\"Part number\" type=\"text\" comment=\"The part\" DisplayMask=\"1\" Filter=\"1\"/>"
    "<parametergroup>"
    "<parameter ID=\"MULT\" Text=\"PLL multiplier\" type=\"ul32\" comment=\"Multiplier\" min=\"1\" max=\"16\" "
    "DisplayMask=\"1\" Filter=\"1\"/>"
    "<parameter ID=\"SUPPLY\" Text=\"Supply\" Unit=\" V\" type=\"float\" comment=\"Volts\" DisplayMask=\"0\" "
    "Filter=\"1\"/>"
    "</parametergroup>"
    "<parameter ID=\"DOC\" Text=\"Data sheet\" type=\"URL\" comment=\"sheet\" DisplayMask=\"1\"/>"
    "</parameters>";

// The columns: Part, NAME (no parameter), MULT, SUPPLY, DOC, PIC, CURVE.
const char *const catalog =
    "<Catalog>"
    "<CatalogEntry Part=\"QM-A\" NAME=\"alpha\" MULT=\"2\" SUPPLY=\"1.8 V\" DOC=\"http://a\" PIC=\"pic.png\" "
    "CURVE=\"0,0;10,100\"/>"
    "<CatalogEntry Part=\"qm-b\" NAME=\"beta\" MULT=\"10\" SUPPLY=\"3.3 V\" DOC=\"http://b\" PIC=\"\" CURVE=\"\"/>"
    "<CatalogEntry Part=\"QM-FAST\" NAME=\"gamma\" MULT=\"16\" SUPPLY=\"\" DOC=\"\" PIC=\"\" CURVE=\"\"/>"
    "<CatalogEntry Part=\"other\" NAME=\"d;e=f\" MULT=\"x\" SUPPLY=\"5 V\" DOC=\"\" PIC=\"\" CURVE=\"\"/>"
    "</Catalog>";

const char *const panelBody =
    "<verticalcontainer>"
    "<spinbox define=\"MULT\" range=\"0;100\" default=\"1\"/>"
    "<doublespinbox define=\"SUPPLY\" range=\"0;9\" default=\"1\" step=\"0.1\"/>"
    "<edit define=\"NAME\" default=\"none\"/>"
    "<edit define=\"DOC\" default=\"\"/>"
    "<image define=\"PIC\" file=\"\"/>"
    "<plot define=\"CURVE\" maxX=\"50\" maxY=\"5\"><curve data=\"MULT\"/></plot>"
    "</verticalcontainer>";

} // namespace

class TestCatalogDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tablesFollowTheParameterMap();
    void filters_data();
    void filters();
    void emptiedFilterRowRemovesTheFilter();
    void recordFillsElementsImageAndPlot();
    void columnWithoutParameterIsTypedOther();
    void plotPointsAreBounded();
    void missingCatalogLeavesAnEmptyDialog();
    void elementValues_data();
    void elementValues();
    void exampleCatalog();

private:
    std::unique_ptr<SelectFromCatalogDialog> dialog();
    std::unique_ptr<PanelFixture> m_fixture;
};

void TestCatalogDialog::init()
{
    m_fixture = std::make_unique<PanelFixture>();
    writeTestFile(m_fixture->env->path("params.xml"), parameterMap);
    writeTestFile(m_fixture->env->path("catalog.xml"), catalog);
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(m_fixture->env->path("pic.png")));
    QVERIFY(m_fixture->load(panelBody, "<parametermap file=\"params.xml\"/>"));
    QCOMPARE(m_fixture->window->panel()->header().parameterMap.size(), 4);
}

void TestCatalogDialog::cleanup()
{
    m_fixture.reset();
}

std::unique_ptr<SelectFromCatalogDialog> TestCatalogDialog::dialog()
{
    return std::make_unique<SelectFromCatalogDialog>(m_fixture->window.get(), m_fixture->env->path("catalog.xml"),
                                                     m_fixture->window->panel());
}

void TestCatalogDialog::tablesFollowTheParameterMap()
{
    auto d = dialog();
    QCOMPARE(d->windowTitle(), QString("Select a record from the database to fill in the values"));
    QCOMPARE(d->columnParameter, (QList<int>{0, -1, 1, 2, 3, -1, -1}));
    QCOMPARE(d->shownColumns, (QList<int>{0, 2, 4}));
    QCOMPARE(d->filterColumns, (QList<int>{0, 2, 3}));

    QStandardItemModel *filters = d->filterModel();
    QCOMPARE(filters->rowCount(), 3);
    QCOMPARE(filters->headerData(0, Qt::Horizontal).toString(), QString("Min"));
    QCOMPARE(filters->headerData(1, Qt::Horizontal).toString(), QString("Max"));
    QCOMPARE(filters->headerData(1, Qt::Vertical).toString(), QString("PLL multiplier"));
    QCOMPARE(filters->headerData(1, Qt::Vertical, Qt::ToolTipRole).toString(), QString("Multiplier (1..16)"));
    QCOMPARE(filters->headerData(2, Qt::Vertical, Qt::ToolTipRole).toString(), QString("Volts"));

    QStandardItemModel *records = d->recordModel();
    QCOMPARE(records->rowCount(), 4);
    QCOMPARE(records->columnCount(), 3);
    QCOMPARE(records->headerData(0, Qt::Horizontal).toString(), QString("Part\nnumber"));
    QCOMPARE(records->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), QString("Multiplier"));
    QCOMPARE(records->item(1, 0)->text(), QString("qm-b"));
    QCOMPARE(records->item(1, 1)->text(), QString("10"));
    QCOMPARE(records->item(1, 2)->text(), QString("http://b"));
    QCOMPARE(d->recordView()->model(), static_cast<QAbstractItemModel *>(d->proxy()));
    QCOMPARE(d->recordView()->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestCatalogDialog::filters_data()
{
    // One cell text per filter row (Part, MULT, SUPPLY), min and max.
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("parts");

    QTest::newRow("none") << QStringList{"", "", "", "", "", ""} << QStringList{"QM-A", "qm-b", "QM-FAST", "other"};
    QTest::newRow("text ignores case") << QStringList{"qm-", "", "", "", "", ""}
                                       << QStringList{"QM-A", "qm-b", "QM-FAST"};
    QTest::newRow("text in the max cell is not read") << QStringList{"", "zzz", "", "", "", ""}
                                                      << QStringList{"QM-A", "qm-b", "QM-FAST", "other"};
    QTest::newRow("min only") << QStringList{"", "", "10", "", "", ""} << QStringList{"qm-b", "QM-FAST"};
    QTest::newRow("max only, no number reads 0") << QStringList{"", "", "", "9", "", ""}
                                                 << QStringList{"QM-A", "other"};
    QTest::newRow("closed range") << QStringList{"", "", "2", "10", "", ""} << QStringList{"QM-A", "qm-b"};
    QTest::newRow("number with a unit after a blank") << QStringList{"", "", "", "", "3", ""}
                                                      << QStringList{"qm-b", "other"};
    QTest::newRow("empty cell reads 0") << QStringList{"", "", "", "", "", "2"} << QStringList{"QM-A", "QM-FAST"};
    QTest::newRow("all must pass") << QStringList{"QM", "", "3", "", "1", "4"} << QStringList{"qm-b"};
    QTest::newRow("no row passes") << QStringList{"", "", "17", "", "", ""} << QStringList();
}

void TestCatalogDialog::filters()
{
    QFETCH(QStringList, cells);
    auto d = dialog();
    for (int i = 0; i < cells.size(); ++i)
        d->filterModel()->setData(d->filterModel()->index(i / 2, i % 2), cells.at(i));
    // The user ends an edit: the filter table's delegate tells the dialog.
    emit d->filterView()->itemDelegate()->closeEditor(nullptr);
    QStringList parts;
    for (int row = 0; row < d->proxy()->rowCount(); ++row)
        parts.append(d->proxy()->index(row, 0).data().toString());
    QTEST(parts, "parts");
}

void TestCatalogDialog::emptiedFilterRowRemovesTheFilter()
{
    auto d = dialog();
    d->filterModel()->setData(d->filterModel()->index(1, 0), "11");
    d->updateFilters();
    QCOMPARE(d->filters.size(), 1);
    QVERIFY(d->filters.first().numeric);
    QCOMPARE(d->filters.first().column, 2);
    QCOMPARE(d->filters.first().min, 11.0);
    QCOMPARE(d->filters.first().max, 999999999.9);
    QCOMPARE(d->proxy()->rowCount(), 1);
    d->filterModel()->setData(d->filterModel()->index(1, 0), "");
    d->updateFilters();
    QVERIFY(d->filters.isEmpty());
    QCOMPARE(d->proxy()->rowCount(), 4);
}

void TestCatalogDialog::recordFillsElementsImageAndPlot()
{
    auto d = dialog();
    // A click on the first row of the filtered view applies that record.
    d->filterModel()->setData(d->filterModel()->index(0, 0), "-a");
    d->updateFilters();
    QCOMPARE(d->proxy()->rowCount(), 1);
    d->show();
    const QRect cell = d->recordView()->visualRect(d->proxy()->index(0, 1));
    QTest::mouseClick(d->recordView()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());

    QCOMPARE(m_fixture->value("MULT"), QString("2"));
    QCOMPARE(m_fixture->value("SUPPLY").toDouble(), 1.8);
    QCOMPARE(m_fixture->value("NAME"), QString("alpha"));
    QCOMPARE(m_fixture->value("DOC"), QString("<a href=\"http://a\">sheet</a>"));
    auto *image = qobject_cast<Image *>(m_fixture->window->panel()->registries().imagesByName.value("PIC"));
    QVERIFY(image);
    QCOMPARE(image->pixmap(Qt::ReturnByValue).size(), QSize(4, 3));

    auto *plot = qobject_cast<MyQwtPlot *>(m_fixture->window->panel()->registries().plotsByName.value("CURVE"));
    QVERIFY(plot);
    QCOMPARE(plot->minX, 0u);
    QCOMPARE(plot->maxX, 10u);
    QCOMPARE(plot->minY, 0.0f);
    QCOMPARE(plot->maxY, 100.0f);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 10.0);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 100.0);
    const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
    QVERIFY(!curves.isEmpty());
    FloatSeriesData *series = MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(curves.first()));
    QVERIFY(series);
    QCOMPARE(series->capacity(), 10);
    QList<float> samples;
    for (size_t i = 0; i < series->size(); ++i)
        samples.append(float(series->sample(i).y()));
    QCOMPARE(samples, (QList<float>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));

    // A text with the item separators of setDef arrives whole.
    d->applyRecord(3);
    QCOMPARE(m_fixture->value("NAME"), QString("d;e=f"));
    // An empty number cell sets 0; empty image and curve cells leave them be.
    d->applyRecord(2);
    QCOMPARE(m_fixture->value("SUPPLY").toDouble(), 0.0);
    QCOMPARE(m_fixture->value("MULT"), QString("16"));
    QCOMPARE(plot->maxX, 10u);
}

void TestCatalogDialog::columnWithoutParameterIsTypedOther()
{
    // NAME has no parameter: its text goes in unchanged, and the columns after
    // it keep their own parameters (MULT stays a number, DOC a link).
    auto d = dialog();
    d->applyRecord(1);
    QCOMPARE(m_fixture->value("NAME"), QString("beta"));
    QCOMPARE(m_fixture->value("MULT"), QString("10"));
    QCOMPARE(m_fixture->value("DOC"), QString("<a href=\"http://b\">sheet</a>"));
    // Rows outside the catalog do nothing.
    d->applyRecord(-1);
    d->applyRecord(99);
    QCOMPARE(m_fixture->value("NAME"), QString("beta"));
}

void TestCatalogDialog::plotPointsAreBounded()
{
    // Huge, negative, reversed and broken points: bounded axes, at most a
    // buffer's worth of samples, no hang.
    writeTestFile(m_fixture->env->path("catalog.xml"),
                  "<Catalog><CatalogEntry CURVE=\"0,1;1e300,2;-5,x;;7;nan,nan;inf,3\"/>"
                  "<CatalogEntry CURVE=\"5,1;3,2;3,9\"/></Catalog>");
    auto d = dialog();
    d->applyRecord(0);
    auto *plot = qobject_cast<MyQwtPlot *>(m_fixture->window->panel()->registries().plotsByName.value("CURVE"));
    QCOMPARE(plot->maxX, std::numeric_limits<quint32>::max());
    FloatSeriesData *series =
        MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(plot->itemList(QwtPlotItem::Rtti_PlotCurve).first()));
    QVERIFY(series->size() <= size_t(FloatSeriesData::maxCapacity));
    d->applyRecord(1);
    QCOMPARE(plot->minX, 3u);
    QCOMPARE(plot->maxX, 5u);
    QCOMPARE(series->size(), size_t(0));
}

void TestCatalogDialog::missingCatalogLeavesAnEmptyDialog()
{
    m_fixture->clearErrors();
    SelectFromCatalogDialog d(m_fixture->window.get(), m_fixture->env->path("none.xml"), m_fixture->window->panel());
    QCOMPARE(d.recordModel()->rowCount(), 0);
    QCOMPARE(d.filterModel()->rowCount(), 0);
    QVERIFY(d.columns().isEmpty());
    const QString errors = m_fixture->errors().join('\n');
    QVERIFY2(errors.contains("Cannot open file " + m_fixture->env->path("none.xml") + ":\n"), qPrintable(errors));
    d.applyRecord(0);

    // The window's entry point resolves the name against the working
    // directory and shows nothing in a run without a user.
    m_fixture->window->setWorkingDir(m_fixture->env->path(QString()));
    QVERIFY(!m_fixture->window->selectFromCatalog("catalog.xml"));
    QVERIFY(m_fixture->consoleLines().join('\n').contains("Catalog not shown"));
}

void TestCatalogDialog::elementValues_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("value");
    QTest::newRow("float with unit") << "float" << "3.3 V" << "3.3";
    QTest::newRow("float empty") << "float" << "" << "0";
    QTest::newRow("ul32 padded") << "ul32" << " 42 " << "42";
    QTest::newRow("URL") << "URL" << "http://x" << "<a href=\"http://x\">note</a>";
    QTest::newRow("other keeps blanks") << "text" << "a b" << "a b";
    QTest::newRow("no parameter") << "" << "7 V" << "7 V";
}

void TestCatalogDialog::elementValues()
{
    QFETCH(QString, type);
    QFETCH(QString, cell);
    QTEST(SelectFromCatalogDialog::elementValue(type, cell, "note"), "value");
}

void TestCatalogDialog::exampleCatalog()
{
    // The example panel with its parameter map, and the catalog beside it.
    const QString dir = m_fixture->env->path("examples");
    QDir().mkpath(dir);
    for (const char *name : {"catalog.xml", "demo_parameters.xml", "demo_catalog.xml", "demo_migration.txt"})
        QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + name, dir + "/" + name));
    MainWindow *window = m_fixture->window.get();
    m_fixture->clearErrors();
    QVERIFY(window->open(dir + "/catalog.xml"));
    window->initLoadedConfiguration(true);
    QVERIFY2(m_fixture->errors().isEmpty(), qPrintable(m_fixture->errors().join('\n')));
    QCOMPARE(window->panel()->header().parameterMap.size(), 7);

    SelectFromCatalogDialog d(window, dir + "/demo_catalog.xml", window->panel());
    QCOMPARE(d.records().size(), 4);
    QStringList headers;
    for (int i = 0; i < d.recordModel()->columnCount(); ++i)
        headers.append(d.recordModel()->headerData(i, Qt::Horizontal).toString());
    QCOMPARE(headers, (QStringList{"Part", "PLL\nmultiplier", "Supply\nvoltage", "Board\nname", "System\nclock",
                                   "Notes"}));
    // Boards with a clock of 60 MHz or more whose notes speak of the clock.
    d.filterModel()->setData(d.filterModel()->index(3, 0), "60");
    d.filterModel()->setData(d.filterModel()->index(4, 0), "CLOCK");
    d.updateFilters();
    QCOMPARE(d.proxy()->rowCount(), 2);
    d.applyRecord(d.proxy()->mapToSource(d.proxy()->index(1, 0)).row());
    QCOMPARE(m_fixture->value("DEMO_PLL_MULT"), QString("16"));
    QCOMPARE(m_fixture->value("DEMO_OSC_TRIM"), QString("48"));
    QCOMPARE(m_fixture->value("DEMO_SUPPLY").toDouble(), 3.6);
    QCOMPARE(m_fixture->value("DEMO_BOARD_NAME"), QString("qm-max-128"));
}

QTEST_MAIN(TestCatalogDialog)
#include "tst_catalogdialog.moc"
