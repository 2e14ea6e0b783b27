// Random saved values and column formats for the register table's text
// handling, run under AddressSanitizer and UndefinedBehaviorSanitizer: every
// list of rows survives joining and splitting, any text splits, and any
// format (the panel's own text) is formatted without reaching printf
// unchecked. A fixed seed keeps every run the same.
#include "table.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString Alphabet = QStringLiteral("ab,;\\%dxXsnl0123456789.-+# *\xe4");

QString randomText(QRandomGenerator &random, int maxLength)
{
    QString text;
    const int length = int(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        text += Alphabet.at(int(random.bounded(Alphabet.size())));
    return text;
}

} // namespace

class TestTableFuzz : public QObject
{
    Q_OBJECT

private slots:
    void rowsSurviveJoinAndSplit();
    void anyTextSplits();
    void anyFormatFormats();
};

void TestTableFuzz::rowsSurviveJoinAndSplit()
{
    QRandomGenerator random(110);
    for (int round = 0; round < 3000; ++round) {
        QList<QStringList> rows;
        const int count = 1 + int(random.bounded(4));
        for (int r = 0; r < count; ++r) {
            QStringList row;
            for (int k = 0; k < 6; ++k)
                row << randomText(random, 6);
            rows << row;
        }
        const QList<QStringList> back = splitTableRows(joinTableRows(rows));
        QCOMPARE(back.size(), rows.size() + 1);
        QCOMPARE(back.mid(0, rows.size()), rows);
    }
}

void TestTableFuzz::anyTextSplits()
{
    QRandomGenerator random(111);
    for (int round = 0; round < 3000; ++round) {
        const QString text = randomText(random, 60);
        const QList<QStringList> rows = splitTableRows(text);
        QVERIFY(!rows.isEmpty());
    }
}

void TestTableFuzz::anyFormatFormats()
{
    QRandomGenerator random(112);
    for (int round = 0; round < 20000; ++round) {
        QString format = randomText(random, 12);
        if (random.bounded(2))
            format.prepend(QLatin1Char('%'));
        const qint64 value = qint64(random.generate64());
        const QString text = formatTableNumber(format, value);
        QVERIFY(text.size() < 512);
        formatTableDefault(format);
    }
    // Widths and precisions at their limits.
    QCOMPARE(formatTableNumber(QStringLiteral("%99.99llx"), -1).size(), 99);
}

QTEST_MAIN(TestTableFuzz)
#include "tst_table_fuzz.moc"
