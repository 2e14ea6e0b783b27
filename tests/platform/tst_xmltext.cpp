// The hand-built XML text of the project writer must escape every text as the
// XML stream writer does: the files are compared byte for byte with those
// the stream writer made.
#include "xmltext.h"

#include <QRandomGenerator>
#include <QXmlStreamWriter>
#include <QtTest>

class TestXmlText : public QObject
{
    Q_OBJECT

private slots:
    void escapesAsTheStreamWriter_data();
    void escapesAsTheStreamWriter();
    void everyCodeUnitAsTheStreamWriter();
    void randomTextsAsTheStreamWriter();

private:
    static QString byStreamWriter(const QString &prefix, const QString &text);
    static QString byAppend(const QString &prefix, const QString &text);
};

QString TestXmlText::byStreamWriter(const QString &prefix, const QString &text)
{
    QString out = prefix;
    QXmlStreamWriter writer(&out);
    writer.writeCharacters(text);
    return out;
}

QString TestXmlText::byAppend(const QString &prefix, const QString &text)
{
    QString out = prefix;
    appendXmlText(out, text);
    return out;
}

void TestXmlText::escapesAsTheStreamWriter_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("plain") << QStringLiteral("DEMO_PLL_MULT 0x1F");
    QTest::newRow("markup") << QStringLiteral("<p style=\"a\">x & y > z</p>");
    QTest::newRow("apostrophe") << QStringLiteral("it's");
    QTest::newRow("line breaks and tab") << QStringLiteral("a\nb\r\nc\td");
    QTest::newRow("control characters") << QStringLiteral("a\x01<b\x0b&c\x0c\x1f>");
    QTest::newRow("control first") << QStringLiteral("\x02");
    QTest::newRow("non-ASCII") << QStringLiteral("Grüße µA €");
    QTest::newRow("surrogate pair") << QString::fromUcs4(U"a\U0001F600<b");
    QTest::newRow("lone high surrogate") << QString(QChar(0xd800)) + QStringLiteral("<x");
    QTest::newRow("lone low surrogate") << QStringLiteral("x&") + QString(QChar(0xdc00));
    QTest::newRow("non-characters") << QString(QChar(0xfffe)) + QChar(0xffff) + QChar(0xfffd);
    QTest::newRow("end of CDATA") << QStringLiteral("]]>");
}

void TestXmlText::escapesAsTheStreamWriter()
{
    QFETCH(QString, text);
    QCOMPARE(byAppend(QStringLiteral("<v>"), text), byStreamWriter(QStringLiteral("<v>"), text));
}

void TestXmlText::everyCodeUnitAsTheStreamWriter()
{
    for (int u = 0; u <= 0xffff; ++u) {
        const QString text = QStringLiteral("a") + QChar(ushort(u)) + QStringLiteral("&b");
        const QString expected = byStreamWriter(QString(), text);
        const QString actual = byAppend(QString(), text);
        if (actual != expected)
            QFAIL(qPrintable(QStringLiteral("U+%1: %2 instead of %3").arg(u, 4, 16, QLatin1Char('0')).arg(actual, expected)));
    }
}

void TestXmlText::randomTextsAsTheStreamWriter()
{
    const QVector<ushort> alphabet{'a', 'Z', '0', ' ', '<', '>', '&', '"', '\'', '\t', '\n', '\r', 0x01,
                                   0x1f,  0x7f, 0xe9, 0x20ac, 0xd83d, 0xde00, 0xfffd, 0xfffe, 0xffff};
    QRandomGenerator random(36);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int size = random.bounded(24);
        for (int i = 0; i < size; ++i)
            text += QChar(alphabet.at(random.bounded(alphabet.size())));
        QCOMPARE(byAppend(QStringLiteral("x"), text), byStreamWriter(QStringLiteral("x"), text));
    }
}

QTEST_GUILESS_MAIN(TestXmlText)
#include "tst_xmltext.moc"
