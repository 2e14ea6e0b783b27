// The SVD view dialog over a hand-filled register model, offscreen, and its
// menu command in a run without dialogs.

#include "fakeelement.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "registermodel.h"
#include "svddialog.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>

#include <memory>

class TestSvdDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsAndUnboundFields();
    void modulesThatAreElementsAreLeftOut();
    void doubleClickFindsTheRowsElement_data();
    void doubleClickFindsTheRowsElement();
    void menuCommandNeverBlocksARunWithoutDialogs();

private:
    QStandardItem *child(QStandardItem *parent, const QString &text) const;

    std::unique_ptr<Panel> m_panel;
    FakeElement m_moder{QStringLiteral("GPIO.MODER")};
    FakeElement m_mode0{QStringLiteral("GPIO.MODER.MODE0")};
    FakeElement m_plain{QStringLiteral("GPIO")};
};

void TestSvdDialog::init()
{
    m_panel = std::make_unique<Panel>(nullptr);
    ModuleRecord *gpio = nullptr;
    QVERIFY(m_panel->addModule(gpio, QStringLiteral("GPIO")));
    gpio->description = QStringLiteral("General purpose I/O");
    RegisterRecord *moder = gpio->addRegister(QString(), QStringLiteral("MODER"));
    moder->description = QStringLiteral("Mode (pins)");
    FieldRecord *mode0 = moder->addField(QStringLiteral("MODE0"));
    mode0->addEnumeratedValue(QStringLiteral("ON"), QStringLiteral("enabled"), 1);
    mode0->addEnumeratedValue(QStringLiteral("OFF"), QStringLiteral("disabled"), 0);
    moder->addField(QStringLiteral("MODE1"));
    ModuleRecord *uart = nullptr;
    QVERIFY(m_panel->addModule(uart, QStringLiteral("UART")));
    uart->addRegister(QString(), QStringLiteral("CR"))->addField(QStringLiteral("EN"));
    m_panel->registerElement(QStringLiteral("GPIO.MODER"), &m_moder);
    m_panel->registerElement(QStringLiteral("GPIO.MODER.MODE0"), &m_mode0);
}

void TestSvdDialog::cleanup()
{
    m_panel->forgetAllElements();
    m_panel.reset();
}

QStandardItem *TestSvdDialog::child(QStandardItem *parent, const QString &text) const
{
    for (int row = 0; parent && row < parent->rowCount(); ++row) {
        if (parent->child(row)->text() == text)
            return parent->child(row);
    }
    return nullptr;
}

void TestSvdDialog::rowsAndUnboundFields()
{
    ShowSvdDialog dialog(m_panel.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Show the current loaded SVD as a tree"));
    QStandardItem *root = dialog.model()->invisibleRootItem();
    QCOMPARE(root->rowCount(), 2);
    QStandardItem *gpio = child(root, QStringLiteral("GPIO (General purpose I/O)"));
    QStandardItem *uart = child(root, QStringLiteral("UART ()"));
    QVERIFY(gpio && uart);
    QCOMPARE(gpio->toolTip(), QStringLiteral("General purpose I/O"));
    QStandardItem *moder = child(gpio, QStringLiteral("MODER (Mode (pins))"));
    QVERIFY(moder);
    QStandardItem *mode0 = child(moder, QStringLiteral("MODE0"));
    QStandardItem *mode1 = child(moder, QStringLiteral("MODE1"));
    QStandardItem *en = child(child(uart, QStringLiteral("CR ()")), QStringLiteral("EN"));
    QVERIFY(mode0 && mode1 && en);

    // Bound: no background; unbound: yellow.
    QCOMPARE(mode0->background().style(), Qt::NoBrush);
    QCOMPARE(mode1->background().color(), QColor(Qt::yellow));
    QCOMPARE(en->background().color(), QColor(Qt::yellow));
    const QStringList lines = mode0->toolTip().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(QLatin1String("ON")) && lines.at(0).contains(QLatin1String("enabled")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("OFF")) && lines.at(1).contains(QLatin1String("disabled")));

    // "Expand all" opens every level.
    QPushButton *expand = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Expand all"))
            expand = button;
    }
    QVERIFY(expand);
    QVERIFY(!dialog.treeView()->isExpanded(dialog.model()->indexFromItem(moder)));
    QTest::mouseClick(expand, Qt::LeftButton);
    QVERIFY(dialog.treeView()->isExpanded(dialog.model()->indexFromItem(moder)));
}

void TestSvdDialog::modulesThatAreElementsAreLeftOut()
{
    // Every define is also a module of its own name; the built-in elements
    // and plain defines are not peripherals.
    FakeElement dir(QStringLiteral("$DIR$"));
    FakeElement peripherals(QStringLiteral("$PERIPHERALS$"));
    FakeElement baud(QStringLiteral("BAUD"));
    for (FakeElement *element : {&dir, &peripherals, &baud}) {
        ModuleRecord *module = nullptr;
        QVERIFY(m_panel->addModule(module, element->objectName()));
        m_panel->registerElement(element->objectName(), element);
    }
    ShowSvdDialog dialog(m_panel.get());
    QStringList tops;
    for (int row = 0; row < dialog.model()->rowCount(); ++row)
        tops << dialog.model()->item(row)->text();
    QCOMPARE(tops, (QStringList{"GPIO (General purpose I/O)", "UART ()"}));
}

void TestSvdDialog::doubleClickFindsTheRowsElement_data()
{
    QTest::addColumn<QStringList>("rowTexts");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("element");
    QTest::newRow("bound field") << QStringList{"GPIO (General purpose I/O)", "MODER (Mode (pins))", "MODE0"}
                                 << "GPIO.MODER.MODE0" << "GPIO.MODER.MODE0";
    QTest::newRow("unbound field") << QStringList{"GPIO (General purpose I/O)", "MODER (Mode (pins))", "MODE1"}
                                   << "GPIO.MODER.MODE1" << QString();
    QTest::newRow("register cut at its first bracket")
        << QStringList{"GPIO (General purpose I/O)", "MODER (Mode (pins))"} << "GPIO.MODER" << "GPIO.MODER";
    QTest::newRow("module without plain define") << QStringList{"GPIO (General purpose I/O)"} << "GPIO" << QString();
}

void TestSvdDialog::doubleClickFindsTheRowsElement()
{
    QFETCH(QStringList, rowTexts);
    QFETCH(QString, path);
    QFETCH(QString, element);
    ShowSvdDialog dialog(m_panel.get());
    QStandardItem *item = dialog.model()->invisibleRootItem();
    for (const QString &text : rowTexts)
        item = child(item, text);
    QVERIFY(item);
    const QModelIndex index = dialog.model()->indexFromItem(item);
    QCOMPARE(dialog.pathOf(index), path);

    QList<ActiveElement *> activated;
    connect(&dialog, &ShowSvdDialog::elementActivated, this,
            [&activated](ActiveElement *found) { activated << found; });
    dialog.on_doubleClicked(index);
    if (element.isEmpty())
        QCOMPARE(activated, QList<ActiveElement *>());
    else
        QCOMPARE(activated, QList<ActiveElement *>{m_panel->getActiveElement(element)});
}

void TestSvdDialog::menuCommandNeverBlocksARunWithoutDialogs()
{
    TestEnvironment env;
    env.writeSettingsIni(QStringLiteral("[General]\n"));
    MainWindow window(quietOptions());
    QElapsedTimer clock;
    clock.start();
    window.showSvdTree();
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestSvdDialog)
#include "tst_svddialog.moc"
