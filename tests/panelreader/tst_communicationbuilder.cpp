// The communication element builder: the exchange entry its attributes make,
// the order of entries, and its define check.
#include "readerfixture.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "pollentries.h"
#include "programversion.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The fields the builder fills, in one line.
QString describe(const ComPollEntry *entry)
{
    return QStringLiteral("send=[%1] receive=[%2] onChanged=%3 interval=%4 timeout=%5")
        .arg(entry->sendData, entry->receiveData)
        .arg(entry->onChanged)
        .arg(entry->intervalMs)
        .arg(entry->timeoutMs);
}

} // namespace

class TestCommunicationBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void attributes_data();
    void attributes();
    void entriesInDocumentOrder();
    void duplicateDefineIsReported();

private:
    bool read(const QByteArray &elements);

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestCommunicationBuilder::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestCommunicationBuilder::cleanupTestCase()
{
    fx.reset();
}

bool TestCommunicationBuilder::read(const QByteArray &elements)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                             verticalPanelText(QString::fromUtf8(elements), QString()));
}

void TestCommunicationBuilder::attributes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("entry");

    QTest::newRow("no attributes still makes an entry")
        << QByteArray("<communication/>") << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("all five as written")
        << QByteArray("<communication data=\"0x01;2:RPM\" recdata=\"2:A;?;-4:B\" OnChanged=\"1\" interval=\"100\""
                      " timeout=\"25\"/>")
        << "send=[0x01;2:RPM] receive=[2:A;?;-4:B] onChanged=1 interval=100 timeout=25";
    QTest::newRow("OnChanged 2 is not set")
        << QByteArray("<communication OnChanged=\"2\"/>") << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("OnChanged true is not set")
        << QByteArray("<communication OnChanged=\"true\"/>")
        << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("onchanged in another case is another attribute")
        << QByteArray("<communication onchanged=\"1\"/>")
        << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("hexadecimal interval and binary timeout are 0")
        << QByteArray("<communication interval=\"0x64\" timeout=\"0b11\"/>")
        << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("negative and oversized numbers are 0")
        << QByteArray("<communication interval=\"-5\" timeout=\"4294967296\"/>")
        << "send=[] receive=[] onChanged=0 interval=0 timeout=0";
    QTest::newRow("largest 32-bit interval")
        << QByteArray("<communication interval=\"4294967295\" timeout=\"12abc\"/>")
        << "send=[] receive=[] onChanged=0 interval=4294967295 timeout=0";
    QTest::newRow("text content is skipped")
        << QByteArray("<communication data=\"1\" interval=\"10\">ignored</communication>")
        << "send=[1] receive=[] onChanged=0 interval=10 timeout=0";
}

void TestCommunicationBuilder::attributes()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, entry);

    QVERIFY(read(element));
    QCOMPARE(fx->panel.registries().comPollList.size(), 1);
    QCOMPARE(describe(fx->panel.registries().comPollList.first()), entry);
    QCOMPARE(fx->panel.registries().comPollList.first()->neededBytes, quint16(0));
    QCOMPARE(fx->xmlLines(), QStringList());
}

// Two exchanges, with other elements around them, keep the document's order;
// the next read starts a fresh list.
void TestCommunicationBuilder::entriesInDocumentOrder()
{
    QVERIFY(read("<communication data=\"1\" interval=\"10\"/>"
                 "<var define=\"V\"/>"
                 "<communication data=\"2\" interval=\"20\"/>"));
    QCOMPARE(fx->panel.registries().comPollList.size(), 2);
    QCOMPARE(fx->panel.registries().comPollList[0]->sendData, QStringLiteral("1"));
    QCOMPARE(fx->panel.registries().comPollList[1]->sendData, QStringLiteral("2"));
    QVERIFY(fx->panel.registries().variablesByName.contains(QStringLiteral("V")));

    QVERIFY(read("<communication data=\"3\"/>"));
    QCOMPARE(fx->panel.registries().comPollList.size(), 1);
    QCOMPARE(fx->panel.registries().comPollList[0]->sendData, QStringLiteral("3"));
}

// The define is only checked; it registers nothing, so a later element may
// use it without a complaint.
void TestCommunicationBuilder::duplicateDefineIsReported()
{
    QVERIFY(read("<var define=\"SPEED\"/>"
                 "<communication define=\"SPEED\" data=\"1\"/>"
                 "<communication define=\"FREE\"/>"
                 "<var define=\"FREE\"/>"));
    QCOMPARE(fx->xmlLines(), QStringList({"XML Error: Duplicate define Var SPEED"}));
    QCOMPARE(fx->panel.registries().comPollList.size(), 2);
}

QTEST_MAIN(TestCommunicationBuilder)
#include "tst_communicationbuilder.moc"
