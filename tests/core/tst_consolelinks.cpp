// Console links: written by the reader, the locks, the setDef report and the
// script runner, read back by the console and the unresolved-defines dialog.
#include "consolelinks.h"

#include <QtTest>

class TestConsoleLinks : public QObject
{
    Q_OBJECT

private slots:
    void linksReadBackToWhatWasWritten_data();
    void linksReadBackToWhatWasWritten();
    void filePositionText();
};

void TestConsoleLinks::linksReadBackToWhatWasWritten_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("plain define") << linkTarget("MODE") << "MODE" << QStringList();
    QTest::newRow("define with colons") << linkTarget("SPI:CTRL:EN") << "SPI:CTRL:EN" << QStringList();
    QTest::newRow("file position with a drive colon")
        << filePositionLink("C:/cfg/panel.xml", "12", "7") << QString()
        << QStringList{"C:/cfg/panel.xml", "-n12", "-c7"};
    QTest::newRow("script position without a line")
        << filePositionLink("/run/a.script", QString(), "1") << QString() << QStringList{"/run/a.script", "-n", "-c1"};
    QTest::newRow("empty link") << QString() << QString() << QStringList();
}

void TestConsoleLinks::linksReadBackToWhatWasWritten()
{
    QFETCH(QString, href);
    QFETCH(QString, element);
    QFETCH(QStringList, arguments);
    // No ":" survives in a link: a URL would take it for a scheme.
    QVERIFY(!href.contains(QLatin1Char(':')));
    const ConsoleLink link = readConsoleLink(href);
    QCOMPARE(link.elementName, element);
    QCOMPARE(link.editorArguments, arguments);
    QCOMPARE(link.isFilePosition(), !arguments.isEmpty());
}

void TestConsoleLinks::filePositionText()
{
    QCOMPARE(filePositionLink("C:/p.xml", "3", "9"), QStringLiteral("$xmlopen$C$$$COLON$$$/p.xml$-n3$-c9"));
}

QTEST_APPLESS_MAIN(TestConsoleLinks)
#include "tst_consolelinks.moc"
