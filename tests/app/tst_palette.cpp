// Every view that draws text on colours of its own, under a light and a dark
// palette: the texts it shows reach 4.5:1 against what they are drawn on
// (3:1 for a check box's frame), measured on the colours the view uses and,
// where the view paints them itself, on the pixels it draws.

#include "checkbox.h"
#include "contrast.h"
#include "lockdialog.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelfixture.h"
#include "pinmapping.h"
#include "pinmappingdetailsdialog.h"
#include "pinmappingmodel.h"
#include "pinmappingview.h"
#include "qgraphicschipitem.h"
#include "registerview.h"
#include "showxmldialog.h"
#include "svddialog.h"
#include "table.h"
#include "tabwidget.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A widget as the window shows it (a grab of the widget alone fills in its
// palette's window colour, which the window may not show behind it).
QImage asShown(QWidget *widget)
{
    QWidget *window = widget->window();
    return window->grab(QRect(widget->mapTo(window, QPoint()), widget->size())).toImage();
}

struct Sample {
    QString what;
    QColor text;
    QColor background;
    double minimum = readableTextContrast;
};

// A dark palette as qt5ct's dark scheme sets it.
QPalette darkPalette()
{
    QPalette dark;
    const auto all = [&dark](QPalette::ColorRole role, const QColor &colour) {
        for (int group = 0; group < QPalette::NColorGroups; ++group)
            dark.setColor(QPalette::ColorGroup(group), role, colour);
    };
    all(QPalette::Window, QColor(0x35, 0x35, 0x35));
    all(QPalette::WindowText, Qt::white);
    all(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    all(QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
    all(QPalette::ToolTipBase, QColor(0x2a, 0x2a, 0x2a));
    all(QPalette::ToolTipText, Qt::white);
    all(QPalette::Text, Qt::white);
    all(QPalette::Button, QColor(0x35, 0x35, 0x35));
    all(QPalette::ButtonText, Qt::white);
    all(QPalette::BrightText, Qt::red);
    all(QPalette::Light, QColor(0x42, 0x42, 0x42));
    all(QPalette::Midlight, QColor(0x3a, 0x3a, 0x3a));
    all(QPalette::Mid, QColor(0x28, 0x28, 0x28));
    all(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    all(QPalette::Shadow, QColor(0x14, 0x14, 0x14));
    all(QPalette::Link, QColor(0x2a, 0x82, 0xda));
    all(QPalette::LinkVisited, QColor(0x82, 0x2a, 0xda));
    all(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    all(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}

// The colour of a pixel most unlike background inside rect of image: the
// colour text in rect is drawn in.
QColor inkIn(const QImage &image, const QRect &rect, const QColor &background)
{
    QColor ink = background;
    double best = 1.0;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const double ratio = contrastRatio(pixel, background);
            if (ratio > best) {
                best = ratio;
                ink = pixel;
            }
        }
    }
    return ink;
}

// The colour role brush of an item, else the given palette colour.
QColor itemColour(const QStandardItem *item, int role, const QColor &otherwise)
{
    const QVariant value = item->data(role);
    return value.canConvert<QBrush>() && value.value<QBrush>().style() != Qt::NoBrush ? value.value<QBrush>().color()
                                                                                      : otherwise;
}

// The texts of a model's items (and their children), in the colours the view
// draws them in: the item's own brushes, else the view's palette.
void modelSamples(const QString &view, const QStandardItemModel *model, const QPalette &palette,
                  QVector<Sample> *samples)
{
    std::function<void(const QStandardItem *)> visit = [&](const QStandardItem *item) {
        if (!item->text().isEmpty()) {
            const QPalette::ColorGroup group = item->isEnabled() ? QPalette::Active : QPalette::Disabled;
            samples->append({view + QStringLiteral(": ") + item->text().section(QLatin1Char('\n'), 0, 0),
                             itemColour(item, Qt::ForegroundRole, palette.color(group, QPalette::Text)),
                             itemColour(item, Qt::BackgroundRole, palette.color(QPalette::Active, QPalette::Base))});
        }
        for (int r = 0; r < item->rowCount(); ++r)
            for (int c = 0; c < item->columnCount(); ++c)
                if (const QStandardItem *child = item->child(r, c))
                    visit(child);
    };
    for (int r = 0; r < model->rowCount(); ++r)
        for (int c = 0; c < model->columnCount(); ++c)
            if (const QStandardItem *item = model->item(r, c))
                visit(item);
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void textsReadOnTheirBackgrounds_data();
    void textsReadOnTheirBackgrounds();

public:
    // Each builds its view under the application's palette and gives the
    // texts it shows with the colours they are drawn in and on.
    QVector<Sample> console();
    QVector<Sample> svdDialog();
    QVector<Sample> lockGraph();
    QVector<Sample> pinDrawing();
    QVector<Sample> pinDetails();
    QVector<Sample> registerView();
    QVector<Sample> panelEditor();
    QVector<Sample> checkBox();
    QVector<Sample> foundElement();
    QVector<Sample> tableSelection();

private:
    void openExample(const QStringList &files);
    void showTab(const QString &label);

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestPalette::cleanup()
{
    m_fixture.reset();
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestPalette::openExample(const QStringList &files)
{
    m_fixture = std::make_unique<PanelFixture>();
    QVERIFY(m_fixture->openShown(QStringLiteral(QUILLMATE_EXAMPLES), files));
    QCoreApplication::processEvents();
}

void TestPalette::showTab(const QString &label)
{
    m_fixture->showTab(label);
}

static const QStringList demoFiles{"demo.xml", "pins_chip.xml", "demo_catalog.xml", "demo_parameters.xml"};

// The console's lines in the colours their printers give them, on the page
// it draws (read from its pixels).
QVector<Sample> TestPalette::console()
{
    openExample(demoFiles);
    MainWindow *window = m_fixture->window.get();
    window->consolePrint(QStringLiteral("<b><font color=\"red\"> XML Error: </font>broken <a href=\"X\">X</a> (here)<br>"));
    window->consolePrint(QStringLiteral("<b><font color=\"orange\"> XML Warning: </font>odd<br>"));
    window->consolePrint(QStringLiteral("<font color=\"blue\"><b>Loaded configuration: </font></b>demo<br>"));
    window->consolePrint(QStringLiteral("<font color=\"green\"><b>Conflict cleared:</font></b> X<br>"));
    window->consolePrint(QStringLiteral("<font color=\"darkorange\">was set</font><br>plain text<br>"));
    QTextBrowser *browser = window->findChild<QTextBrowser *>(QStringLiteral("console"));
    QCoreApplication::processEvents();
    const QImage drawn = browser->viewport()->grab().toImage();
    const QColor page = drawn.pixelColor(drawn.width() - 3, drawn.height() - 3);
    QVector<Sample> samples;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QColor text = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                                            : browser->palette().color(QPalette::Text);
            if (format.isAnchor() && !format.hasProperty(QTextFormat::ForegroundBrush))
                text = browser->palette().color(QPalette::Link);
            samples.append({QStringLiteral("console: ") + fragment.text(), text, page});
        }
    }
    return samples;
}

QVector<Sample> TestPalette::svdDialog()
{
    openExample({"registers.xml", "demo.svd"});
    ShowSvdDialog dialog(m_fixture->window->panel());
    auto *tree = dialog.findChild<QTreeView *>();
    dialog.show();
    tree->expandAll();
    QCoreApplication::processEvents();
    QVector<Sample> samples;
    modelSamples(QStringLiteral("SVD tree"), dialog.model(), tree->palette(), &samples);
    // The page as drawn.
    const QImage drawn = tree->viewport()->grab().toImage();
    samples.append({QStringLiteral("SVD tree page"), tree->palette().color(QPalette::Text),
                    drawn.pixelColor(drawn.width() - 2, drawn.height() - 2)});
    return samples;
}

QVector<Sample> TestPalette::lockGraph()
{
    openExample(demoFiles);
    LockDialog *dialog = m_fixture->window->panel()->locks().lockGraph();
    QVector<Sample> samples;
    if (!dialog)
        return samples;
    for (QNEBlock *block : dialog->blocks()) {
        for (QNEPort *port : block->ports()) {
            const QColor text = port->label()->defaultTextColor();
            samples.append({QStringLiteral("lock block: ") + port->portName(), text, block->brush().color()});
            samples.append({QStringLiteral("lock block, selected: ") + port->portName(), text, QColor(Qt::yellow)});
        }
    }
    return samples;
}

// The chip as the view draws it, three times enlarged so that glyph stems
// show their colour: the pin labels on their pins, the name on the body.
QVector<Sample> TestPalette::pinDrawing()
{
    openExample(demoFiles);
    showTab(QStringLiteral("Pins"));
    QVector<Sample> samples;
    auto *pins = m_fixture->window->findChild<PinMapping *>(QStringLiteral("PIN_VIEW"));
    if (!pins)
        return samples;
    PinMappingModel &model = m_fixture->window->panel()->pinMappingModel();
    const QRectF chip = pins->chipItem()->boundingRect();
    const int scale = 3;
    QImage image((chip.size() * scale).toSize(), QImage::Format_ARGB32);
    image.fill(model.backgroundColor);
    {
        QPainter painter(&image);
        pins->scene()->render(&painter, QRectF(image.rect()), chip);
    }
    for (const PinEntry &pin : qAsConst(model.pins)) {
        const QRect box(pin.hitRect.topLeft() * scale, pin.hitRect.size() * scale);
        samples.append({QStringLiteral("pin ") + pin.pinName, inkIn(image, box, pin.color), pin.color});
    }
    const QRectF body = pins->chipItem()->chipRect();
    const QRect middle = QRectF(body.center() * scale - QPointF(60, 20) * scale, QSizeF(120, 40) * scale).toRect();
    samples.append({QStringLiteral("chip name"), inkIn(image, middle, model.chipColor), model.chipColor});
    // The view's own page around the picture.
    samples.append({QStringLiteral("pin view page"), pins->view()->palette().color(QPalette::Text),
                    pins->view()->palette().color(QPalette::Base)});
    return samples;
}

QVector<Sample> TestPalette::pinDetails()
{
    openExample(demoFiles);
    showTab(QStringLiteral("Pins"));
    QVector<Sample> samples;
    auto *pins = m_fixture->window->findChild<PinMapping *>(QStringLiteral("PIN_VIEW"));
    if (!pins)
        return samples;
    pins->showDetails();
    QCoreApplication::processEvents();
    PortMappingDetailsDialog *details = pins->detailsDialog();
    modelSamples(QStringLiteral("pin details"), details->model(), details->tableView()->palette(), &samples);
    details->close();
    return samples;
}

QVector<Sample> TestPalette::registerView()
{
    openExample({"registers.xml", "demo.svd"});
    QVector<Sample> samples;
    for (RegisterView *view : m_fixture->window->findChildren<RegisterView *>()) {
        const QPalette header = view->horizontalHeader()->palette();
        const QStandardItemModel *model = view->tableModel();
        for (int c = 0; c < model->columnCount(); ++c) {
            const QStandardItem *item = model->horizontalHeaderItem(c);
            if (!item)
                continue;
            samples.append({QStringLiteral("register header: ") + item->text().section(QLatin1Char('\n'), 0, 0),
                            itemColour(item, Qt::ForegroundRole, header.color(QPalette::ButtonText)),
                            itemColour(item, Qt::BackgroundRole, header.color(QPalette::Button))});
        }
        modelSamples(QStringLiteral("register cells"), model, view->palette(), &samples);
    }
    return samples;
}

// The attribute names of the element chosen in the editor, greyed out on
// both row colours.
QVector<Sample> TestPalette::panelEditor()
{
    openExample(demoFiles);
    QVector<Sample> samples;
    auto *area = qobject_cast<QScrollArea *>(m_fixture->window->centralWidget());
    ActiveElement *element = m_fixture->window->panel()->getActiveElement(QStringLiteral("DEMO_PLL_MULT"));
    if (!area || !element)
        return samples;
    ShowXMLDialog editor(area->widget(), nullptr, m_fixture->window->panel());
    editor.show();
    const QModelIndex index = editor.indexOf(objectOf(element));
    editor.treeView()->setCurrentIndex(index);
    editor.on_clicked(index);
    QCoreApplication::processEvents();
    QTableView *properties = editor.propertyView();
    const QPalette palette = properties->palette();
    const QStandardItemModel *model = editor.propertyModel();
    for (int r = 0; r < model->rowCount(); ++r) {
        const QStandardItem *name = model->item(r, 0);
        const QColor rowColour = palette.color(QPalette::Active, r % 2 ? QPalette::AlternateBase : QPalette::Base);
        const QPalette::ColorGroup group = name->isEnabled() ? QPalette::Active : QPalette::Disabled;
        samples.append({QStringLiteral("attribute name: ") + name->text(),
                        itemColour(name, Qt::ForegroundRole, palette.color(group, QPalette::Text)), rowColour});
        if (const QStandardItem *value = model->item(r, 1))
            samples.append({QStringLiteral("attribute value: ") + value->text(),
                            itemColour(value, Qt::ForegroundRole, palette.color(QPalette::Active, QPalette::Text)),
                            rowColour});
    }
    return samples;
}

// An unchecked check box as drawn: its frame against the window around it,
// its label in the palette's colour.
QVector<Sample> TestPalette::checkBox()
{
    openExample(demoFiles);
    showTab(QStringLiteral("Clock"));
    QVector<Sample> samples;
    auto *box = m_fixture->widget<CheckBox>(QStringLiteral("DEMO_PLL_ENABLE"));
    if (!box)
        return samples;
    box->setChecked(false);
    const QImage drawn = asShown(box);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const QColor around = drawn.pixelColor(indicator.right() + 2 < drawn.width() ? drawn.width() - 1 : 0,
                                           drawn.height() - 1);
    // The frame: the pixels of the indicator's outer ring.
    QColor frame = around;
    double best = 1.0;
    for (int x = indicator.left(); x <= indicator.right(); ++x) {
        for (int y : {indicator.top(), indicator.bottom()}) {
            const double ratio = contrastRatio(drawn.pixelColor(x, y), around);
            if (ratio > best) {
                best = ratio;
                frame = drawn.pixelColor(x, y);
            }
        }
    }
    samples.append({QStringLiteral("check box frame"), frame, around, visibleFrameContrast});
    const QRect label(indicator.right() + 2, 0, drawn.width() - indicator.right() - 2, drawn.height());
    samples.append({QStringLiteral("check box label"), inkIn(drawn, label, around), around});
    return samples;
}

// A found spin box marked blue, and a label marked by the editor: the digits
// and the text as drawn.
QVector<Sample> TestPalette::foundElement()
{
    openExample(demoFiles);
    showTab(QStringLiteral("Clock"));
    QVector<Sample> samples;
    ActiveElement *element = m_fixture->window->panel()->getActiveElement(QStringLiteral("DEMO_PLL_MULT"));
    auto *spin = qobject_cast<QSpinBox *>(objectOf(element));
    if (!spin)
        return samples;
    m_fixture->window->elementFinder().raiseElement(element);
    QCoreApplication::processEvents();
    const QImage drawn = asShown(spin);
    const QColor mark = drawn.pixelColor(4, drawn.height() / 2);
    samples.append({QStringLiteral("found spin box: ") + spin->text(), inkIn(drawn, drawn.rect().adjusted(2, 2, -2, -2), mark),
                    mark});
    m_fixture->window->panelShell().cancelHighlight();

    QLabel *label = nullptr;
    for (QLabel *each : m_fixture->window->centralWidget()->findChildren<QLabel *>())
        if (each->isVisible() && !each->text().isEmpty() && !label)
            label = each;
    if (!label)
        return samples;
    m_fixture->window->elementFinder().raiseWidget(label);
    QCoreApplication::processEvents();
    const QImage text = asShown(label);
    const QColor behind = text.pixelColor(text.width() - 1, text.height() - 1);
    samples.append({QStringLiteral("marked label: ") + label->text().left(20), inkIn(text, text.rect(), behind), behind});
    m_fixture->window->panelShell().cancelHighlight();
    return samples;
}

namespace {

using Collect = QVector<Sample> (TestPalette::*)();

const struct {
    const char *view;
    Collect collect;
} views[] = {
    {"console", &TestPalette::console},           {"SVD dialog", &TestPalette::svdDialog},
    {"lock graph", &TestPalette::lockGraph},      {"pin drawing", &TestPalette::pinDrawing},
    {"pin details", &TestPalette::pinDetails},    {"register view", &TestPalette::registerView},
    {"panel editor", &TestPalette::panelEditor},  {"check box", &TestPalette::checkBox},
    {"found element", &TestPalette::foundElement}, {"table selection", &TestPalette::tableSelection},
};

} // namespace

// A table's selected cells in the colours it sets for its selection.
QVector<Sample> TestPalette::tableSelection()
{
    openExample(demoFiles);
    showTab(QStringLiteral("Sequence"));
    QVector<Sample> samples;
    auto *table = m_fixture->widget<Table>(QStringLiteral("REG_SEQUENCE"));
    if (!table)
        return samples;
    const QPalette palette = table->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        samples.append({QStringLiteral("table selection (%1)").arg(group == QPalette::Active ? "active" : "inactive"),
                        palette.color(group, QPalette::HighlightedText), palette.color(group, QPalette::Highlight)});
    return samples;
}

void TestPalette::textsReadOnTheirBackgrounds_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("dark");
    for (int v = 0; v < int(sizeof views / sizeof *views); ++v) {
        QTest::addRow("%s, light palette", views[v].view) << v << false;
        QTest::addRow("%s, dark palette", views[v].view) << v << true;
    }
}

void TestPalette::textsReadOnTheirBackgrounds()
{
    QFETCH(int, view);
    QFETCH(bool, dark);
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    const QVector<Sample> samples = (this->*views[view].collect)();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(!samples.isEmpty(), "the view shows no text to measure");
    QStringList unreadable;
    for (const Sample &sample : samples) {
        const double ratio = contrastRatio(sample.text, sample.background);
        if (ratio < sample.minimum)
            unreadable << QStringLiteral("%1: %2 on %3 (%4:1)")
                              .arg(sample.what.trimmed(), sample.text.name(), sample.background.name())
                              .arg(ratio, 0, 'f', 2);
    }
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"
