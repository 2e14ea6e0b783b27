// The one writer of the text files we make: the disk form of a text (CR LF
// line ends from every line end, no doubled CR), and a write of the bytes a file holds already.
#include "textfilewriter.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>

class TestTextFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void diskBytes_data();
    void diskBytes();
    void sameBytesOnlyRenewTheTime();
    void diskBytesInAnotherEncoding();
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
    QTest::newRow("lone CR ends its line") << QByteArray("a\rb\n\r") << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("CR-only lines") << QByteArray("<a\rb=\"1\"/>\r") << QByteArray("<a\r\nb=\"1\"/>\r\n");
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("UTF-8") << QByteArray("\xc3\xbc\n\xe2\x82\xac") << QByteArray("\xc3\xbc\r\n\xe2\x82\xac");
}

void TestTextFileWriter::diskBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, disk);
    QCOMPARE(TextFileWriter::diskBytes(text), disk);
    QCOMPARE(TextFileWriter::diskBytes(QString::fromUtf8(text)), disk);
}

static ino_t inodeOf(const QString &fileName)
{
    struct stat info {};
    return ::stat(QFile::encodeName(fileName).constData(), &info) == 0 ? info.st_ino : 0;
}

// Written again with the bytes it holds, a file keeps its content and itself
// (no replacement) and only its modification time moves on; any difference,
// also of the same length, replaces it.
void TestTextFileWriter::sameBytesOnlyRenewTheTime()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("out.h"));
    auto write = [&](const QString &text) {
        TextFileWriter writer(name, WrittenKind::Header);
        writer.setText(text);
        return writer.write();
    };
    auto age = [&] {
        QFile file(name);
        return file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2), QFileDevice::FileModificationTime);
    };
    auto content = [&] {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QDateTime recent = QDateTime::currentDateTimeUtc().addSecs(-60);

    QVERIFY(write(QStringLiteral("#define A 1\n")));
    const ino_t first = inodeOf(name);
    QVERIFY(first != 0);
    QVERIFY(age());
    QVERIFY(write(QStringLiteral("#define A 1\n")));
    QCOMPARE(content(), QByteArray("#define A 1\r\n"));
    QCOMPARE(inodeOf(name), first);
    QVERIFY(QFileInfo(name).lastModified().toUTC() > recent);

    QVERIFY(age());
    QVERIFY(write(QStringLiteral("#define A 2\n")));
    QCOMPARE(content(), QByteArray("#define A 2\r\n"));
    QVERIFY(inodeOf(name) != first);
    QVERIFY(QFileInfo(name).lastModified().toUTC() > recent);

    QVERIFY(write(QStringLiteral("#define A 22\n")));
    QCOMPARE(content(), QByteArray("#define A 22\r\n"));
}

// A file that keeps its encoding: its byte-order mark first, every line end
// (a CR alone too) as CR LF in that encoding, and a word when a character
// has no form in it.
void TestTextFileWriter::diskBytesInAnotherEncoding()
{
    const QString text = QString::fromUtf8("<a\rb=\"\xc3\xbc\"\n/>\r\n");
    const QString crLf = QString::fromUtf8("<a\r\nb=\"\xc3\xbc\"\r\n/>\r\n");
    bool encoded = false;
    QTextCodec *utf16 = QTextCodec::codecForName("UTF-16BE");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QCOMPARE(TextFileWriter::diskBytes(text, utf16, "\xFE\xFF", &encoded),
             QByteArray("\xFE\xFF") + utf16->fromUnicode(crLf.constData(), crLf.size(), &state));
    QVERIFY(encoded);
    QTextCodec *latin1 = QTextCodec::codecForName("ISO-8859-1");
    QCOMPARE(TextFileWriter::diskBytes(text, latin1, QByteArray(), &encoded), QByteArray("<a\r\nb=\"\xfc\"\r\n/>\r\n"));
    QVERIFY(encoded);
    TextFileWriter::diskBytes(QString::fromUtf8("\xe2\x82\xac"), latin1, QByteArray(), &encoded);
    QVERIFY(!encoded);
}

QTEST_GUILESS_MAIN(TestTextFileWriter)
#include "tst_textfilewriter.moc"
