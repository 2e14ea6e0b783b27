#include "definelist.h"
#include "expression.h"
#include "programstate.h"

#include <QtTest>

class TestDefineList : public QObject
{
    Q_OBJECT

private slots:
    void splitsItems_data();
    void splitsItems();
    void resetStartsTheRandomNumbersAgain();
};

void TestDefineList::splitsItems_data()
{
    QTest::addColumn<QString>("text");
    // Each item as "name|value", or "-" for an item without "=".
    QTest::addColumn<QStringList>("items");

    QTest::newRow("one") << "A=1" << QStringList{"A|1"};
    QTest::newRow("two, spaces trimmed") << " A = 1 ; B=x y " << QStringList{"A|1", "B|x y"};
    QTest::newRow("trailing separator") << "A=1;" << QStringList{"A|1", "-"};
    QTest::newRow("empty text") << "" << QStringList{"-"};
    QTest::newRow("no equals") << "A;B=2" << QStringList{"-", "B|2"};
    QTest::newRow("value ends at a further equals") << "A=1=2" << QStringList{"A|1"};
    QTest::newRow("empty name and value") << "=;A=" << QStringList{"|", "A|"};
    QTest::newRow("dotted define") << "M.R=0x10" << QStringList{"M.R|0x10"};
}

void TestDefineList::splitsItems()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);

    QStringList parsed;
    const QStringList written = text.split(QLatin1Char(';'));
    const QVector<DefineListItem> list = parseDefineList(text);
    QCOMPARE(list.size(), written.size());
    for (int i = 0; i < list.size(); ++i) {
        const DefineListItem &item = list.at(i);
        QCOMPARE(item.text, written.at(i));
        parsed << (item.hasValue ? item.name + QLatin1Char('|') + item.value : QStringLiteral("-"));
    }
    QCOMPARE(parsed, items);
}

// The formulas' rand() goes on for the whole run; a reset of the program's
// state starts it again as a fresh run does.
void TestDefineList::resetStartsTheRandomNumbersAgain()
{
    ProgramState::instance().reset();
    const int first = expressionRandom();
    const int second = expressionRandom();
    ProgramState::instance().textCount = 7;
    ProgramState::instance().reset();
    QCOMPARE(ProgramState::instance().textCount, 0);
    QCOMPARE(expressionRandom(), first);
    QCOMPARE(expressionRandom(), second);
}

QTEST_GUILESS_MAIN(TestDefineList)
#include "tst_definelist.moc"
