// The one writer of the text files we make: the disk form of a text (CR LF
// line ends, no doubled CR).
#include "textfilewriter.h"

#include <QtTest>

class TestTextFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void diskBytes_data();
    void diskBytes();
};

void TestTextFileWriter::diskBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("disk");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no line end") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("line feeds") << QByteArray("a\nbc\n") << QByteArray("a\r\nbc\r\n");
    QTest::newRow("only line feeds") << QByteArray("\n\n") << QByteArray("\r\n\r\n");
    QTest::newRow("last line open") << QByteArray("a\n\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("CR LF already") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone CR dropped") << QByteArray("a\rb\n\r") << QByteArray("ab\r\n");
    QTest::newRow("UTF-8") << QByteArray("\xc3\xbc\n\xe2\x82\xac") << QByteArray("\xc3\xbc\r\n\xe2\x82\xac");
}

void TestTextFileWriter::diskBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, disk);
    QCOMPARE(TextFileWriter::diskBytes(text), disk);
    QCOMPARE(TextFileWriter::diskBytes(QString::fromUtf8(text)), disk);
}

QTEST_GUILESS_MAIN(TestTextFileWriter)
#include "tst_textfilewriter.moc"
