// The editor's property table, the edits applied to the live elements, the
// row editors and the sub-dialogs: each edit is checked on the widget and
// again after the panel was saved and read back.
#include "activeelement.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "elementdialogs.h"
#include "floatseriesdata.h"
#include "errorreporter.h"
#include "gridwidget.h"
#include "knob.h"
#include "led.h"
#include "lineedit.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlrecord.h"
#include "prompt.h"
#include "propertydelegates.h"
#include "pushbutton.h"
#include "showxmldialog.h"
#include "slider.h"
#include "spinbox.h"
#include "table.h"
#include "shellfixture.h"
#include "text.h"
#include "timerlabel.h"
#include "togglebutton.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QImage>
#include <QMenu>
#include <QButtonGroup>
#include <QRadioButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_thermo.h>

#include <memory>

class TestPropertyEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void rowsFollowTheElementKind_data();
    void rowsFollowTheElementKind();
    void rowDelegatesByName();
    void editsReachWidgetAndSavedPanel_data();
    void editsReachWidgetAndSavedPanel();
    void geometryEditsAreSaved();
    void refusedAndPassiveRowsShowTheElement();
    void expressionEditRegistersTheNewNames();
    void sizePolicyNamesAndChoice();
    void colourFontAndFileDelegates();
    void actionsDialogKeepsKeys();
    void itemsDialogWritesItems();
    void curvesAndColumnsDialogsApplyEdits();
    void dialogRowsEditThroughTheView();
    void editorIconsExist();

private:
    bool load(const QString &body);
    std::unique_ptr<ShowXMLDialog> makeEditor();
    QWidget *widgetOf(const QString &name) const;
    void selectElement(ShowXMLDialog &editor, QWidget *widget);
    int rowOf(ShowXMLDialog &editor, const QString &name) const;
    void editRow(ShowXMLDialog &editor, const QString &name, const QString &value);
    bool saveAndReopen(ShowXMLDialog &editor);

    std::unique_ptr<ShellFixture> f;
    std::unique_ptr<QTemporaryDir> dir;
};

static const char *const kindsPanel = R"(<verticalcontainer label="Root">
<header file="edit.h">
<groupcontainer label="Box">
  <checkbox define="CB" label="Check"/>
  <spinbox define="SP" range="0;9" default="4"/>
  <hexspinbox define="HX" range="0;255"/>
  <doublespinbox define="DS" range="0;10" default="1"/>
  <edit define="ED" label="1" readonly="0"/>
  <math define="M" formula="SP*2" format="%d"/>
  <knob define="KN" range="0;100"/>
  <togglebutton define="TB" label="T"/>
  <timer define="TM" interval="100"/>
  <combo define="CO"><item label="a" value="1"/><item label="b" value="2"/></combo>
  <slider define="SL" range="0;10"/>
  <radio define="RG" default="0">
    <radiobutton label="Run" value="0"/>
    <radiobutton label="Deep" value="2"><action event="selected" cmd="setDef" data="SP=0"/></radiobutton>
  </radio>
</groupcontainer>
<gridcontainer columns="2"><text label="hello"/></gridcontainer>
<absolutecontainer label="Abs"><text label="free" pos="1;2"/></absolutecontainer>
<button label="Go"><action event="clicked" cmd="setDef" data="SP=1"/></button>
<led define="LD" data="SP" bitmask="0x1"/>
<dial define="DI" data="SP" min="0" max="100"/>
<thermo data="SP" min="0" max="100" alarmlevel="80" normalcolor="0;0;255"/>
<plot xLabel="x" maxX="100" grid="3"><curve label="c" data="SP" color="255;0;0"/></plot>
<table define="TA" numrows="2"><column type="regname" label="Register" columnwidth="140"/><column type="value" label="Value"/></table>
</header>
</verticalcontainer>)";

void TestPropertyEdits::initTestCase()
{
    f = std::make_unique<ShellFixture>();
}

void TestPropertyEdits::init()
{
    Prompt::install(std::make_unique<NonInteractivePrompt>());
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(load(QString::fromUtf8(kindsPanel)));
}

bool TestPropertyEdits::load(const QString &body)
{
    const QString path = writeTestFile(QDir(dir->path()).filePath("panel.xml"), signedPanelText(body, QString()));
    return !path.isEmpty() && f->open(path);
}

std::unique_ptr<ShowXMLDialog> TestPropertyEdits::makeEditor()
{
    auto editor = std::make_unique<ShowXMLDialog>(f->root(), nullptr, f->panel.get());
    ShowXMLDialog::Services services;
    const QString workingDir = dir->path();
    services.workingDir = [workingDir] { return workingDir; };
    editor->setServices(services);
    return editor;
}

