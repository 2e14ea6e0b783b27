// The one writer of the text files we make: the disk form of a text (CR LF
// line ends, no doubled CR) and the choice to leave a file that already holds
// the bytes to write.
#include "textfilewriter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestTextFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void diskBytes_data();
    void diskBytes();
    void unchangedFileIsKeptOnlyWhenAskedFor();
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

void TestTextFileWriter::unchangedFileIsKeptOnlyWhenAskedFor()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("x.h");
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-2);
    auto writeAged = [&](const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()
            && file.setFileTime(old, QFileDevice::FileModificationTime);
    };
    auto isOld = [&] { return QFileInfo(path).lastModified().toSecsSinceEpoch() == old.toSecsSinceEpoch(); };

    struct Case {
        const char *name;
        bool keep;
        QByteArray before;
        QByteArray text;
        bool unchanged;
    };
    const Case cases[] = {
        {"same bytes, kept", true, "#define A 1\r\n", "#define A 1\n", true},
        {"same bytes, not asked", false, "#define A 1\r\n", "#define A 1\n", false},
        {"same size, other bytes", true, "#define A 2\r\n", "#define A 1\n", false},
        {"longer file", true, "#define A 1\r\n\r\n", "#define A 1\n", false},
    };
    for (const Case &c : cases) {
        QVERIFY2(writeAged(c.before), c.name);
        TextFileWriter writer(path, WrittenKind::Header);
        if (c.keep)
            writer.keepWhenUnchanged();
        writer << QString::fromUtf8(c.text);
        QVERIFY2(writer.write(), c.name);
        QVERIFY2(writer.unchanged() == c.unchanged, c.name);
        QVERIFY2(isOld() == c.unchanged, c.name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll() == TextFileWriter::diskBytes(QByteArray(c.text)), c.name);
    }

    // A file the write guard refuses stays refused, whatever it holds.
    QVERIFY(writeAged("<?xml version=\"1.0\"?><a/>"));
    TextFileWriter writer(path, WrittenKind::Header);
    writer.keepWhenUnchanged();
    writer << QStringLiteral("<?xml version=\"1.0\"?><a/>");
    QVERIFY(!writer.write());
    QVERIFY(writer.refused());
    QVERIFY(!writer.unchanged());
}

QTEST_GUILESS_MAIN(TestTextFileWriter)
#include "tst_textfilewriter.moc"
