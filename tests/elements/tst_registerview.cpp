// The register view: its columns and headers over a hand-filled register,
// the cell values it shows, the value it composes, its cell editors and the
// recorder line of an edit.
#include "buttongroup.h"
#include "elementfixture.h"
#include "fakeelement.h"
#include "registerview.h"
#include "registerviewdelegates.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QtTest>

#include <memory>

namespace {

struct FieldLayout {
    QString name;
    int msb;
    int lsb;
    bool readOnly;
    QList<EnumeratedValue> values;
};

} // namespace

Q_DECLARE_METATYPE(QList<FieldLayout>)

class TestRegisterView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void columnsAndHeaders_data();
    void columnsAndHeaders();
    void tooWideRegisterChangesNothing();
    void resetValueWithBitThirtyOne();
    void pendingValueReachesTheNextSelection();
    void enumeratedCells();
    void keywordValues();

    void checkBoxEditComposesAndRecords();
    void spinBoxEditors();
    void wideFieldTakesItsFullRange();
    void comboBoxEditor();
    void editReachesViewAndRecorderOnly();

    void readWriteBuddy();

private:
    // Module "GPIO" with register name of the given size, reset value and
    // fields; an element SEL whose label names it and MOD whose module is GPIO.
    RegisterRecord *addRegister(const QString &name, int size, quint32 resetValue, const QList<FieldLayout> &fields);
    // Selects the register through SEL (its reset value) or, with a value
    // text, through the value and then the registername suffix.
    void select(const QString &name);
    QStringList headers() const;
    QString cellText(int column) const;
    QStyleOptionViewItem option() const;

    std::unique_ptr<ElementFixture> fx;
    ModuleRecord *module = nullptr;
    RegisterView *view = nullptr;
    FakeElement *selector = nullptr;
    FakeElement *moduleElement = nullptr;
};

void TestRegisterView::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestRegisterView::init()
{
    fx->reset();
    RegisterView::clearPendingValue();
    QVERIFY(fx->panel.addModule(module, QStringLiteral("GPIO")));
    view = new RegisterView(QStringLiteral("RV"));
    view->resize(640, 80);
    selector = new FakeElement(QStringLiteral("SEL"));
    moduleElement = new FakeElement(QStringLiteral("MOD"));
    moduleElement->values[KeywordModule] = QStringLiteral("GPIO");
    fx->panel.registerElement(QStringLiteral("RV"), view);
    fx->panel.registerElement(QStringLiteral("SEL"), selector);
    fx->panel.registerElement(QStringLiteral("MOD"), moduleElement);
    view->initialize();
    view->setValue(QStringLiteral("MOD"), KeywordModule);
    QCOMPARE(view->moduleName(), QStringLiteral("GPIO"));
}

void TestRegisterView::cleanup()
{
    fx->panel.forgetAllElements();
    delete view;
    delete selector;
    delete moduleElement;
    fx->panel.clear();
    module = nullptr;
}

RegisterRecord *TestRegisterView::addRegister(const QString &name, int size, quint32 resetValue,
                                              const QList<FieldLayout> &fields)
{
    RegisterRecord *reg = module->addRegister(QStringLiteral("gpio.h"), name);
    if (size > 0)
        reg->setSize(size);
    reg->resetValue = int(resetValue);
    reg->address = 0x40000010;
    for (const FieldLayout &layout : fields) {
        FieldRecord *field = reg->addField(layout.name);
        field->setBitRange(layout.msb, layout.lsb);
        field->readOnly = layout.readOnly;
        field->description = layout.name + QStringLiteral(" field");
        field->enumeratedValues = layout.values;
    }
    return reg;
}

void TestRegisterView::select(const QString &name)
{
    selector->values[KeywordLabel] = name;
    view->setValue(QStringLiteral("SEL"), KeywordRegister);
}

QStringList TestRegisterView::headers() const
{
    QStringList texts;
    QStandardItemModel *model = view->tableModel();
    for (int c = 0; model && c < model->columnCount(); ++c)
        texts << model->horizontalHeaderItem(c)->text();
    return texts;
}

QString TestRegisterView::cellText(int column) const
{
    return view->tableModel()->item(0, column)->text();
}

