// The example panels as a user sees them in a shown window: every view is as
// large as the room it is given, shows what it holds and stays readable under
// a dark palette.

#include "lockdialog.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelfixture.h"
#include "pinmapping.h"
#include "pinmappingview.h"
#include "qgraphicschipitem.h"
#include "svddialog.h"
#include "svdtree.h"
#include "table.h"
#include "tabwidget.h"

#include <QApplication>
#include <QComboBox>
#include <QGraphicsView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <qwt_plot.h>
#include <qwt_scale_widget.h>

#include <memory>

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void svdTreeFillsItsElement();
    void svdDialogListsTheChipsPeripherals();
    void lockGraphBlocksApartAndInsideTheDialog();
    void sequenceRowsShowFormulaValuesAndDeleteIcon();
    void pinChipFitsTheViewAfterEveryResize();
    void darkPaletteKeepsTextReadable();
    void firstTabLaidOutWhenShown_data();
    void firstTabLaidOutWhenShown();

private:
    // Copies the example files into the fixture's folder and opens the first
    // in a shown window of a fixed size.
    void openExample(const QStringList &files);
    // Makes the tab labelled label current and lets the layouts run.
    void showTab(const QString &label);

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestViews::cleanup()
{
    m_fixture.reset();
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestViews::openExample(const QStringList &files)
{
    m_fixture = std::make_unique<PanelFixture>();
    QVERIFY(m_fixture->openShown(QStringLiteral(QUILLMATE_EXAMPLES), files));
    QCOMPARE(m_fixture->errors(), QStringList());
    QCoreApplication::processEvents();
}

void TestViews::showTab(const QString &label)
{
    if (!m_fixture->showTab(label))
        QFAIL(qPrintable(QStringLiteral("no tab ") + label));
}

void TestViews::svdTreeFillsItsElement()
{
    openExample({"registers.xml", "demo.svd"});
    showTab(QStringLiteral("Chip"));
    auto *tree = m_fixture->widget<SvdTree>(QStringLiteral("DEMO_SVD_TREE"));
    QVERIFY(tree);
    // The tree takes the room of its tab page, and its inner view all of it.
    QWidget *page = tree->parentWidget();
    QVERIFY2(tree->width() > page->width() * 9 / 10 && tree->height() > page->height() * 9 / 10,
             qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(tree->width()).arg(tree->height())
                            .arg(page->width()).arg(page->height())));
    QCOMPARE(tree->innerView()->geometry(), tree->rect());
    QVERIFY(tree->innerView()->model()->rowCount() > 0);

    // And follows it when the window grows.
    m_fixture->window->resize(m_fixture->window->width() - 100, m_fixture->window->height() - 100);
    QCoreApplication::processEvents();
    QCOMPARE(tree->innerView()->geometry(), tree->rect());
}

void TestViews::svdDialogListsTheChipsPeripherals()
{
    openExample({"registers.xml", "demo.svd"});
    auto *peripherals = m_fixture->widget<QComboBox>(QStringLiteral("$PERIPHERALS$"));
    QVERIFY(peripherals);
    QStringList expected;
    for (int i = 0; i < peripherals->count(); ++i)
        expected << peripherals->itemText(i);
    expected.sort();
    QVERIFY(!expected.isEmpty());

    ShowSvdDialog dialog(m_fixture->window->panel());
    QStringList listed;
    for (int row = 0; row < dialog.model()->rowCount(); ++row)
        listed << dialog.model()->item(row)->text().section(QStringLiteral(" ("), 0, 0);
    QCOMPARE(listed, expected);
}

void TestViews::lockGraphBlocksApartAndInsideTheDialog()
{
    openExample({"demo.xml", "pins_chip.xml", "demo_catalog.xml", "demo_parameters.xml"});
    LockDialog *dialog = m_fixture->window->panel()->locks().lockGraph();
    QVERIFY(dialog);
    const QList<QNEBlock *> blocks = dialog->blocks();
    QVERIFY(blocks.size() >= 4);
    for (int i = 0; i < blocks.size(); ++i) {
        const QRectF a = blocks.at(i)->mapRectToScene(blocks.at(i)->outline());
        for (int j = i + 1; j < blocks.size(); ++j) {
            const QRectF b = blocks.at(j)->mapRectToScene(blocks.at(j)->outline());
            QVERIFY2(!a.intersects(b), qPrintable(blocks.at(i)->name() + QStringLiteral(" / ") + blocks.at(j)->name()));
        }
    }

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    // Sized to its graph: all of it in sight (the graph fits the test's screen).
    QGraphicsView *view = dialog->view();
    for (QNEBlock *block : blocks) {
        const QRect shown = view->mapFromScene(block->mapRectToScene(block->outline())).boundingRect();
        QVERIFY2(view->viewport()->rect().contains(shown), qPrintable(block->name()));
    }
    dialog->hide();

    // The toggle button's states have no names: its output says why.
    QNEBlock *toggle = nullptr;
    for (QNEBlock *block : blocks) {
        if (block->name() == QLatin1String("DEMO_LOCK_PLL") && !block->outputPortNames().isEmpty())
            toggle = block;
    }
    QVERIFY(toggle);
    for (QNEPort *port : toggle->ports()) {
        if (port->isOutput()) {
            QCOMPARE(port->portName(), QStringLiteral("???"));
            QVERIFY2(port->toolTip().contains(QLatin1String("ToggleButton")), qPrintable(port->toolTip()));
            QCOMPARE(port->label()->toolTip(), port->toolTip());
        }
    }
}

