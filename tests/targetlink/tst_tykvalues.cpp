// The Tyk value lists without a window: packing send lists into request bytes
// and cutting replies into the items of receive lists.
#include "tykvalues.h"

#include <QtTest>


namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(char(value));
    return result;
}

// Plays the registries: VAR is a variable holding 0x01020304, EL an element
// whose value text is 300.7, TXT an element whose value is no number.
std::optional<quint32> lookup(const QString &name, bool *unconvertible)
{
    if (name == QLatin1String("VAR"))
        return 0x01020304u;
    if (name == QLatin1String("EL"))
        return tykWordFromNumberText(QStringLiteral("300.7"));
    if (name == QLatin1String("TXT")) {
        *unconvertible = true;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

class TestTykValues : public QObject
{
    Q_OBJECT

private slots:
    void packsSendLists_data();
    void packsSendLists();
    void wrapsNumbersToThirtyTwoBits_data();
    void wrapsNumbersToThirtyTwoBits();
    void readsReceiveLists_data();
    void readsReceiveLists();
    void cutsRepliesIntoFields();
    void shortRepliesGiveWhatThereIs();
};

void TestTykValues::packsSendLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("unconvertible");

    const QStringList none;
    QTest::newRow("counts both orders") << "0x12;2:0x3456;-2:0x3456"
                                        << bytes({0x12, 0x34, 0x56, 0x56, 0x34}) << none;
    QTest::newRow("count 1 and -1") << "1:0x1234;-1:0x1234" << bytes({0x34, 0x34}) << none;
    QTest::newRow("count 3") << "3:0x123456;-3:0x123456" << bytes({0x12, 0x34, 0x56, 0x56, 0x34, 0x12}) << none;
    QTest::newRow("four bytes decimal") << "4:300" << bytes({0x00, 0x00, 0x01, 0x2C}) << none;
    QTest::newRow("minus four") << "-4:0xA1B2C3D4" << bytes({0xD4, 0xC3, 0xB2, 0xA1}) << none;
    QTest::newRow("no count one byte") << "258" << bytes({0x02}) << none;
    QTest::newRow("count 0") << "0:5;7" << bytes({0x07}) << none;
    QTest::newRow("binary") << "0b101" << bytes({0x05}) << none;
    QTest::newRow("prefixes are case-sensitive") << "0B101;0X12" << QByteArray() << QStringList{"0B101", "0X12"};
    QTest::newRow("broken literals say nothing") << "0xZZ;0b102;1" << bytes({0x01}) << none;
    QTest::newRow("literal beyond 32 bits") << "0x123456789;2" << bytes({0x02}) << none;
    QTest::newRow("variable") << "4:VAR;-2:VAR" << bytes({0x01, 0x02, 0x03, 0x04, 0x04, 0x03}) << none;
    QTest::newRow("element, fraction dropped") << "2:EL" << bytes({0x01, 0x2C}) << none;
    QTest::newRow("element without a number") << "TXT;1" << bytes({0x01}) << QStringList{"TXT"};
    QTest::newRow("unknown name") << "NOSUCH;3" << bytes({0x03}) << QStringList{"NOSUCH"};
    QTest::newRow("text before colon no count") << "x:5" << QByteArray() << QStringList{"x:5"};
    QTest::newRow("empty items count") << "1;;2" << bytes({0x01, 0x02}) << QStringList{""};
    QTest::newRow("negative decimal") << "-5" << QByteArray() << QStringList{"-5"};
    QTest::newRow("decimal beyond 32 bits") << "4:4294967296" << QByteArray() << QStringList{"4294967296"};
    QTest::newRow("largest decimal") << "4:4294967295" << bytes({0xFF, 0xFF, 0xFF, 0xFF}) << none;
    QTest::newRow("bytes beyond four are zero") << "6:0x01020304;-6:0x01020304"
        << bytes({0, 0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0}) << none;
    QTest::newRow("count at the limit") << "64:1" << (QByteArray(63, '\0') + bytes({1})) << none;
    QTest::newRow("counts beyond the limit") << "65:1;-65:1;2147483648:1;-2147483648:1;99999999999999999999:1;1"
        << bytes({0x01})
        << QStringList{"65:1", "-65:1", "2147483648:1", "-2147483648:1", "99999999999999999999:1"};
    QTest::newRow("garbage") << "::;\t;abc" << QByteArray() << QStringList{"::", "\t", "abc"};
}

void TestTykValues::packsSendLists()
{
    QFETCH(QString, list);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, unconvertible);
    const TykPackResult packed = packTykValues(list, lookup);
    QCOMPARE(packed.bytes, expected);
    QCOMPARE(packed.unconvertible, unconvertible);
}