// An element by define, else the first widget of the class named so
// ("class:Text" for the first Text).
QWidget *TestPropertyEdits::widgetOf(const QString &name) const
{
    if (name.startsWith(QLatin1String("class:"))) {
        const QByteArray cls = name.mid(6).toLatin1();
        for (QWidget *w : f->panelWidget()->findChildren<QWidget *>()) {
            if (qstrcmp(w->metaObject()->className(), cls.constData()) == 0)
                return w;
        }
        return nullptr;
    }
    if (ActiveElement *element = f->panel.get()->getActiveElement(name))
        return qobject_cast<QWidget *>(objectOf(element));
    return f->panelWidget()->findChild<QWidget *>(name);
}

void TestPropertyEdits::selectElement(ShowXMLDialog &editor, QWidget *widget)
{
    const QModelIndex index = editor.indexOf(widget);
    QVERIFY2(index.isValid(), widget ? qPrintable(widget->objectName()) : "null");
    editor.treeView()->setCurrentIndex(index);
    editor.on_clicked(index);
}

int TestPropertyEdits::rowOf(ShowXMLDialog &editor, const QString &name) const
{
    QStandardItemModel *model = editor.propertyModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->item(row, 0)->text() == name)
            return row;
    }
    return -1;
}

// Types value into the row's cell and ends editing as the view does.
void TestPropertyEdits::editRow(ShowXMLDialog &editor, const QString &name, const QString &value)
{
    const int row = rowOf(editor, name);
    QVERIFY2(row >= 0, qPrintable(name));
    const QModelIndex cell = editor.propertyModel()->index(row, 1);
    editor.propertyView()->setCurrentIndex(cell);
    editor.propertyModel()->setData(cell, value);
    editor.closeEditor(nullptr, QAbstractItemDelegate::NoHint);
}

bool TestPropertyEdits::saveAndReopen(ShowXMLDialog &editor)
{
    const QString path = QDir(dir->path()).filePath("saved.xml");
    if (!editor.savePanel(path))
        return false;
    return f->open(path);
}

static QStringList rowNames(const QStringList &rows)
{
    QStringList names;
    for (const QString &row : rows)
        names << row.section(QLatin1Char('!'), 0, 0);
    return names;
}

static const QStringList geometry{"X", "Y", "Width", "Height", "SizePolH", "SizePolV", "Color", "Font"};

void TestPropertyEdits::rowsFollowTheElementKind_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QStringList>("rows"); // before the geometry rows
    QTest::newRow("group") << "class:GroupBox" << QStringList{"define", "Label"};
    QTest::newRow("grid") << "class:GridWidget" << QStringList{"define", "NrColumns", "Label"};
    QTest::newRow("checkbox") << "CB" << QStringList{"Define", "Label", "header", "inverted", "action"};
    QTest::newRow("spinbox") << "SP"
                             << QStringList{"Define", "Prefix", "Suffix", "Range", "Step", "default", "header", "action"};
    QTest::newRow("hexspinbox") << "HX" << QStringList{"Define", "Prefix", "Suffix", "Range", "Step", "header", "action"};
    QTest::newRow("math") << "M" << QStringList{"Define", "Label", "Format", "Expression", "Unit", "header", "action"};
    QTest::newRow("toggle") << "TB" << QStringList{"Define", "Label", "OnColor", "OffColor", "header", "inverted", "action"};
    QTest::newRow("timer") << "TM" << QStringList{"Define", "run", "singleShot", "interval", "header", "action"};
    QTest::newRow("combo") << "CO" << QStringList{"Define", "Items", "header", "action"};
    QTest::newRow("led") << "class:Led" << QStringList{"define", "data", "bitmask", "OnColor", "OffColor", "action"};
    QTest::newRow("dial") << "DI" << QStringList{"define", "Range", "data", "action"};
    QTest::newRow("plot") << "class:MyQwtPlot"
                          << QStringList{"define", "Curves", "maxX", "xLabel", "grid", "action"};
    QTest::newRow("table") << "TA" << QStringList{"Define", "Columns", "header", "action"};
    QTest::newRow("button") << "class:PushButton" << QStringList{"define", "Label", "action"};
}

void TestPropertyEdits::rowsFollowTheElementKind()
{
    QFETCH(QString, element);
    QFETCH(QStringList, rows);
    QWidget *widget = widgetOf(element);
    QVERIFY(widget);
    const QStringList all = ShowXMLDialog::propertyRows(widget);
    QCOMPARE(rowNames(all).join(QLatin1Char(',')), (rows + geometry).join(QLatin1Char(',')));
    // The table shows the same rows with the name column disabled.
    auto editor = makeEditor();
    selectElement(*editor, widget);
    QCOMPARE(editor->propertyModel()->rowCount(), all.size());
    QVERIFY(!(editor->propertyModel()->item(0, 0)->flags() & Qt::ItemIsEnabled));
}

