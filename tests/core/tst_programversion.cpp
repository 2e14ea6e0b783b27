#include "programversion.h"

#include <QtTest>

class TestProgramVersion : public QObject
{
    Q_OBJECT

private slots:
    void emptyBeforeItIsRead();
    void readsTheProductVersion_data();
    void readsTheProductVersion();
    void laterMinorIsGreaterThanAnyEarlierPatch();
    void cleanupTestCase();
};

void TestProgramVersion::emptyBeforeItIsRead()
{
    QVERIFY(programVersion().text().isEmpty());
    QCOMPARE(programVersion().majorVersion(), 0u);
    QCOMPARE(programVersion().minorVersion(), 0u);
    QCOMPARE(programVersion().patchVersion(), 0u);
    QCOMPARE(programVersionShortText(), QString());
}

void TestProgramVersion::readsTheProductVersion_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<unsigned>("major");
    QTest::addColumn<unsigned>("minor");
    QTest::addColumn<unsigned>("patch");
    QTest::addColumn<QString>("shortText");
    QTest::addColumn<qint64>("number");

    QTest::newRow("four parts") << "3.12.7.99" << 3u << 12u << 7u << "3.12.7" << qint64(3012007);
    QTest::newRow("unparsable minor") << "4.x" << 4u << 0u << 0u << "4.x" << qint64(4000000);
    // Read after a full version, so a leftover part would show.
    QTest::newRow("no version information") << "" << 0u << 0u << 0u << "" << qint64(0);
    QTest::newRow("two parts") << "2.5" << 2u << 5u << 0u << "2.5" << qint64(2005000);
}

void TestProgramVersion::readsTheProductVersion()
{
    QFETCH(QString, product);
    QFETCH(unsigned, major);
    QFETCH(unsigned, minor);
    QFETCH(unsigned, patch);
    QFETCH(QString, shortText);
    QFETCH(qint64, number);

    qputenv("QUILLMATE_PRODUCT_VERSION", product.toLatin1());
    readProgramVersion();

    const ProgramVersion &version = programVersion();
    QCOMPARE(version.text(), product);
    QCOMPARE(version.majorVersion(), major);
    QCOMPARE(version.minorVersion(), minor);
    QCOMPARE(version.patchVersion(), patch);
    QCOMPARE(version.shortText(), shortText);
    QCOMPARE(programVersionShortText(), shortText);
    QCOMPARE(version.number(), number);
}

void TestProgramVersion::laterMinorIsGreaterThanAnyEarlierPatch()
{
    QVERIFY(ProgramVersion(QStringLiteral("2.10.0")).number() > ProgramVersion(QStringLiteral("2.9.999")).number());
    QVERIFY(ProgramVersion(QStringLiteral("3.0.0")).number() > ProgramVersion(QStringLiteral("2.999.999")).number());
}

void TestProgramVersion::cleanupTestCase()
{
    qunsetenv("QUILLMATE_PRODUCT_VERSION");
}

QTEST_APPLESS_MAIN(TestProgramVersion)
#include "tst_programversion.moc"
