// The register tree element over a register model filled by hand, and its
// builder on small panels of our own.

#include "elementsignals.h"
#include "errorreporter.h"
#include "fakeelement.h"
#include "fakehost.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "programversion.h"
#include "readerfixture.h"
#include "registermodel.h"
#include "svdtree.h"
#include "widgets.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestSvdTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void rowsAndToolTips();
    void emptyTableGivesEmptyTree();
    void valuesColumn_data();
    void valuesColumn();
    void onlyValueKeywordRebuilds();
    void valueKeywordsAndBitRanges();
    void userTextIsRecordedWhileFocused_data();
    void userTextIsRecordedWhileFocused();

    void builderFlags_data();
    void builderFlags();
    void builderWithoutDefine();
    void builtTreeShowsThePanelsModules();

private:
    // GPIO: MODER (MODE0 with ON/OFF, MODE1), IDR (no fields); UART: CR.
    void fillModel();
    QStandardItem *child(QStandardItem *parent, const QString &text) const;
    QStandardItem *topItem(SvdTree &tree, const QString &text) const;
    QStringList topTexts(SvdTree &tree) const;

    QHash<QString, ModuleRecord *> m_modules;
    FakeElementHost m_host;
    std::unique_ptr<ReaderFixture> m_reader;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSvdTree::initTestCase()
{
    readProgramVersion();
    m_reader = std::make_unique<ReaderFixture>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSvdTree::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
    fillModel();
    m_host.elements.clear();
    m_host.recordedLines.clear();
    m_host.recording = false;
}

void TestSvdTree::cleanup()
{
    qDeleteAll(m_modules);
    m_modules.clear();
}

void TestSvdTree::cleanupTestCase()
{
    m_reader.reset();
}

void TestSvdTree::fillModel()
{
    auto *gpio = new ModuleRecord;
    gpio->description = QStringLiteral("General purpose I/O");
    RegisterRecord *moder = gpio->addRegister(QString(), QStringLiteral("MODER"));
    moder->description = QStringLiteral("Mode register");
    FieldRecord *mode0 = moder->addField(QStringLiteral("MODE0"));
    mode0->description = QStringLiteral("Pin 0 mode");
    mode0->addEnumeratedValue(QStringLiteral("ON"), QStringLiteral("enabled"), 1);
    mode0->addEnumeratedValue(QStringLiteral("OFF"), QStringLiteral("disabled"), 0);
    moder->addField(QStringLiteral("MODE1"))->description = QStringLiteral("Pin 1 mode");
    gpio->addRegister(QString(), QStringLiteral("IDR"))->description = QStringLiteral("Input data");
    m_modules.insert(QStringLiteral("GPIO"), gpio);

    auto *uart = new ModuleRecord;
    uart->addRegister(QString(), QStringLiteral("CR"));
    m_modules.insert(QStringLiteral("UART"), uart);
}

QStandardItem *TestSvdTree::child(QStandardItem *parent, const QString &text) const
{
    for (int row = 0; parent && row < parent->rowCount(); ++row) {
        if (parent->child(row, 0)->text() == text)
            return parent->child(row, 0);
    }
    return nullptr;
}

QStandardItem *TestSvdTree::topItem(SvdTree &tree, const QString &text) const
{
    return child(tree.model()->invisibleRootItem(), text);
}

QStringList TestSvdTree::topTexts(SvdTree &tree) const
{
    QStringList texts;
    for (int row = 0; row < tree.model()->rowCount(); ++row)
        texts << tree.model()->item(row, 0)->text();
    texts.sort();
    return texts;
}

// ---------------------------------------------------------------------------
// The element

void TestSvdTree::rowsAndToolTips()
{
    SvdTree tree(QStringLiteral("TREE"));
    tree.setHost(&m_host);
    tree.setModuleTable(&m_modules);
    tree.resize(300, 200);
    // A module named like a define stands for that element and is left out.
    FakeElement uartDefine(QStringLiteral("UART"));
    m_host.elements.insert(QStringLiteral("UART"), &uartDefine);
    tree.initialize();

    QCOMPARE(topTexts(tree), QStringList{"GPIO"});
    QCOMPARE(tree.innerView()->model(), tree.model());
    QCOMPARE(tree.innerView()->size(), QSize(300, 200));
    QStandardItem *gpio = topItem(tree, QStringLiteral("GPIO"));
    QCOMPARE(gpio->toolTip(), QStringLiteral("General purpose I/O"));
    QCOMPARE(gpio->rowCount(), 2);
    QStandardItem *moder = child(gpio, QStringLiteral("MODER"));
    QVERIFY(moder);
    QCOMPARE(moder->toolTip(), QStringLiteral("Mode register"));
    QCOMPARE(moder->rowCount(), 2);
    QCOMPARE(child(gpio, QStringLiteral("IDR"))->rowCount(), 0);
    QCOMPARE(child(moder, QStringLiteral("MODE0"))->toolTip(),
             QStringLiteral("Pin 0 mode\n-ON: enabled\n-OFF: disabled"));
    QCOMPARE(child(moder, QStringLiteral("MODE1"))->toolTip(), QStringLiteral("Pin 1 mode"));
    QVERIFY(tree.innerView()->isExpanded(tree.model()->indexFromItem(moder)));

    // Rebuilding replaces the rows rather than adding to them.
    tree.initialize();
    QCOMPARE(tree.model()->rowCount(), 1);
}