void TestTykValues::wrapsNumbersToThirtyTwoBits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("word");

    QTest::newRow("plain") << "42" << true << 42u;
    QTest::newRow("fraction dropped") << "42.99" << true << 42u;
    QTest::newRow("minus one") << "-1" << true << 0xFFFFFFFFu;
    QTest::newRow("negative fraction toward zero") << "-1.5" << true << 0xFFFFFFFFu;
    QTest::newRow("2^32 wraps to 0") << "4294967296" << true << 0u;
    QTest::newRow("2^32 + 5") << "4294967301" << true << 5u;
    QTest::newRow("1e10 wraps") << "1e10" << true << 1410065408u;
    QTest::newRow("below -2^32") << "-4294967297" << true << 0xFFFFFFFFu;
    QTest::newRow("infinite") << "inf" << false << 0u;
    QTest::newRow("not a number") << "nan" << false << 0u;
    QTest::newRow("text") << "abc" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
}

void TestTykValues::wrapsNumbersToThirtyTwoBits()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(quint32, word);
    const std::optional<quint32> result = tykWordFromNumberText(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, word);
}

void TestTykValues::readsReceiveLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<qint64>>("counts");
    QTest::addColumn<QStringList>("destinations");
    QTest::addColumn<qint64>("needed");

    QTest::newRow("mixed") << "2:A;?;-2:B" << QList<qint64>{2, 1, -2} << QStringList{"A", "?", "B"} << qint64(5);
    QTest::newRow("needs seven") << "2:A;?;4:B" << QList<qint64>{2, 1, 4} << QStringList{"A", "?", "B"} << qint64(7);
    QTest::newRow("non-numeric count is 0") << "x:5" << QList<qint64>{0} << QStringList{"5"} << qint64(0);
    QTest::newRow("three parts") << "2:a:b" << QList<qint64>{1} << QStringList{"2"} << qint64(1);
    QTest::newRow("huge counts do not overflow")
        << "2147483647:A;-2147483648:B;99999999999:C" << QList<qint64>{2147483647, -2147483648LL, 0}
        << QStringList{"A", "B", "C"} << qint64(4294967295LL);
    QTest::newRow("empty list") << "" << QList<qint64>{} << QStringList{} << qint64(0);
}

void TestTykValues::readsReceiveLists()
{
    QFETCH(QString, list);
    QFETCH(QList<qint64>, counts);
    QFETCH(QStringList, destinations);
    QFETCH(qint64, needed);
    const QList<TykReceiveItem> items = parseTykReceiveList(list);
    QList<qint64> gotCounts;
    QStringList gotDestinations;
    for (const TykReceiveItem &item : items) {
        gotCounts << item.count;
        gotDestinations << item.destination;
    }
    QCOMPARE(gotCounts, counts);
    QCOMPARE(gotDestinations, destinations);
    QCOMPARE(tykReceiveLength(items), needed);
}

void TestTykValues::cutsRepliesIntoFields()
{
    QByteArray reply(64, '\0');
    for (int i = 0; i < 10; ++i)
        reply[i] = char(i + 1);
    const QList<TykReceivedField> fields =
        unpackTykReply(parseTykReceiveList(QStringLiteral("2:A;?;-2:B;V;-3:W;0:Z")), reply);
    QCOMPARE(fields.size(), 6);
    QCOMPARE(fields.at(0).value, 0x0102u);
    QCOMPARE(fields.at(1).destination, QStringLiteral("?"));
    QCOMPARE(fields.at(2).value, 0x0504u);
    QCOMPARE(fields.at(2).bytes, bytes({0x05, 0x04}));
    QCOMPARE(fields.at(3).value, 0x06u);
    // Least significant first: the bytes come reversed, most significant first.
    QCOMPARE(fields.at(4).bytes, bytes({0x09, 0x08, 0x07}));
    QCOMPARE(fields.at(4).value, 0x090807u);
    QCOMPARE(fields.at(5).bytes, QByteArray());
    QCOMPARE(fields.at(5).value, 0u);

    // More than four bytes: the last four (least significant) make the value.
    const QList<TykReceivedField> wide = unpackTykReply(parseTykReceiveList(QStringLiteral("6:A;-6:B")), reply);
    QCOMPARE(wide.at(0).value, 0x03040506u);
    QCOMPARE(wide.at(1).bytes, bytes({0x00, 0x00, 0x0A, 0x09, 0x08, 0x07}));
    QCOMPARE(wide.at(1).value, 0x0A090807u);
}

void TestTykValues::shortRepliesGiveWhatThereIs()
{
    const QList<TykReceivedField> fields =
        unpackTykReply(parseTykReceiveList(QStringLiteral("2:A;4:B;2147483647:C;-2147483648:D")),
                       bytes({0x11, 0x22, 0x33}));
    QCOMPARE(fields.at(0).bytes, bytes({0x11, 0x22}));
    QCOMPARE(fields.at(1).bytes, bytes({0x33}));
    QCOMPARE(fields.at(1).value, 0x33u);
    QCOMPARE(fields.at(2).bytes, QByteArray());
    QCOMPARE(fields.at(3).bytes, QByteArray());
}

QTEST_APPLESS_MAIN(TestTykValues)
#include "tst_tykvalues.moc"