QStyleOptionViewItem TestRegisterView::option() const
{
    QStyleOptionViewItem item;
    item.rect = QRect(0, 0, 40, 20);
    return item;
}

// ---------------------------------------------------------------------------
// Columns

void TestRegisterView::columnsAndHeaders_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<FieldLayout>>("fields");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("shownSize");

    QTest::newRow("gap between fields")
        << 32 << QList<FieldLayout>{{"LO", 7, 0, false, {}}, {"HI", 31, 16, false, {}}}
        << QStringList{"HI\n[31..16] R/W", "reserved\n[15..8] R/O", "LO\n[7..0] R/W"} << 32;
    QTest::newRow("no gap")
        << 8 << QList<FieldLayout>{{"A", 7, 4, false, {}}, {"B", 3, 0, true, {}}}
        << QStringList{"A\n[7..4] R/W", "B\n[3..0] R/O"} << 8;
    QTest::newRow("leading gap and single bits")
        << 32 << QList<FieldLayout>{{"EN", 0, 0, false, {}}, {"RDY", 23, 23, true, {}}, {"MODE", 5, 2, false, {}}}
        << QStringList{"reserved\n[31..24] R/O", "RDY\n[23] R/O", "reserved\n[22..6] R/O", "MODE\n[5..2] R/W",
                       "reserved\n[1] R/O", "EN\n[0] R/W"}
        << 32;
    // No size in the SVD file: 32 bits, or as far as the highest field reaches.
    QTest::newRow("size 0")
        << 0 << QList<FieldLayout>{{"LO", 7, 0, false, {}}}
        << QStringList{"reserved\n[31..8] R/O", "LO\n[7..0] R/W"} << 32;
    QTest::newRow("size 0, field above 31")
        << 0 << QList<FieldLayout>{{"TOP", 39, 36, false, {}}}
        << QStringList{"TOP\n[39..36] R/W", "reserved\n[35..0] R/O"} << 40;
    QTest::newRow("no fields") << 16 << QList<FieldLayout>{} << QStringList{"reserved\n[15..0] R/O"} << 16;

    // More columns than a 32-entry table holds.
    QList<FieldLayout> bits;
    QStringList bitHeaders;
    for (int bit = 63; bit >= 0; --bit) {
        bits.append({QStringLiteral("B%1").arg(bit), bit, bit, false, {}});
        bitHeaders << QStringLiteral("B%1\n[%1] R/W").arg(bit);
    }
    QTest::newRow("64 one-bit fields") << 64 << bits << bitHeaders << 64;
}

void TestRegisterView::columnsAndHeaders()
{
    QFETCH(int, size);
    QFETCH(QList<FieldLayout>, fields);
    QFETCH(QStringList, expected);
    QFETCH(int, shownSize);
    addRegister(QStringLiteral("CTRL"), size, 0, fields);
    select(QStringLiteral("CTRL"));
    QCOMPARE(headers(), expected);
    QCOMPARE(view->columnCount(), expected.size());
    QCOMPARE(view->registerSize(), shownSize);
    // Columns cover every bit exactly once, highest on the left.
    int nextMsb = shownSize - 1;
    for (int c = 0; c < view->columnCount(); ++c) {
        QCOMPARE(view->columnLsb(c) + view->columnBits(c) - 1, nextMsb);
        nextMsb = view->columnLsb(c) - 1;
    }
    QCOMPARE(nextMsb, -1);
    // Read-only headers are red, and the field's description is the tool tip.
    for (int c = 0; c < view->columnCount(); ++c) {
        QStandardItem *header = view->tableModel()->horizontalHeaderItem(c);
        QCOMPARE(header->background().color() == QColor(Qt::red), header->text().endsWith(QLatin1String("R/O")));
        const QString name = header->text().section(QLatin1Char('\n'), 0, 0);
        const QString bits = header->text().section(QLatin1Char('\n'), 1).section(QLatin1Char(' '), 0, 0);
        const QString description = name == QLatin1String("reserved") ? QString() : name + QStringLiteral(" field");
        QCOMPARE(header->toolTip(), description + QLatin1Char(' ') + bits);
    }
}