void TestSvdTree::emptyTableGivesEmptyTree()
{
    SvdTree tree(QStringLiteral("TREE"));
    tree.setHost(&m_host);
    tree.initialize(); // no table at all
    QCOMPARE(tree.model()->rowCount(), 0);
    const QHash<QString, ModuleRecord *> none;
    tree.setModuleTable(&none);
    tree.initialize();
    QCOMPARE(tree.model()->rowCount(), 0);
    QCOMPARE(tree.model()->columnCount(), 2);
}

void TestSvdTree::valuesColumn_data()
{
    QTest::addColumn<bool>("showValues");
    QTest::newRow("without values") << false;
    QTest::newRow("with values") << true;
}

void TestSvdTree::valuesColumn()
{
    QFETCH(bool, showValues);
    SvdTree tree(QStringLiteral("TREE"));
    tree.setHost(&m_host);
    tree.setModuleTable(&m_modules);
    tree.setShowValues(showValues);
    FakeElement registerBox(QStringLiteral("GPIO.MODER"));
    registerBox.values[0] = QStringLiteral("1");
    FakeElement fieldBox(QStringLiteral("GPIO.MODER.MODE1"));
    fieldBox.values[0] = QStringLiteral("3");
    m_host.elements.insert(QStringLiteral("GPIO.MODER"), &registerBox);
    m_host.elements.insert(QStringLiteral("GPIO.MODER.MODE1"), &fieldBox);
    tree.setValue(QString(), 0);

    QStandardItem *gpio = topItem(tree, QStringLiteral("GPIO"));
    QStandardItem *moder = child(gpio, QStringLiteral("MODER"));
    QStandardItem *idr = child(gpio, QStringLiteral("IDR"));
    QStandardItem *mode0 = child(moder, QStringLiteral("MODE0"));
    QStandardItem *mode1 = child(moder, QStringLiteral("MODE1"));
    QVERIFY(moder && idr && mode0 && mode1);
    const auto second = [](QStandardItem *item) {
        QStandardItem *parent = item->parent();
        return parent->child(item->row(), 1);
    };
    if (!showValues) {
        for (QStandardItem *item : {moder, idr, mode0, mode1})
            QVERIFY(!second(item));
        return;
    }
    QCOMPARE(second(moder)->text(), QStringLiteral("1"));
    QCOMPARE(second(mode1)->text(), QStringLiteral("3"));
    // Nothing bound: an empty cell.
    QCOMPARE(second(idr)->text(), QString());
    QCOMPARE(second(mode0)->text(), QString());
}

void TestSvdTree::onlyValueKeywordRebuilds()
{
    SvdTree tree(QStringLiteral("TREE"));
    tree.setHost(&m_host);
    tree.setModuleTable(&m_modules);
    tree.setValue(QStringLiteral("x"), 0);
    QCOMPARE(topTexts(tree), QStringList({"GPIO", "UART"}));

    delete m_modules.take(QStringLiteral("UART"));
    tree.setValue(QString(), 1);
    tree.setValue(QString(), 3);
    QCOMPARE(topTexts(tree), QStringList({"GPIO", "UART"}));
    tree.setValue(QString(), 0);
    QCOMPARE(topTexts(tree), QStringList{"GPIO"});
}

void TestSvdTree::valueKeywordsAndBitRanges()
{
    SvdTree tree(QStringLiteral("TREE"));
    QCOMPARE(tree.value(KeywordTypeInfo, 0), QStringLiteral("SvdTree"));
    QCOMPARE(tree.value(KeywordValue, 0), QString());
    QCOMPARE(tree.value(KeywordLabel, 1), QString());
    QVERIFY(tree.acceptsBitRange(-1, -1));
    QVERIFY(!tree.acceptsBitRange(0, 0));
    QVERIFY(!tree.acceptsBitRange(7, 0));
    QVERIFY(!tree.acceptsBitRange(-1, 0));
    QVERIFY(!tree.showSvdOnly());
    QVERIFY(!tree.showValues());
    QCOMPARE(tree.objectName(), QStringLiteral("TREE"));
}