void TestViews::sequenceRowsShowFormulaValuesAndDeleteIcon()
{
    openExample({"demo.xml", "pins_chip.xml", "demo_catalog.xml", "demo_parameters.xml"});
    showTab(QStringLiteral("Sequence"));
    auto *table = m_fixture->widget<Table>(QStringLiteral("REG_SEQUENCE"));
    QVERIFY(table);
    int scaled = -1;
    int timeout = -1;
    for (int c = 0; c < Table::MaxColumns; ++c) {
        if (table->column(c).label == QLatin1String("Scaled"))
            scaled = c;
        if (table->column(c).label == QLatin1String("Timeout"))
            timeout = c;
    }
    const int remove = table->columnOfType(TableColumnDelete);
    QVERIFY(scaled >= 0 && timeout >= 0 && remove >= 0);
    // Every row has its delete icon.
    QVERIFY(!table->tableModel()->item(0, remove)->icon().isNull());

    QPushButton *add = nullptr;
    for (QPushButton *button : m_fixture->window->findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Add a row"))
            add = button;
    }
    QVERIFY(add);
    QTest::mouseClick(add, Qt::LeftButton);
    // The math columns hold the formulas' values of the moment the row was added.
    QCOMPARE(table->cellText(0, 0), QStringLiteral("SEQ.GAIN"));
    QCOMPARE(table->typedText(0, TableColumnValue), QStringLiteral("0x00000004"));
    QCOMPARE(table->cellText(0, quint16(scaled)), QStringLiteral("100"));
    QCOMPARE(table->cellText(0, quint16(timeout)), QStringLiteral("45"));
    QVERIFY(!table->tableModel()->item(0, remove)->icon().isNull());
}

void TestViews::pinChipFitsTheViewAfterEveryResize()
{
    openExample({"demo.xml", "pins_chip.xml", "demo_catalog.xml", "demo_parameters.xml"});
    showTab(QStringLiteral("Pins"));
    auto *pins = m_fixture->window->findChild<PinMapping *>(QStringLiteral("PIN_VIEW"));
    QVERIFY(pins && pins->isVisible());
    QGraphicsView *view = pins->view();
    auto *panelArea = qobject_cast<QScrollArea *>(m_fixture->window->centralWidget());
    QVERIFY(panelArea);
    // At the start, after every resize of the window, larger or smaller, and
    // after the panel, larger than its window, is scrolled.
    const QSize scrolled(-1, 40);
    for (const QSize size : {QSize(), QSize(1600, 1000), QSize(1000, 700), scrolled, QSize(1400, 600),
                             QSize(1600, 1000)}) {
        if (size == scrolled) {
            QVERIFY(panelArea->verticalScrollBar()->maximum() > 0);
            panelArea->verticalScrollBar()->setValue(panelArea->verticalScrollBar()->value() + size.height());
        } else if (size.isValid()) {
            m_fixture->window->resize(size);
        }
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QString where = QStringLiteral("window %1x%2").arg(m_fixture->window->width()).arg(m_fixture->window->height());
        const QRect chip = view->mapFromScene(pins->chipItem()->sceneBoundingRect()).boundingRect();
        // In sight: inside the part of the view the window shows (a panel
        // larger than its window is cut by the window's scroll area).
        const QRect seen = view->viewport()->visibleRegion().boundingRect();
        QVERIFY2(seen.contains(chip),
                 qPrintable(QStringLiteral("%7: chip %1,%2 %3x%4 in %5,%6 %8x%9")
                                .arg(chip.x()).arg(chip.y()).arg(chip.width()).arg(chip.height())
                                .arg(seen.x()).arg(seen.y()).arg(where).arg(seen.width()).arg(seen.height())));
        // Fitted, not merely small: the chip spans most of the view one way.
        QVERIFY2(chip.width() > view->viewport()->width() / 2 || chip.height() > view->viewport()->height() / 2,
                 qPrintable(where));
    }
}

// The lightness of the colour behind a widget: the first of it and its
// parents that fills its background.
static int backgroundLightness(QWidget *widget)
{
    for (QWidget *at = widget; at; at = at->parentWidget()) {
        if (at->autoFillBackground() || at->isWindow())
            return at->palette().color(at->backgroundRole()).lightness();
    }
    return -1;
}