void TestRegisterView::tooWideRegisterChangesNothing()
{
    addRegister(QStringLiteral("CTRL"), 8, 0, {{"A", 7, 0, false, {}}});
    addRegister(QStringLiteral("HUGE"), 0, 0, {{"A", 70, 0, false, {}}});
    select(QStringLiteral("CTRL"));
    select(QStringLiteral("HUGE"));
    QCOMPARE(view->registerName(), QStringLiteral("CTRL"));
    QCOMPARE(headers(), QStringList{"A\n[7..0] R/W"});
    // An unknown register leaves the view as it was too.
    select(QStringLiteral("NONE"));
    QCOMPARE(view->registerName(), QStringLiteral("CTRL"));
}

// ---------------------------------------------------------------------------
// Values

void TestRegisterView::resetValueWithBitThirtyOne()
{
    addRegister(QStringLiteral("CTRL"), 32, 0x80000005u,
                {{"TOP", 31, 31, false, {}}, {"LOW", 3, 0, false, {}}});
    select(QStringLiteral("CTRL"));
    QCOMPARE(headers().size(), 3);
    QCOMPARE(cellText(0), QStringLiteral("1"));
    QCOMPARE(cellText(2), QStringLiteral("5"));
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("2147483653"));
    QCOMPARE(view->registerValue(), quint64(0x80000005u));
}

void TestRegisterView::pendingValueReachesTheNextSelection()
{
    addRegister(QStringLiteral("CTRL"), 32, 0x1, {{"TOP", 31, 28, false, {}}, {"LOW", 3, 0, false, {}}});
    // A value set before a selection through the registername suffix is shown.
    view->setValue(QStringLiteral("0x80000000"), KeywordValue);
    selector->values[KeywordRegisterName] = QStringLiteral("CTRL");
    view->setValue(QStringLiteral("SEL.registername"), KeywordRegister);
    QCOMPARE(cellText(0), QStringLiteral("8"));
    QCOMPARE(cellText(2), QStringLiteral("0"));
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("2147483648"));

    // The value of another element, taken through its value suffix.
    auto *source = new FakeElement(QStringLiteral("SRC"));
    source->values[KeywordValue] = QStringLiteral("0xF0000003");
    fx->panel.registerElement(QStringLiteral("SRC"), source);
    view->setValue(QStringLiteral("SRC.value"), KeywordValue);
    view->setValue(QStringLiteral("SEL.registername"), KeywordRegister);
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("4026531843"));
    fx->panel.unregisterElement(QStringLiteral("SRC"));
    delete source;

    // Without a pending value the registername form shows 0; the value was taken.
    view->setValue(QStringLiteral("SEL.registername"), KeywordRegister);
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("0"));
}

void TestRegisterView::enumeratedCells()
{
    const QList<EnumeratedValue> modes{{"Slow", "slow clock", 2}, {"Off", "", 0}, {"Fast", "", 3}};
    const QList<EnumeratedValue> noZero{{"One", "", 1}, {"Two", "", 2}};
    addRegister(QStringLiteral("CTRL"), 8, 0x0C,
                {{"MODE", 3, 2, false, modes}, {"SEL", 1, 0, false, noZero}, {"HI", 7, 4, false, {}}});

    // Reset value: MODE holds 3 (Fast); SEL holds 0, which no value has: the first.
    select(QStringLiteral("CTRL"));
    QCOMPARE(headers().at(1), QStringLiteral("MODE\n[3..2] R/W"));
    QCOMPARE(cellText(1), QStringLiteral("Fast (0b11)"));
    QCOMPARE(cellText(2), QStringLiteral("One (0b01)"));
    QCOMPARE(view->tableModel()->item(0, 2)->data(Qt::UserRole).toULongLong(), 1u);

    // The registername form without a value: the value 0 where the list has
    // it, else the first; the first values' bits go into the register value.
    selector->values[KeywordRegisterName] = QStringLiteral("CTRL");
    view->setValue(QStringLiteral("SEL.registername"), KeywordRegister);
    QCOMPARE(cellText(0), QStringLiteral("0"));
    QCOMPARE(cellText(1), QStringLiteral("Off (0b00)"));
    QCOMPARE(cellText(2), QStringLiteral("One (0b01)"));
    QCOMPARE(view->registerValue(), quint64((2 << 2) | 1));
    // The composed value is what the cells hold.
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("1"));
}

