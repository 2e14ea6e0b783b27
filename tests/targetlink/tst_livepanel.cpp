// A live panel from end to end: a firmware image compiled at test time, a
// panel whose elf element names it and whose var elements bind its symbols,
// opened in a main window with the simulator in place of the probe library.
// Values polled from the simulator's memory reach an LED and a formula label;
// a user's write lands in that memory at the place gdb gives for the symbol.

#include "dataclass.h"
#include "jlink.h"
#include "jlinksim.h"
#include "led.h"
#include "mathlabel.h"
#include "panelfixture.h"
#include "pollentries.h"
#include "varfirmware.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestLivePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void polledValuesReachDisplaysAndWritesReachTarget();

private:
    quint32 address(const QString &name) const { return quint32(m_places.value(name).address); }
    QByteArray peek(const QString &name, quint32 count) const;
    void poke(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir m_dir;
    QString m_firmware;
    QHash<QString, GdbPlace> m_places;
    JLinkSimPeek m_peek = nullptr;
    JLinkSimPoke m_poke = nullptr;
};

void TestLivePanel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString missing = varFirmwareToolsMissing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(QFileInfo::exists(QStringLiteral(JLINKSIM_PATH)),
             "The J-Link simulator library " JLINKSIM_PATH " is not built");

    QString why;
    m_firmware = buildVarFirmware(QStringLiteral(VAR_FIXTURE_DIR), m_dir.path(), &why);
    QVERIFY2(!m_firmware.isEmpty(), qPrintable(why));
    const QStringList names{QStringLiteral("cfg"), QStringLiteral("cfg.gain"), QStringLiteral("buf[3]"),
                            QStringLiteral("counter"), QStringLiteral("status"), QStringLiteral("block")};
    m_places = gdbPlaces(m_firmware, names);
    QCOMPARE(m_places.size(), names.size());

    qputenv("QUILLMATE_JLINK_LIBRARY", JLINKSIM_PATH);
    QVERIFY2(!JLink::loadJLinkDll(false), "the simulator did not load");
    m_peek = reinterpret_cast<JLinkSimPeek>(JLink::resolveJLinkFunction("jlinksim_peek"));
    m_poke = reinterpret_cast<JLinkSimPoke>(JLink::resolveJLinkFunction("jlinksim_poke"));
    auto reset = reinterpret_cast<JLinkSimReset>(JLink::resolveJLinkFunction("jlinksim_reset"));
    QVERIFY(m_peek && m_poke && reset);
    reset();
}

void TestLivePanel::cleanupTestCase()
{
    JLink::unloadJLinkDll();
}

QByteArray TestLivePanel::peek(const QString &name, quint32 count) const
{
    QByteArray bytes(int(count), '\0');
    if (m_peek(address(name), count, bytes.data()) != 0)
        return QByteArray();
    return bytes;
}

void TestLivePanel::poke(const QString &name, const QByteArray &bytes) const
{
    QCOMPARE(m_poke(address(name), quint32(bytes.size()), bytes.constData()), 0);
}

void TestLivePanel::polledValuesReachDisplaysAndWritesReachTarget()
{
    // The firmware's state as the target holds it (little-endian).
    poke(QStringLiteral("cfg"), QByteArray::fromHex("01003412e8030000"));
    poke(QStringLiteral("buf[3]"), QByteArray::fromHex("0d00"));
    poke(QStringLiteral("counter"), QByteArray::fromHex("05000000"));
    poke(QStringLiteral("status"), QByteArray::fromHex("01"));
    poke(QStringLiteral("block"), QByteArray::fromHex("0102030405060708090a0b0c"));

    PanelFixture fixture;
    const QString header = QStringLiteral("<elf file=\"%1\"/>").arg(m_firmware.toHtmlEscaped());
    QVERIFY(fixture.load(QStringLiteral(
                             "<verticalcontainer>"
                             "<var define=\"GAIN\" symbol=\"cfg.gain\" interval=\"10\"/>"
                             "<var define=\"SAMPLE\" symbol=\"buf[3]\" interval=\"10\"/>"
                             "<var define=\"COUNTER\" symbol=\"counter\" interval=\"10\"/>"
                             "<var define=\"STATUS\" symbol=\"status\" interval=\"10\"/>"
                             "<var define=\"TRIG\" symbol=\"block\" trigger=\"COUNTER\"/>"
                             "<led define=\"RUN\" data=\"STATUS\" bitmask=\"0x01\"/>"
                             "<math define=\"TOTAL\" formula=\"GAIN*2+COUNTER+SAMPLE\"/>"
                             "</verticalcontainer>"),
                         header));
    Panel *panel = fixture.window->panel();
    QCOMPARE(panel->registries().varPollList.size(), 5);
    QVERIFY2(fixture.consoleLines().filter(QStringLiteral("XML")).isEmpty(),
             qPrintable(fixture.consoleLines().join(QLatin1Char('\n'))));

    Led *run = panel->registries().ledsByName.value(QStringLiteral("RUN"));
    auto *total = fixture.widget<MathLabel>(QStringLiteral("TOTAL"));
    QVERIFY(run);
    QVERIFY(total);

    // The first polls bring the target's values to the displays.
    QTRY_VERIFY_WITH_TIMEOUT(run->isLit(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(total->text().toDouble(), double(0x1234 * 2 + 5 + 13), 5000);
    DataClass *gain = panel->registries().variablesByName.value(QStringLiteral("GAIN"));
    QVERIFY(gain && gain->entry);
    QCOMPARE(gain->value(), 0x1234u);

    // The firmware changes its state; the displays follow.
    poke(QStringLiteral("status"), QByteArray::fromHex("00"));
    poke(QStringLiteral("counter"), QByteArray::fromHex("2a000000"));
    QTRY_VERIFY_WITH_TIMEOUT(!run->isLit(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(total->text().toDouble(), double(0x1234 * 2 + 42 + 13), 5000);

    // The user's write lands in the two bytes of cfg.gain and nowhere else.
    QTRY_VERIFY_WITH_TIMEOUT(gain->entry->readDone, 5000);
    gain->setValue(0xBEEF);
    QTRY_COMPARE_WITH_TIMEOUT(peek(QStringLiteral("cfg"), 8), QByteArray::fromHex("0100efbee8030000"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(total->text().toDouble(), double(0xBEEF * 2 + 42 + 13), 5000);

    // A trigger reads its block and resets the variable it names, on the
    // target as well.
    DataClass *trigger = panel->registries().variablesByName.value(QStringLiteral("TRIG"));
    QVERIFY(trigger);
    QTRY_VERIFY_WITH_TIMEOUT(panel->registries().variablesByName.value(QStringLiteral("COUNTER"))->entry->readDone, 5000);
    trigger->setValue(1);
    QCOMPARE(trigger->buffer(), QByteArray::fromHex("0102030405060708090a0b0c"));
    QCOMPARE(peek(QStringLiteral("counter"), 4), QByteArray(4, '\0'));
    QTRY_COMPARE_WITH_TIMEOUT(total->text().toDouble(), double(0xBEEF * 2 + 0 + 13), 5000);
}

QTEST_MAIN(TestLivePanel)
#include "tst_livepanel.moc"