void TestPropertyEdits::rowDelegatesByName()
{
    auto editor = makeEditor();
    QWidget *thermo = widgetOf("class:QwtThermo");
    thermo->setProperty("normalcolor", "0;0;255");
    thermo->setProperty("alarmcolor", "255;0;0");
    const struct {
        const char *element;
        const char *row;
        const char *delegate; // class name, or null for the view's own
    } cases[] = {
        {"SP", "SizePolH", "ComboBoxDelegate2"}, {"SP", "Font", "FontDelegate"},
        {"SP", "Color", "ColorDelegate"},        {"SP", "action", "ActionDelegate"},
        {"SP", "Range", nullptr},                {"CO", "Items", "ItemsDelegate"},
        {"TA", "Columns", "ColumnsDelegate"},    {"class:MyQwtPlot", "Curves", "CurvesDelegate"},
        {"class:QwtThermo", "normalcolor", "ColorDelegate"}, {"TB", "OnColor", nullptr},
    };
    for (const auto &c : cases) {
        selectElement(*editor, widgetOf(QLatin1String(c.element)));
        const int row = rowOf(*editor, QLatin1String(c.row));
        QVERIFY2(row >= 0, c.row);
        QAbstractItemDelegate *delegate = editor->propertyView()->itemDelegateForRow(row);
        if (!c.delegate)
            QVERIFY2(!delegate, c.row);
        else
            QVERIFY2(delegate && qstrcmp(delegate->metaObject()->className(), c.delegate) == 0, c.row);
    }
    // Another element leaves no delegate of the previous one behind.
    selectElement(*editor, widgetOf("CB"));
    QCOMPARE(editor->propertyView()->itemDelegateForRow(rowOf(*editor, "Label")), nullptr);
}

void TestPropertyEdits::editsReachWidgetAndSavedPanel_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown"); // the row's text when the element is shown again
    // Rows whose widget state the reader builds another way (a line's text
    // is its value; a colour goes to the role of the kind): the attribute
    // the saved file must hold instead.
    QTest::addColumn<QString>("saved");
    QTest::newRow("spin range") << "SP" << "Range" << "-5..50" << "-5..50" << "";
    QTest::newRow("spin step") << "SP" << "Step" << "5" << "5" << "";
    // Absurd values: what the widget takes is what the file keeps.
    QTest::newRow("spin range reversed") << "SP" << "Range" << "9..3" << "9..9" << "";
    QTest::newRow("spin step negative") << "SP" << "Step" << "-4" << "1" << "";
    QTest::newRow("spin range no number") << "SP" << "Range" << "a..b" << "0..0" << "";
    QTest::newRow("spin prefix") << "SP" << "Prefix" << "n=" << "n=" << "";
    QTest::newRow("spin suffix") << "SP" << "Suffix" << " mA" << " mA" << "";
    QTest::newRow("hex range") << "HX" << "Range" << "16..4095" << "16..4095" << "";
    QTest::newRow("double range fraction") << "DS" << "Range" << "0.5..2.5" << "0.5..2.5" << "";
    QTest::newRow("knob range") << "KN" << "Range" << "10..20" << "10..20" << "";
    QTest::newRow("dial range") << "DI" << "Range" << "5..55" << "5..55" << "";
    QTest::newRow("checkbox label") << "CB" << "Label" << "Other & <more>" << "Other & <more>" << "";
    QTest::newRow("edit label") << "ED" << "Label" << "12" << "12" << "label=\"12\"";
    QTest::newRow("button label") << "class:PushButton" << "Label" << "Start" << "Start" << "";
    QTest::newRow("text label") << "class:Text" << "Label" << "a!b" << "a" << "label=\"a!b\"";
    QTest::newRow("math format") << "M" << "Format" << "%5d" << "%5d" << "";
    QTest::newRow("math unit") << "M" << "Unit" << "V" << "V" << "";
    QTest::newRow("math expression") << "M" << "Expression" << "SP + 3" << "SP + 3" << "";
    QTest::newRow("toggle label") << "TB" << "Label" << "Flip" << "Flip" << "";
    QTest::newRow("toggle on colour") << "TB" << "OnColor" << "0;128;0" << "0,128,0" << "";
    QTest::newRow("timer interval") << "TM" << "interval" << "250" << "250" << "";
    QTest::newRow("led bitmask") << "class:Led" << "bitmask" << "4" << "4" << "";
    QTest::newRow("led on colour") << "class:Led" << "OnColor" << "0;0;255" << "0;0;255" << "";
    QTest::newRow("plot maxX") << "class:MyQwtPlot" << "maxX" << "500" << "500" << "";
    QTest::newRow("plot label") << "class:MyQwtPlot" << "xLabel" << "time" << "time" << "";
    QTest::newRow("grid columns") << "class:GridWidget" << "NrColumns" << "3" << "3" << "";
    QTest::newRow("group label") << "class:GroupBox" << "Label" << "Renamed" << "Renamed" << "";
    QTest::newRow("default") << "SP" << "default" << "7" << "7" << "";
    QTest::newRow("readonly") << "ED" << "Readonly" << "TRUE" << "1" << "";
    QTest::newRow("header") << "SP" << "header" << "other.h" << "other.h" << "";
    QTest::newRow("inverted") << "CB" << "inverted" << "true" << "1" << "role=\"inverted\"";
    QTest::newRow("timer run") << "TM" << "run" << "1" << "1" << "";
    QTest::newRow("plot grid") << "class:MyQwtPlot" << "grid" << "2" << "2" << "";
    QTest::newRow("thermo alarm") << "class:QwtThermo" << "alarmlevel" << "60" << "60" << "";
    QTest::newRow("thermo colour") << "class:QwtThermo" << "normalcolor" << "0;255;0" << "0;255;0" << "";
    QTest::newRow("define") << "CB" << "Define" << "CB2" << "CB2" << "";
    QTest::newRow("colour") << "class:Text" << "Color" << "255;0;0" << "255;0;0" << "color=\"255;0;0\"";
}