void TestRegisterView::keywordValues()
{
    addRegister(QStringLiteral("CTRL"), 32, 0, {{"A", 31, 0, false, {}}});
    select(QStringLiteral("CTRL"));
    QCOMPARE(view->value(KeywordTypeInfo, 1), QStringLiteral("RegView"));
    QCOMPARE(view->value(KeywordRegisterName, 1), QStringLiteral("GPIO.CTRL"));
    QCOMPARE(view->value(KeywordAddress, 1), QString::number(0x40000010));
    QCOMPARE(view->value(KeywordDefineValue, 1), QString());
    QCOMPARE(view->value(KeywordLabel, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));
    view->loadValue(QStringLiteral("12"));
    QCOMPARE(view->storedValueText(), QString());
}

// ---------------------------------------------------------------------------
// Editors

void TestRegisterView::checkBoxEditComposesAndRecords()
{
    addRegister(QStringLiteral("CTRL"), 32, 0x3, {{"TOP", 31, 31, false, {}}, {"RO", 30, 30, true, {}},
                                                  {"LOW", 1, 0, false, {}}});
    select(QStringLiteral("CTRL"));
    QString recorded;
    fx->shell.recorder.stream().setString(&recorded);
    fx->shell.recorder.setComment(QStringLiteral("note"));

    const QModelIndex top = view->tableModel()->index(0, 0);
    auto *delegate = dynamic_cast<CheckBoxDelegate *>(view->itemDelegateForColumn(0));
    QVERIFY(delegate);
    std::unique_ptr<QWidget> editor(delegate->createEditor(view->viewport(), option(), top));
    auto *box = qobject_cast<QCheckBox *>(editor.get());
    QVERIFY(box && box->isEnabled());
    delegate->setEditorData(box, top);
    QVERIFY(!box->isChecked());
    box->setChecked(true);
    delegate->setModelData(box, view->tableModel(), top);

    QCOMPARE(top.data(Qt::EditRole), QVariant(true));
    QCOMPARE(view->registerValue(), quint64(0x80000003u));
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("2147483651"));
    QVERIFY2(recorded.contains(QStringLiteral("SetRegViewValue(RV, 2147483651)//note\n")), qPrintable(recorded));
    fx->shell.recorder.stop();

    // The read-only bit's editor is disabled.
    auto *readOnly = dynamic_cast<CheckBoxDelegate *>(view->itemDelegateForColumn(1));
    QVERIFY(readOnly);
    std::unique_ptr<QWidget> disabled(readOnly->createEditor(view->viewport(), option(), top));
    QVERIFY(!disabled->isEnabled());
}

void TestRegisterView::spinBoxEditors()
{
    addRegister(QStringLiteral("CTRL"), 16, 0x0030,
                {{"NIB", 7, 4, false, {}}, {"LOCK", 15, 12, true, {}}});
    select(QStringLiteral("CTRL"));
    QCOMPARE(headers(), (QStringList{"LOCK\n[15..12] R/O", "reserved\n[11..8] R/O", "NIB\n[7..4] R/W",
                                     "reserved\n[3..0] R/O"}));
    const QModelIndex nib = view->tableModel()->index(0, 2);
    auto *delegate = dynamic_cast<SpinBoxDelegate *>(view->itemDelegateForColumn(2));
    QVERIFY(delegate);
    std::unique_ptr<QWidget> editor(delegate->createEditor(view->viewport(), option(), nib));
    auto *box = qobject_cast<QSpinBox *>(editor.get());
    QVERIFY(box);
    QCOMPARE(box->minimum(), 0);
    QCOMPARE(box->maximum(), 15);
    delegate->setEditorData(box, nib);
    QCOMPARE(box->value(), 3);
    box->setValue(12);
    delegate->setModelData(box, view->tableModel(), nib);
    QCOMPARE(cellText(2), QStringLiteral("12"));
    QCOMPARE(view->registerValue(), quint64(0xC0));

    auto *locked = dynamic_cast<SpinBoxDelegate *>(view->itemDelegateForColumn(0));
    QVERIFY(locked);
    std::unique_ptr<QWidget> disabled(locked->createEditor(view->viewport(), option(), nib));
    QVERIFY(!disabled->isEnabled());
}