void TestViews::darkPaletteKeepsTextReadable()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(50, 50, 50));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Mid, QColor(90, 90, 90));
    QApplication::setPalette(dark);

    openExample({"demo.xml", "pins_chip.xml", "demo_catalog.xml", "demo_parameters.xml"});
    showTab(QStringLiteral("Display"));

    // Row labels of the panel.
    int labels = 0;
    for (QLabel *label : m_fixture->window->centralWidget()->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || !label->isVisible())
            continue;
        ++labels;
        const int text = label->palette().color(label->foregroundRole()).lightness();
        QVERIFY2(qAbs(text - backgroundLightness(label)) > 100, qPrintable(label->text()));
    }
    QVERIFY(labels > 0);

    // The plot's axes.
    auto *plot = m_fixture->window->centralWidget()->findChild<QwtPlot *>();
    QVERIFY(plot && plot->isVisible());
    QwtScaleWidget *axis = plot->axisWidget(QwtPlot::yLeft);
    const int axisText = axis->palette().color(QPalette::Text).lightness();
    QVERIFY(qAbs(axisText - backgroundLightness(axis)) > 100);

    // A panel's push button without a colour of its own, as drawn.
    showTab(QStringLiteral("Clock"));
    QPushButton *pick = nullptr;
    for (QPushButton *button : m_fixture->window->centralWidget()->findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Pick a board..."))
            pick = button;
    }
    QVERIFY(pick && pick->isVisible());
    const QImage button = pick->grab().toImage();
    const int buttonBackground = QColor(button.pixel(6, 4)).lightness();
    QVERIFY2(qAbs(pick->palette().color(QPalette::ButtonText).lightness() - buttonBackground) > 100,
             qPrintable(QStringLiteral("button background %1").arg(buttonBackground)));

    // "File" and "Extras" on the tool bar, as drawn.
    auto *bar = m_fixture->window->findChild<QToolBar *>(QStringLiteral("toolBar"));
    QVERIFY(bar);
    const QImage drawn = bar->grab().toImage();
    QVERIFY(!drawn.isNull());
    const int barBackground = QColor(drawn.pixel(2, drawn.height() / 2)).lightness();
    QToolButton *file = nullptr;
    for (QToolButton *button : bar->findChildren<QToolButton *>()) {
        if (button->text().remove(QLatin1Char('&')) == QLatin1String("File"))
            file = button;
    }
    QVERIFY(file);
    const int buttonText = file->palette().color(QPalette::ButtonText).lightness();
    QVERIFY2(qAbs(buttonText - barBackground) > 100,
             qPrintable(QStringLiteral("text %1 on %2").arg(buttonText).arg(barBackground)));
}

void TestViews::firstTabLaidOutWhenShown_data()
{
    QTest::addColumn<bool>("shownBeforeOpen");
    QTest::newRow("window shown, then the open") << true;
    QTest::newRow("open, then the window shown") << false;
}

void TestViews::firstTabLaidOutWhenShown()
{
    QFETCH(bool, shownBeforeOpen);
    // A tab container that fits itself to its current page, as generated
    // panels have: a small first page and a second one thousands of pixels
    // tall, more than a window can draw.
    QString tall;
    for (int i = 0; i < 600; ++i)
        tall += QStringLiteral("<spinbox define=\"TALL_%1\"/>").arg(i);
    m_fixture = std::make_unique<PanelFixture>();
    m_fixture->window->resize(1280, 1000);
    if (shownBeforeOpen) {
        m_fixture->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture->window.get()));
    }
    QVERIFY(m_fixture->load(QStringLiteral("<tabcontainer label=\"Pages\" resize=\"1\">"
                                           "<gridcontainer columns=\"2\" label=\"First\">"
                                           "<stretch label=\"Speed\"/><spinbox define=\"SPEED\"/>"
                                           "<stretch label=\"Mode\"/><checkbox define=\"MODE\" label=\"On\"/>"
                                           "</gridcontainer>"
                                           "<verticalcontainer label=\"Second\">%1</verticalcontainer>"
                                           "</tabcontainer>")
                                .arg(tall)));
    if (!shownBeforeOpen) {
        // A window nobody sees yet shows the panel with itself.
        m_fixture->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture->window.get()));
    }

    // With the window shown (and, when it was shown before, with no event
    // run since the open): the first page is shown at its own size, its
    // widgets laid out inside it.
    auto *tabs = m_fixture->window->centralWidget()->findChild<TabWidget *>();
    QVERIFY(tabs);
    QWidget *page = tabs->currentWidget();
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("First"));
    QVERIFY(page->isVisible());
    // Not as tall as the tall page, which only counts once it is chosen.
    const int tallHeight = tabs->widget(1)->sizeHint().height();
    QVERIFY2(tabs->height() < tallHeight / 4,
             qPrintable(QStringLiteral("tabs %1 high beside a page of %2").arg(tabs->height()).arg(tallHeight)));
    for (const char *define : {"SPEED", "MODE"}) {
        auto *widget = m_fixture->widget<QWidget>(QLatin1String(define));
        QVERIFY(widget && widget->isVisible());
        QVERIFY(!widget->geometry().isEmpty());
        QVERIFY(page->rect().contains(QRect(widget->mapTo(page, QPoint()), widget->size())));
    }
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