void TestPropertyEdits::editsReachWidgetAndSavedPanel()
{
    QFETCH(QString, element);
    QFETCH(QString, row);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    QWidget *widget = widgetOf(element);
    QVERIFY(widget);
    auto editor = makeEditor();
    selectElement(*editor, widget);
    editRow(*editor, row, value);
    const QString name = row == QLatin1String("Define") ? value : element;
    const auto check = [&](const char *when) {
        QWidget *now = widgetOf(name);
        QVERIFY2(now, when);
        const QStringList rows = ShowXMLDialog::propertyRows(now);
        const int i = rowNames(rows).indexOf(row);
        QVERIFY2(i >= 0, when);
        QString expected = shown;
        if (qstrcmp(when, "live") != 0 && row == QLatin1String("OnColor"))
            expected.replace(QLatin1Char(','), QLatin1Char(';')); // the file keeps red;green;blue
        QCOMPARE(rows.at(i).section(QLatin1Char('!'), 1, 1), expected);
    };
    check("live");
    QVERIFY(saveAndReopen(*editor));
    if (saved.isEmpty()) {
        check("saved and read again");
    } else {
        QFile file(QDir(dir->path()).filePath("saved.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll().contains(saved.toUtf8()), qPrintable(saved));
    }
}

void TestPropertyEdits::geometryEditsAreSaved()
{
    auto editor = makeEditor();
    QWidget *free = nullptr;
    for (Text *text : f->panelWidget()->findChildren<Text *>()) {
        if (text->text() == QLatin1String("free"))
            free = text;
    }
    QVERIFY(free);
    selectElement(*editor, free);
    editRow(*editor, "X", "40");
    editRow(*editor, "Y", "30");
    QCOMPARE(free->pos(), QPoint(40, 30));
    QCOMPARE(elementPropertyOf(free, "Pos").toString(), QStringLiteral("40;30"));
    QWidget *spin = widgetOf("SP");
    selectElement(*editor, spin);
    editRow(*editor, "Width", "200");
    QCOMPARE(elementPropertyOf(spin, "Size").toString(), QStringLiteral("200;-1"));
    editRow(*editor, "Height", "50");
    QCOMPARE(elementPropertyOf(spin, "Size").toString(), QStringLiteral("200;50"));
    editRow(*editor, "Height", "-7"); // no negative side
    QCOMPARE(elementPropertyOf(spin, "Size").toString(), QStringLiteral("200;0"));
    editRow(*editor, "Height", "50");
    editRow(*editor, "SizePolV", "expanding");
    editRow(*editor, "SizePolH", "Fixed"); // not a name: Minimum
    QCOMPARE(spin->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    QCOMPARE(elementPropertyOf(spin, "Sizepolicy").toString(), QStringLiteral("minimum;expanding"));
    QVERIFY(saveAndReopen(*editor));
    spin = widgetOf("SP");
    QCOMPARE(spin->size(), QSize(200, 50));
    QCOMPARE(spin->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(spin->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    for (Text *text : f->panelWidget()->findChildren<Text *>()) {
        if (text->text() == QLatin1String("free"))
            QCOMPARE(text->pos(), QPoint(40, 30));
    }
}

void TestPropertyEdits::refusedAndPassiveRowsShowTheElement()
{
    auto editor = makeEditor();
    selectElement(*editor, widgetOf("CB"));
    // A name in use stays with its element.
    editRow(*editor, "Define", "SP");
    QVERIFY(widgetOf("SP") != widgetOf("CB"));
    QCOMPARE(widgetOf("CB")->objectName(), QStringLiteral("CB"));
    QCOMPARE(editor->propertyModel()->item(rowOf(*editor, "Define"), 1)->text(), QStringLiteral("CB"));
    // The action row is edited through its dialog only.
    editRow(*editor, "action", "typed");
    QCOMPARE(editor->propertyModel()->item(rowOf(*editor, "action"), 1)->text(),
             QStringLiteral("<Doubleclick for details>"));
    // A lower-case define row changes nothing.
    QWidget *group = widgetOf("class:GroupBox");
    const QString before = group->objectName();
    selectElement(*editor, group);
    editRow(*editor, "define", "Other");
    QCOMPARE(group->objectName(), before);
    // A group's label names its tree item too.
    editRow(*editor, "Label", "Settings");
    QCOMPARE(editor->treeModel()->itemFromIndex(editor->indexOf(group))->text(), QStringLiteral("Settings"));
    QCOMPARE(qobject_cast<QGroupBox *>(group)->title(), QStringLiteral("Settings"));
    // A range without its second part leaves the range.
    QWidget *spin = widgetOf("SP");
    selectElement(*editor, spin);
    editRow(*editor, "Range", "3");
    QCOMPARE(static_cast<SpinBox *>(spin)->maximum(), 9);
}

void TestPropertyEdits::expressionEditRegistersTheNewNames()
{
    auto editor = makeEditor();
    auto *math = qobject_cast<MathLabel *>(widgetOf("M"));
    selectElement(*editor, math);
    editRow(*editor, "Expression", "DS*2");
    Panel *panel = f->panel.get();
    QVERIFY(panel->registries().mathLabelsByDefine.value("DS").contains(math));
    QVERIFY(!panel->registries().mathLabelsByDefine.value("SP").contains(math));
    QCOMPARE(math->elementProperty("expression").toString(), QStringLiteral("DS*2"));
}

void TestPropertyEdits::sizePolicyNamesAndChoice()
{
    QCOMPARE(sizePolicyName(QSizePolicy::Policy(2)), QStringLiteral("preferred"));
    QCOMPARE(sizePolicyName(QSizePolicy::Policy(6)), QStringLiteral("preferred"));
    QCOMPARE(sizePolicyName(QSizePolicy::MinimumExpanding), QStringLiteral("minimumexpanding"));
    QCOMPARE(sizePolicyFromName("Fixed"), QSizePolicy::Minimum);
    QCOMPARE(sizePolicyFromName("ignored"), QSizePolicy::Ignored);

    auto editor = makeEditor();
    QWidget *spin = widgetOf("SP");
    selectElement(*editor, spin);
    const int row = rowOf(*editor, "SizePolH");
    const QModelIndex cell = editor->propertyModel()->index(row, 1);
    editor->propertyModel()->setData(cell, "expanding");
    editor->propertyView()->setCurrentIndex(cell);
    auto *delegate = qobject_cast<ComboBoxDelegate2 *>(editor->propertyView()->itemDelegateForRow(row));
    QVERIFY(delegate);
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> box(delegate->createEditor(editor->propertyView()->viewport(), option, cell));
    delegate->setEditorData(box.get(), cell);
    auto *combo = qobject_cast<QComboBox *>(box.get());
    QCOMPARE(combo->count(), 7);
    QCOMPARE(combo->currentText(), QStringLiteral("expanding"));
    combo->hidePopup();
    combo->setCurrentText("ignored");
    delegate->setModelData(box.get(), editor->propertyModel(), cell);
    // Applied at once, before the editor closes.
    QCOMPARE(spin->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
    QCOMPARE(cell.data(Qt::UserRole).toInt(), 13);
}

void TestPropertyEdits::colourFontAndFileDelegates()
{
    auto editor = makeEditor();
    auto *toggle = qobject_cast<QPushButton *>(widgetOf("TB"));
    selectElement(*editor, toggle);
    QStyleOptionViewItem option;
    {
        const int row = rowOf(*editor, "Color");
        const QModelIndex cell = editor->propertyModel()->index(row, 1);
        QAbstractItemDelegate *delegate = editor->propertyView()->itemDelegateForRow(row);
        std::unique_ptr<QWidget> dialog(delegate->createEditor(editor->propertyView()->viewport(), option, cell));
        auto *colors = qobject_cast<QColorDialog *>(dialog.get());
        QVERIFY(colors);
        colors->setCurrentColor(Qt::red);
        delegate->setModelData(colors, editor->propertyModel(), cell); // not accepted: nothing
        QVERIFY(elementPropertyOf(toggle, "Color").toString().isEmpty());
        colors->setResult(QDialog::Accepted);
        delegate->setModelData(colors, editor->propertyModel(), cell);
        QCOMPARE(elementPropertyOf(toggle, "Color").toString(), QStringLiteral("255;0;0"));
        QCOMPARE(cell.data().toString(), QStringLiteral("255;0;0"));
        QCOMPARE(toggle->palette().color(QPalette::Button), QColor(Qt::red));
    }
    {
        const int row = rowOf(*editor, "Font");
        const QModelIndex cell = editor->propertyModel()->index(row, 1);
        QAbstractItemDelegate *delegate = editor->propertyView()->itemDelegateForRow(row);
        std::unique_ptr<QWidget> dialog(delegate->createEditor(editor->propertyView()->viewport(), option, cell));
        auto *fonts = qobject_cast<QFontDialog *>(dialog.get());
        QVERIFY(fonts);
        QFont font = toggle->font();
        font.setPointSize(17);
        font.setBold(true);
        fonts->setCurrentFont(font);
        fonts->setResult(QDialog::Accepted);
        delegate->setModelData(fonts, editor->propertyModel(), cell);
        QCOMPARE(elementPropertyOf(toggle, "my_font").toString(), fonts->currentFont().toString());
        QCOMPARE(cell.data().toString(), fonts->currentFont().toString());
    }
    // A picture for the slider groove and for an image.
    const QString picture = QDir(dir->path()).filePath("a.png");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QVERIFY(image.save(picture));
    FileDelegate::applyFile(editor.get(), widgetOf("SL"), picture);
    QVERIFY(widgetOf("SL")->styleSheet().contains(QStringLiteral("url(%1)").arg(picture)));
    FileDelegate::applyFile(editor.get(), widgetOf("class:PushButton"), picture);
    QCOMPARE(elementPropertyOf(widgetOf("class:PushButton"), "Icon").toString(), picture);
    // Through the file dialog of the row: the working directory, the filter.
    selectElement(*editor, widgetOf("SL"));
    {
        const int row = rowOf(*editor, "image");
        QVERIFY(row >= 0);
        const QModelIndex cell = editor->propertyModel()->index(row, 1);
        QAbstractItemDelegate *delegate = editor->propertyView()->itemDelegateForRow(row);
        std::unique_ptr<QWidget> dialog(delegate->createEditor(editor->propertyView()->viewport(), option, cell));
        auto *files = qobject_cast<QFileDialog *>(dialog.get());
        QVERIFY(files);
        QCOMPARE(QDir(files->directory()).canonicalPath(), QDir(dir->path()).canonicalPath());
        files->selectFile(picture);
        files->setResult(QDialog::Accepted);
        delegate->setModelData(files, editor->propertyModel(), cell);
        QCOMPARE(QFileInfo(cell.data().toString()).fileName(), QStringLiteral("a.png"));
    }
    QVERIFY(saveAndReopen(*editor));
    QCOMPARE(elementPropertyOf(widgetOf("TB"), "Color").toString(), QStringLiteral("255;0;0"));
    QCOMPARE(widgetOf("TB")->font().pointSize(), 17);
    QVERIFY(elementPropertyOf(widgetOf("SL"), "image").toString().endsWith("a.png")
            || widgetOf("SL")->styleSheet().contains("a.png"));
}

void TestPropertyEdits::actionsDialogKeepsKeys()
{
    // Actions under a key other than 0 stay there.
    QWidget *button = widgetOf("class:PushButton");
    QVariantMap map;
    map.insert("3", QVariantList{"clicked_setDef", "", "SP=2", "clicked_sendUSB", "c", "1:2", "1:3", "10"});
    setElementPropertyOf(button, "data", map);
    EditActionsDialog dialog(button, nullptr);
    QStandardItemModel *model = dialog.model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("---"));
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("clicked"));
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("setDef"));
    QCOMPARE(model->index(0, 4).data().toString(), QString());
    QCOMPARE(model->index(1, 4).data().toString(), QStringLiteral("1:3"));
    QCOMPARE(model->index(1, 6).data().toString(), QStringLiteral("c"));
    // The event and command lists suit the element.
    auto *events = qobject_cast<ComboBoxActionDelegate *>(dialog.view()->itemDelegateForColumn(1));
    QVERIFY(events);
    QCOMPARE(events->choices().size(), 1);
    QCOMPARE(events->choices().first().text, QStringLiteral("clicked"));
    // A new row and an edited one.
    dialog.insertLine();
    model->setData(model->index(2, 1), "clicked");
    model->setData(model->index(2, 2), "resetGUI");
    model->setData(model->index(0, 3), "SP=5");
    dialog.view()->setCurrentIndex(QModelIndex());
    dialog.deleteLine(); // no current cell: nothing
    QCOMPARE(model->rowCount(), 3);
    dialog.accept();
    const QVariantMap written = elementPropertyOf(button, "data").toMap();
    QCOMPARE(written.keys(), QStringList{"3"});
    QCOMPARE(written.value("3").toList(),
             (QVariantList{"clicked_setDef", "", "SP=5", "clicked_sendUSB", "c", "1:2", "1:3", "10",
                           "clicked_resetGUI", "", ""}));

    // A radio button's actions are its group's, under the button's number.
    QRadioButton *deep = nullptr;
    for (QRadioButton *radio : f->panelWidget()->findChildren<QRadioButton *>()) {
        if (radio->text() == QLatin1String("Deep"))
            deep = radio;
    }
    QVERIFY(deep && deep->group());
    const QString deepKey = QString::number(deep->group()->id(deep));
    QVERIFY(elementPropertyOf(deep->group(), "data").toMap().contains(deepKey));
    {
        EditActionsDialog radioDialog(deep, nullptr);
        QCOMPARE(radioDialog.holder(), static_cast<QObject *>(deep->group()));
        QCOMPARE(radioDialog.model()->rowCount(), 1);
        QCOMPARE(radioDialog.model()->index(0, 3).data().toString(), QStringLiteral("SP=0"));
        radioDialog.insertLine();
        radioDialog.model()->setData(radioDialog.model()->index(1, 1), "selected");
        radioDialog.model()->setData(radioDialog.model()->index(1, 2), "runScript");
        radioDialog.model()->setData(radioDialog.model()->index(1, 3), "a.script");
        radioDialog.accept();
    }
    QCOMPARE(elementPropertyOf(deep->group(), "data").toMap().keys(), QStringList{deepKey});
    QCOMPARE(elementPropertyOf(deep->group(), "data").toMap().value(deepKey).toList().size(), 6);

    // Saved and read again, the button has the three actions.
    auto editor = makeEditor();
    setElementPropertyOf(button, "data", QVariantMap{{"0", written.value("3")}});
    QVERIFY(saveAndReopen(*editor));
    const QVariantMap reread = elementPropertyOf(widgetOf("class:PushButton"), "data").toMap();
    QCOMPARE(reread.value("0").toList().size(), 11);
}

void TestPropertyEdits::itemsDialogWritesItems()
{
    auto *combo = qobject_cast<ComboBox *>(widgetOf("CO"));
    QVERIFY(combo);
    EditItemsDialog dialog(combo, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Items of the Combobox CO"));
    QStandardItemModel *model = dialog.model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("b"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("2"));
    dialog.insertLine();
    model->setData(model->index(2, 0), "c");
    dialog.insertLine();
    model->setData(model->index(3, 0), "secret");
    model->setData(model->index(3, 1), "9");
    model->setData(model->index(3, 3), "1");
    dialog.accept();
    QCOMPARE(elementPropertyOf(combo, "itemText").toList(),
             (QVariantList{"a#$#1", "b#$#2", "c#$#", "$$$HIDE$$$secret#$#9"}));
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(2), QStringLiteral("c"));

    auto editor = makeEditor();
    QVERIFY(saveAndReopen(*editor));
    combo = qobject_cast<ComboBox *>(widgetOf("CO"));
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(2), QStringLiteral("c"));
}

void TestPropertyEdits::curvesAndColumnsDialogsApplyEdits()
{
    QCOMPARE(columnTypeName(-1), QString());
    QCOMPARE(columnTypeName(9), QString());
    QCOMPARE(columnTypeName(8), QStringLiteral("math"));

    auto *plot = qobject_cast<MyQwtPlot *>(widgetOf("class:MyQwtPlot"));
    QVERIFY(plot);
    Panel *panel = f->panel.get();
    {
        EditCurvesDialog dialog(plot, nullptr, panel);
        QStandardItemModel *model = dialog.model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("255;0;0"));
        QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("SP"));
        dialog.insertLine();
        QCOMPARE(plot->itemList(QwtPlotItem::Rtti_PlotCurve).size(), 2);
        model->setData(model->index(1, 1), "second");
        model->setData(model->index(1, 3), "DS");
        model->setData(model->index(0, 2), "0;0;255");
        dialog.accept();
    }
    const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
    auto *second = static_cast<QwtPlotCurve *>(curves.at(1));
    QCOMPARE(second->title().text(), QStringLiteral("second"));
    QVERIFY(panel->registries().curvesByData.value("DS").contains(second));
    QVERIFY(!panel->registries().curvesByData.value("MYDATA").contains(second));
    QCOMPARE(static_cast<QwtPlotCurve *>(curves.at(0))->pen().color(), QColor(0, 0, 255));
    // Sample stores stay within their limits whatever width the plot gets.
    auto editor0 = makeEditor();
    for (const auto &width : {std::make_pair("50000", 20000), std::make_pair("0", 1), std::make_pair("300", 300)}) {
        editor0->setAttribute(plot, "maxX", width.first);
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve))
            QCOMPARE(MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(item))->capacity(), width.second);
    }

    auto *table = qobject_cast<Table *>(widgetOf("TA"));
    QVERIFY(table);
    {
        EditColumnsDialog dialog(table, nullptr);
        QStandardItemModel *model = dialog.model();
        QCOMPARE(model->rowCount(), int(table->declaredColumnCount()));
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("regname"));
        dialog.insertLine(); // the column count is fixed
        QCOMPARE(model->rowCount(), int(table->declaredColumnCount()));
        model->setData(model->index(0, 1), "Reg");
        model->setData(model->index(0, 4), "90");
        dialog.accept();
    }
    QCOMPARE(table->column(0).label, QStringLiteral("Reg"));
    QCOMPARE(int(table->column(0).width), 90);

    auto editor = makeEditor();
    QVERIFY(saveAndReopen(*editor));
    plot = qobject_cast<MyQwtPlot *>(widgetOf("class:MyQwtPlot"));
    QCOMPARE(plot->itemList(QwtPlotItem::Rtti_PlotCurve).size(), 2);
    QCOMPARE(plot->property("data").toStringList(), (QStringList{"SP", "DS"}));
    table = qobject_cast<Table *>(widgetOf("TA"));
    QCOMPARE(table->column(0).label, QStringLiteral("Reg"));
    QCOMPARE(int(table->column(0).width), 90);
}