void TestRegisterView::wideFieldTakesItsFullRange()
{
    addRegister(QStringLiteral("DATA"), 32, 0, {{"WORD", 31, 0, false, {}}});
    select(QStringLiteral("DATA"));
    const QModelIndex word = view->tableModel()->index(0, 0);
    auto *delegate = dynamic_cast<SpinBoxDelegate *>(view->itemDelegateForColumn(0));
    QVERIFY(delegate);
    QCOMPARE(delegate->maximum(), quint64(0xFFFFFFFFu));
    std::unique_ptr<QWidget> editor(delegate->createEditor(view->viewport(), option(), word));
    auto *edit = qobject_cast<QLineEdit *>(editor.get());
    QVERIFY(edit);

    const struct {
        const char *typed;
        const char *value;
    } cases[] = {
        {"0xFFFFFFFF", "4294967295"},
        {"2147483648", "2147483648"},
        {"0x100000000", "2147483648"}, // beyond the field: not taken
        {"4294967296", "2147483648"},
        {"0", "0"},
    };
    for (const auto &entry : cases) {
        edit->setText(QString::fromLatin1(entry.typed));
        delegate->setModelData(edit, view->tableModel(), word);
        QCOMPARE(view->value(KeywordValue, 1), QString::fromLatin1(entry.value));
    }
    edit->clear();
    view->tableModel()->item(0, 0)->setData(QVariant::fromValue<qulonglong>(0x80000000u), Qt::EditRole);
    delegate->setEditorData(edit, word);
    QCOMPARE(edit->text(), QStringLiteral("2147483648"));
}

void TestRegisterView::comboBoxEditor()
{
    const QList<EnumeratedValue> three{{"A", "first", 0}, {"B", "second", 2}, {"C", "", 5}};
    const QList<EnumeratedValue> flag{{"Off", "", 0}, {"On", "", 1}};
    addRegister(QStringLiteral("CTRL"), 8, 0x02, {{"SRC", 2, 0, false, three}, {"RO", 3, 3, true, flag}});
    select(QStringLiteral("CTRL"));
    QCOMPARE(cellText(2), QStringLiteral("B (0b010)"));
    QCOMPARE(cellText(1), QStringLiteral("Off (0b0)"));

    const QModelIndex src = view->tableModel()->index(0, 2);
    auto *delegate = dynamic_cast<ComboBoxDelegate *>(view->itemDelegateForColumn(2));
    QVERIFY(delegate);
    std::unique_ptr<QWidget> editor(delegate->createEditor(view->viewport(), option(), src));
    auto *box = qobject_cast<QComboBox *>(editor.get());
    QVERIFY(box);
    delegate->setEditorData(box, src);
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(0), QStringLiteral("A (0b000)"));
    QCOMPARE(box->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("second"));
    QCOMPARE(box->currentIndex(), 1);
    box->setCurrentIndex(2);
    delegate->setModelData(box, view->tableModel(), src);
    QCOMPARE(cellText(2), QStringLiteral("C (0b101)"));
    QCOMPARE(view->registerValue(), quint64(5));

    // Opened by the view, the editor shows its list at once.
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    const QModelIndex cell = view->tableModel()->index(0, 2);
    view->setCurrentIndex(cell);
    view->edit(cell);
    QPointer<QComboBox> opened = view->findChild<QComboBox *>();
    QVERIFY(opened);
    QTRY_VERIFY(opened && opened->view()->isVisible());
    QCOMPARE(opened->count(), 3);
    opened->hidePopup();

    // A read-only field lists its values, every one disabled.
    auto *readOnly = dynamic_cast<ComboBoxDelegate *>(view->itemDelegateForColumn(1));
    QVERIFY(readOnly);
    const QModelIndex ro = view->tableModel()->index(0, 1);
    std::unique_ptr<QWidget> roEditor(readOnly->createEditor(view->viewport(), option(), ro));
    auto *roBox = qobject_cast<QComboBox *>(roEditor.get());
    readOnly->setEditorData(roBox, ro);
    auto *items = qobject_cast<QStandardItemModel *>(roBox->model());
    QVERIFY(items);
    QCOMPARE(roBox->count(), 2);
    QVERIFY(!items->item(0)->isEnabled());
    QVERIFY(!items->item(1)->isEnabled());
}