void TestSvdTree::userTextIsRecordedWhileFocused_data()
{
    QTest::addColumn<bool>("recording");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("recording, focused") << true << true << QStringList{"Set(TREE, 5)"};
    QTest::newRow("recording, other widget focused") << true << false << QStringList();
    QTest::newRow("not recording") << false << true << QStringList();
}

void TestSvdTree::userTextIsRecordedWhileFocused()
{
    QFETCH(bool, recording);
    QFETCH(bool, focused);
    QFETCH(QStringList, lines);
    QWidget top;
    auto *tree = new SvdTree(QStringLiteral("TREE"), &top);
    auto *other = new QLineEdit(&top);
    other->move(0, 220);
    tree->setHost(&m_host);
    m_host.recording = recording;
    QVERIFY(showAndActivate(&top));
    (focused ? static_cast<QWidget *>(tree) : other)->setFocus();
    QTRY_VERIFY((focused ? static_cast<QWidget *>(tree) : other)->hasFocus());

    QSignalSpy changed(signalsOf(tree), &ElementSignals::changedByUser);
    tree->valueChangedByUser(QStringLiteral("5"));
    QCOMPARE(m_host.recordedLines, lines);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(tree->storedValueText(), QStringLiteral("5"));
}

// ---------------------------------------------------------------------------
// The builder

void TestSvdTree::builderFlags_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("svdOnly");
    QTest::addColumn<bool>("values");
    QTest::addColumn<QVariant>("svdOnlyProperty");
    QTest::addColumn<QVariant>("valuesProperty");
    QTest::newRow("none") << QString() << false << false << QVariant() << QVariant();
    QTest::newRow("both set") << "showSvdOnly=\"1\" showValues=\"2\"" << true << true
                              << QVariant(QStringLiteral("1")) << QVariant(QStringLiteral("2"));
    QTest::newRow("zero and text") << "showSvdOnly=\"0\" showValues=\"yes\"" << false << false
                                   << QVariant(QStringLiteral("0")) << QVariant(QStringLiteral("yes"));
    QTest::newRow("values only") << "showValues=\"1\"" << false << true << QVariant()
                                 << QVariant(QStringLiteral("1"));
}

void TestSvdTree::builderFlags()
{
    QFETCH(QString, attributes);
    QFETCH(bool, svdOnly);
    QFETCH(bool, values);
    QFETCH(QVariant, svdOnlyProperty);
    QFETCH(QVariant, valuesProperty);
    const QString element = QStringLiteral("<svdtree define=\"TREE\" %1/>").arg(attributes);
    QVERIFY(m_reader->readPanelFile(m_dir->filePath(QStringLiteral("panel.xml")), verticalPanelText(element)));
    auto *tree = m_reader->root()->findChild<SvdTree *>(QStringLiteral("TREE"));
    QVERIFY(tree);
    QCOMPARE(tree->showSvdOnly(), svdOnly);
    QCOMPARE(tree->showValues(), values);
    QCOMPARE(elementPropertyOf(tree, "showSvdOnly"), svdOnlyProperty);
    QCOMPARE(elementPropertyOf(tree, "showValues"), valuesProperty);
    QCOMPARE(m_reader->panel.getActiveElement(QStringLiteral("TREE")), activeElementOf(tree));
    QCOMPARE(m_reader->xmlLines(), QStringList());
}

void TestSvdTree::builderWithoutDefine()
{
    QVERIFY(m_reader->readPanelFile(m_dir->filePath(QStringLiteral("panel.xml")),
                                    verticalPanelText(QStringLiteral("<svdtree showValues=\"1\"/>"))));
    QVERIFY(m_reader->consoleText().contains(QStringLiteral("svdTree without define is not allowed: ")));
    // Still built.
    QVERIFY(m_reader->root()->findChild<SvdTree *>());
}

void TestSvdTree::builtTreeShowsThePanelsModules()
{
    QVERIFY(m_reader->readPanelFile(m_dir->filePath(QStringLiteral("panel.xml")),
                                    verticalPanelText(QStringLiteral("<svdtree define=\"TREE\"/>"))));
    auto *tree = m_reader->root()->findChild<SvdTree *>(QStringLiteral("TREE"));
    QVERIFY(tree);
    ModuleRecord *adc = nullptr;
    QVERIFY(m_reader->panel.addModule(adc, QStringLiteral("ADC")));
    adc->addRegister(QString(), QStringLiteral("DR"));
    tree->setValue(QString(), 0);
    QCOMPARE(topTexts(*tree), QStringList{"ADC"});
    QVERIFY(child(topItem(*tree, QStringLiteral("ADC")), QStringLiteral("DR")));
}

QTEST_MAIN(TestSvdTree)
#include "tst_svdtree.moc"