// A double click on a dialog row opens the dialog as the cell's editor; Ok
// writes the element and ends the editing.
void TestPropertyEdits::dialogRowsEditThroughTheView()
{
    auto editor = makeEditor();
    editor->show();
    auto *combo = qobject_cast<ComboBox *>(widgetOf("CO"));
    selectElement(*editor, combo);
    const QModelIndex cell = editor->propertyModel()->index(rowOf(*editor, "Items"), 1);
    editor->propertyView()->setCurrentIndex(cell);
    editor->propertyView()->edit(cell);
    auto *dialog = editor->findChild<EditItemsDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->size(), QSize(520, 350));
    dialog->model()->setData(dialog->model()->index(0, 0), "first");
    dialog->accept();
    QCOMPARE(combo->itemText(0), QStringLiteral("first"));
    QTest::qWait(10); // the view lets the editor go
    QVERIFY(!editor->findChild<EditItemsDialog *>());
    QCOMPARE(cell.data().toString(), QStringLiteral("<Doubleclick for details>"));

    // Cancel leaves the element as it was.
    editor->propertyView()->edit(cell);
    dialog = editor->findChild<EditItemsDialog *>();
    QVERIFY(dialog);
    dialog->model()->setData(dialog->model()->index(0, 0), "never");
    dialog->reject();
    QCOMPARE(combo->itemText(0), QStringLiteral("first"));
}

void TestPropertyEdits::editorIconsExist()
{
    auto editor = makeEditor();
    QMenu *add = nullptr;
    for (QAction *action : editor->contextMenu()->actions()) {
        if (action->menu())
            add = action->menu();
    }
    QVERIFY(add);
    int icons = 0;
    for (QAction *action : add->actions()) {
        if (action->isSeparator())
            continue;
        QVERIFY2(!action->icon().pixmap(16, 16).isNull(), qPrintable(action->text()));
        ++icons;
    }
    QCOMPARE(icons, 29);
    // The tree shows the icon of each kind.
    QVERIFY(!editor->treeModel()->item(0)->icon().isNull());
}

QTEST_MAIN(TestPropertyEdits)
#include "tst_propertyedits.moc"