// An edit ends in the view: its cell, its value, its tool tip, the recorder
// and the console. The register model and the elements bound to the register
// keep what they had; nothing goes to the target.
void TestRegisterView::editReachesViewAndRecorderOnly()
{
    RegisterRecord *reg = addRegister(QStringLiteral("CTRL"), 16, 0x0030, {{"NIB", 7, 4, false, {}}});
    auto bound = std::make_unique<FakeElement>(QStringLiteral("BOUND"));
    bound->values[KeywordValue] = QStringLiteral("48");
    fx->panel.registerElement(QStringLiteral("GPIO.CTRL"), bound.get());
    select(QStringLiteral("CTRL"));
    QCOMPARE(view->value(KeywordValue, 1), QStringLiteral("48"));
    QString recorded;
    fx->shell.recorder.stream().setString(&recorded);
    fx->shell.console.clear();

    const QModelIndex nib = view->tableModel()->index(0, 1);
    auto *delegate = dynamic_cast<SpinBoxDelegate *>(view->itemDelegateForColumn(1));
    QVERIFY(delegate);
    std::unique_ptr<QWidget> editor(delegate->createEditor(view->viewport(), option(), nib));
    auto *box = qobject_cast<QSpinBox *>(editor.get());
    QVERIFY(box);
    delegate->setEditorData(box, nib);
    box->setValue(9);
    delegate->setModelData(box, view->tableModel(), nib);

    QCOMPARE(nib.data(Qt::EditRole).toString(), QStringLiteral("9"));
    QCOMPARE(nib.data(Qt::UserRole).toULongLong(), 9ull);
    QCOMPARE(view->registerValue(), quint64(0x90));
    QVERIFY2(toolTipShown(view).contains(QStringLiteral("RV = 144")), qPrintable(view->toolTip()));
    QCOMPARE(recorded, QStringLiteral("SetRegViewValue(RV, 144)\n"));
    QVERIFY2(fx->consoleHtml().contains(QStringLiteral("SetRegViewValue(RV, 144)<br>")), qPrintable(fx->consoleHtml()));
    fx->shell.recorder.stop();

    QCOMPARE(reg->resetValue, 0x30);
    QCOMPARE(bound->values.value(KeywordValue), QStringLiteral("48"));
    fx->panel.unregisterElement(QStringLiteral("GPIO.CTRL"));
}

// ---------------------------------------------------------------------------
// Read/write buddy

void TestRegisterView::readWriteBuddy()
{
    QWidget holder;
    auto *group = new ButtonGroup(QStringLiteral("RW"), &holder);
    group->addRadioButton(new QRadioButton(&holder), QStringLiteral("Write"), QStringLiteral("0"));
    group->addRadioButton(new QRadioButton(&holder), QStringLiteral("Read"), QStringLiteral("1"));
    fx->panel.registerElement(QStringLiteral("RW"), group);
    view->setReadWriteBuddy(QStringLiteral("RW"), 1);
    addRegister(QStringLiteral("STATUS"), 8, 0, {{"FLAGS", 7, 0, true, {}}});
    addRegister(QStringLiteral("CTRL"), 8, 0, {{"MODE", 7, 0, false, {}}});

    // Every column read-only: the group shows the buddy value.
    select(QStringLiteral("STATUS"));
    QCOMPARE(group->value(KeywordValue, 1), QStringLiteral("1"));
    // A writable register: the group is set to the state kept from the
    // previous selection (read, 1), whatever was picked in between.
    select(QStringLiteral("CTRL"));
    QCOMPARE(group->value(KeywordValue, 1), QStringLiteral("1"));
    group->setValue(QStringLiteral("0"), KeywordValue);
    select(QStringLiteral("CTRL"));
    QCOMPARE(group->value(KeywordValue, 1), QStringLiteral("1"));

    fx->panel.unregisterElement(QStringLiteral("RW"));
}

QTEST_MAIN(TestRegisterView)
#include "tst_registerview.moc"
