#include "checkbox.h"
#include "diffdialog.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "testenvironment.h"
#include "unresolveddialog.h"
#include "windowoptions.h"

#include <QStandardItemModel>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

class TestDiffDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void diffDialogLayout();
    void differencesKeepValuesWhole_data();
    void differencesKeepValuesWhole();
    void doubleClickRaisesOnlyDefines();
    void unresolvedDialogPlacesBothLists();
    void unresolvedLinksRaiseTheElement();
    void showDifferencesIgnoresOtherFiles();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
};

void TestDiffDialogs::init()
{
    env = std::make_unique<TestEnvironment>();
    window = std::make_unique<MainWindow>(quietOptions());
}

void TestDiffDialogs::cleanup()
{
    window.reset();
    env.reset();
}

static QStringList row(const QStandardItemModel *model, int r)
{
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c)
        cells << model->item(r, c)->text();
    return cells;
}

void TestDiffDialogs::diffDialogLayout()
{
    DiffDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("Comparison of current settings against content of file"));
    QCOMPARE(dialog.size(), QSize(500, 700));
    const QStandardItemModel *model = dialog.model();
    QCOMPARE(model->columnCount(), 3);
    const QStringList titles = {"Element", "Current setting", "XML file"};
    const QStringList tips = {"Element in GUI", "Current setting", "XML file setting"};
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(model->horizontalHeaderItem(c)->text(), titles.at(c));
        QCOMPARE(model->horizontalHeaderItem(c)->toolTip(), tips.at(c));
    }
    dialog.setFileColumnTitle("board.qlmp");
    QCOMPARE(model->horizontalHeaderItem(2)->text(), QString("board.qlmp"));
    QCOMPARE(model->horizontalHeaderItem(2)->toolTip(), QString("XML file setting"));
}

void TestDiffDialogs::differencesKeepValuesWhole_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("file");
    QTest::newRow("plain") << "17" << "16";
    QTest::newRow("text edit lines") << "first\nsecond" << "first\n\nthird";
    QTest::newRow("comparison in a value") << "a!=b" << "x != y";
    QTest::newRow("separator text in a value") << "#:#" << "left#:#right!=";
    QTest::newRow("empty current") << "" << "0x10";
}

void TestDiffDialogs::differencesKeepValuesWhole()
{
    QFETCH(QString, current);
    QFETCH(QString, file);
    DiffDialog dialog;
    dialog.setDifferences({{"ADC.CTRL.MODE", "1", "2"}, {"NOTE", current, file}, {"LAST", "a", "b"}});
    const QStandardItemModel *model = dialog.model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(row(model, 0), QStringList({"ADC.CTRL.MODE", "1", "2"}));
    QCOMPARE(row(model, 1), QStringList({"NOTE", current, file}));
    QCOMPARE(row(model, 2), QStringList({"LAST", "a", "b"}));
    QVERIFY(model->item(1, 0)->font().underline());
    QVERIFY(!model->item(1, 1)->font().underline());

    // A second comparison replaces the first; an equal project leaves the table empty.
    dialog.setDifferences({{"ONLY", "1", "0"}});
    QCOMPARE(model->rowCount(), 1);
    dialog.setDifferences({});
    QCOMPARE(model->rowCount(), 0);
}

void TestDiffDialogs::doubleClickRaisesOnlyDefines()
{
    auto *mode = new CheckBox("MODE", "Mode", window.get());
    window->panel()->registerElement("MODE", mode);
    DiffDialog dialog;
    connect(&dialog, &DiffDialog::defineActivated, &window->elementFinder(), &WindowElementFinder::raiseDefine);
    dialog.setDifferences({{"MODE", "LEVEL", ""}});
    auto *level = new CheckBox("LEVEL", "Level", window.get()); // named, but no registered define

    dialog.on_doubleClicked(dialog.model()->index(0, 1));
    dialog.on_doubleClicked(dialog.model()->index(0, 2));
    QVERIFY(!window->elementFinder().mark().widget.data());
    QCOMPARE(level->styleSheet(), QString());

    dialog.on_doubleClicked(dialog.model()->index(0, 0));
    QCOMPARE(window->elementFinder().mark().widget.data(), static_cast<QWidget *>(mode));
}

void TestDiffDialogs::unresolvedDialogPlacesBothLists()
{
    UnresolvedDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("Load old QLMP: Missing Registers:"));
    dialog.setTexts("<a href=\"ADC.CTRL\">ADC.CTRL</a><br>\n<a href=\"MODE\">MODE</a><br>",
                    "#define OLD_REG 5\n#define GONE 0x10");
    // The file's lines stay one per line; the panel's names are links on the right.
    QCOMPARE(dialog.fileOnlyBrowser()->toPlainText(), QString("#define OLD_REG 5\n#define GONE 0x10"));
    QCOMPARE(dialog.panelOnlyBrowser()->toPlainText(), QString("ADC.CTRL\nMODE\n"));
    QVERIFY(dialog.panelOnlyBrowser()->toHtml().contains("href=\"MODE\""));
}

void TestDiffDialogs::unresolvedLinksRaiseTheElement()
{
    auto *port = new CheckBox("PORT:A", "Port A", window.get());
    window->panel()->registerElement("PORT:A", port);
    UnresolvedDialog dialog;
    connect(&dialog, &UnresolvedDialog::defineActivated, &window->elementFinder(), &WindowElementFinder::raiseDefine);
    dialog.setTexts("<a href=\"PORT$$$COLON$$$A\">PORT:A</a><br>", QString());
    QTextBrowser *links = dialog.panelOnlyBrowser();
    const QString before = links->toPlainText();

    dialog.on_anchorClicked(QUrl("UNKNOWN"));
    QVERIFY(!window->elementFinder().mark().widget.data());
    emit links->anchorClicked(QUrl("PORT$$$COLON$$$A"));
    QCOMPARE(window->elementFinder().mark().widget.data(), static_cast<QWidget *>(port));
    // The link leads to the element, not to another page in the browser.
    QVERIFY(!links->openLinks());
    QCOMPARE(links->toPlainText(), before);
}

void TestDiffDialogs::showDifferencesIgnoresOtherFiles()
{
    const QString header = env->path("old.h");
    QFile file(header);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#define MODE 1\n");
    file.close();
    auto *diffDialog = window->findChild<DiffDialog *>();
    QVERIFY(diffDialog);
    const QString title = window->windowTitle();

    env->installPrompt({""});
    window->showDifferences(); // cancelled
    env->installPrompt({header});
    window->showDifferences(); // an older header: not compared
    QVERIFY(!diffDialog->isVisible());
    QCOMPARE(window->windowTitle(), title);
    for (const QString &line : env->prompt()->transcript())
        QVERIFY2(!line.contains("Cannot"), qPrintable(line));
}

QTEST_MAIN(TestDiffDialogs)
#include "tst_diffdialogs.moc"
