// The var element builder: what its attributes make of the variable and of
// its poll entry, its messages, and the binding by symbol through an ELF file
// compiled at test time, with the places checked against gdb.

#include "readerfixture.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "pollentries.h"
#include "programversion.h"
#include "varfirmware.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// The fields of a poll entry the builder fills, in one line.
QString describe(const VarPollEntry *entry)
{
    if (!entry)
        return QStringLiteral("unbound");
    return QStringLiteral("address=%1 size=%2 index=%3 channel=%4 interval=%5 ro=%6 force=%7 done=%8 svd=%9")
        .arg(QStringLiteral("0x") + QString::number(entry->address, 16))
        .arg(entry->byteSize)
        .arg(qint32(entry->index))
        .arg(entry->channel)
        .arg(entry->intervalMs)
        .arg(entry->readOnly)
        .arg(entry->forceSet)
        .arg(entry->readDone)
        .arg(entry->svdSymbol);
}

// The variable's own settings, in one line.
QString describe(DataClass *variable)
{
    return QStringLiteral("trigger=%1:%2 float=%3 access=%4 block=%5 default=%6")
        .arg(variable->hasTrigger)
        .arg(variable->triggerName)
        .arg(variable->isFloat)
        .arg(variable->readOnAccess)
        .arg(variable->hasBuffer() ? int(variable->byteSize()) : 0)
        .arg(variable->property("my_default").toString());
}

const QString plain = QStringLiteral("trigger=0: float=0 access=0 block=0 default=");

} // namespace

class TestVarBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void attributes_data();
    void attributes();
    void invalidAddressLeavesUnbound_data();
    void invalidAddressLeavesUnbound();
    void defineMessagesAndRegistry();
    void displayConnections();
    void entryGoesWithItsVariable();

    void symbolsAsGdbPlacesThem();
    void symbolFailures_data();
    void symbolFailures();

private:
    bool read(const QByteArray &elements, const QByteArray &header = QByteArray());
    DataClass *variable(const QString &name) const { return fx->panel.registries().variablesByName.value(name, nullptr); }
    QStringList errorLines() const;
    QStringList warningLines() const;

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
    QString m_firmware;
    QString m_toolsMissing;
};

void TestVarBuilder::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    m_toolsMissing = varFirmwareToolsMissing();
    if (m_toolsMissing.isEmpty()) {
        QString why;
        m_firmware = buildVarFirmware(QStringLiteral(VAR_FIXTURE_DIR), dir->path(), &why);
        QVERIFY2(!m_firmware.isEmpty(), qPrintable(why));
    }
}

void TestVarBuilder::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
}

void TestVarBuilder::cleanupTestCase()
{
    fx.reset();
}

bool TestVarBuilder::read(const QByteArray &elements, const QByteArray &header)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                             verticalPanelText(QString::fromUtf8(elements), QString::fromUtf8(header)));
}

QStringList TestVarBuilder::errorLines() const
{
    return fx->consoleText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QStringLiteral("XML Error:"));
}

QStringList TestVarBuilder::warningLines() const
{
    return fx->consoleText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QStringLiteral("XML Warning:"));
}

// ---------------------------------------------------------------------------
// Attributes

void TestVarBuilder::attributes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("settings");

    QTest::newRow("no target place") << QByteArray("<var define=\"V\"/>") << "unbound" << plain;
    QTest::newRow("address without size binds nothing")
        << QByteArray("<var define=\"V\" address=\"0x20000000\"/>") << "unbound" << plain;
    QTest::newRow("address, size and interval")
        << QByteArray("<var define=\"V\" address=\"0x20000000\" size=\"2\" interval=\"100\"/>")
        << "address=0x20000000 size=2 index=-1 channel=255 interval=100 ro=0 force=0 done=0 svd=" << plain;
    QTest::newRow("no interval: read counts as done")
        << QByteArray("<var define=\"V\" address=\"536870912\" size=\"4\"/>")
        << "address=0x20000000 size=4 index=-1 channel=255 interval=0 ro=0 force=0 done=1 svd=" << plain;
    QTest::newRow("every pass, read-only, forced")
        << QByteArray("<var define=\"V\" address=\"0x10\" size=\"1\" interval=\"0xFFFFFFFF\" readonly=\"2\""
                      " forceset=\"0b1\"/>")
        << "address=0x10 size=1 index=-1 channel=255 interval=4294967295 ro=1 force=1 done=0 svd=" << plain;
    QTest::newRow("block over four bytes")
        << QByteArray("<var define=\"V\" address=\"0x100\" size=\"8\"/>")
        << "address=0x100 size=8 index=-1 channel=255 interval=0 ro=0 force=0 done=1 svd="
        << "trigger=0: float=0 access=0 block=8 default=";
    QTest::newRow("four bytes take no block")
        << QByteArray("<var define=\"V\" address=\"0x100\" size=\"4\" interval=\"5\"/>")
        << "address=0x100 size=4 index=-1 channel=255 interval=5 ro=0 force=0 done=0 svd=" << plain;
    QTest::newRow("svd symbol alone")
        << QByteArray("<var define=\"V\" svdsymbol=\"GPIOA.ODR\"/>")
        << "address=0xffffffff size=0 index=-1 channel=255 interval=0 ro=0 force=0 done=1 svd=GPIOA.ODR" << plain;
    QTest::newRow("index 0 alone")
        << QByteArray("<var define=\"V\" index=\"0\"/>")
        << "address=0xffffffff size=0 index=0 channel=255 interval=0 ro=0 force=0 done=1 svd=" << plain;
    QTest::newRow("channel 255 alone binds nothing")
        << QByteArray("<var define=\"V\" channel=\"255\"/>") << "unbound" << plain;
    QTest::newRow("channel keeps its low byte")
        << QByteArray("<var define=\"V\" channel=\"0x103\"/>")
        << "address=0xffffffff size=0 index=-1 channel=3 interval=0 ro=0 force=0 done=1 svd=" << plain;
    QTest::newRow("numbers that are none count 0")
        << QByteArray("<var define=\"V\" address=\"0x20\" size=\"two\" interval=\"x\" index=\"i\"/>")
        << "address=0x20 size=0 index=0 channel=255 interval=0 ro=0 force=0 done=1 svd=" << plain;
    QTest::newRow("trigger, float, read on access, default")
        << QByteArray("<var define=\"V\" trigger=\"RESET_FLAG\" datatype=\"FLOAT\" readonaccess=\"0\""
                      " default=\"0x10\"/>")
        << "unbound" << "trigger=1:RESET_FLAG float=1 access=1 block=0 default=0x10";
    QTest::newRow("numeric trigger as decimal, other datatype")
        << QByteArray("<var define=\"V\" trigger=\"0x1F\" datatype=\"int\"/>") << "unbound"
        << "trigger=1:31 float=0 access=0 block=0 default=";
}

void TestVarBuilder::attributes()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, entry);
    QFETCH(QString, settings);

    QVERIFY(read(element));
    DataClass *var = variable(QStringLiteral("V"));
    QVERIFY(var);
    QCOMPARE(var->objectName(), QStringLiteral("V"));
    QCOMPARE(describe(var->entry), entry);
    QCOMPARE(describe(var), settings);
    if (var->entry) {
        QCOMPARE(fx->panel.registries().varPollList, QList<VarPollEntry *>{var->entry});
        QCOMPARE(var->entry->target, var);
    } else {
        QVERIFY(fx->panel.registries().varPollList.isEmpty());
    }
    QVERIFY2(errorLines().isEmpty(), qPrintable(errorLines().join(QLatin1Char('\n'))));
}

// An address nobody can mean must not fall back to 0, where the first write
// of the variable would land.
void TestVarBuilder::invalidAddressLeavesUnbound_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("negative") << QByteArray("-1");
    QTest::newRow("beyond 32 bits") << QByteArray("0x100000000");
    QTest::newRow("typo") << QByteArray("0x2000O000");
    QTest::newRow("text") << QByteArray("RAM_START");
    QTest::newRow("fraction") << QByteArray("0.5");
    QTest::newRow("empty") << QByteArray("");
}

void TestVarBuilder::invalidAddressLeavesUnbound()
{
    QFETCH(QByteArray, address);
    // An index would bind it on its own: the bad address still wins.
    QVERIFY(read("<var define=\"V\" address=\"" + address + "\" size=\"4\" index=\"2\"/>"
                 "<var define=\"W\" address=\"0x20\" size=\"4\"/>"));
    QVERIFY(variable(QStringLiteral("V")));
    QVERIFY(!variable(QStringLiteral("V"))->entry);
    QCOMPARE(fx->panel.registries().varPollList.size(), 1);
    QCOMPARE(fx->panel.registries().varPollList.first()->target, variable(QStringLiteral("W")));
    const QStringList errors = errorLines();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("Var address \"%1\" is no unsigned 32-bit number")
                                         .arg(QString::fromUtf8(address))),
             qPrintable(errors.first()));
    QVERIFY(errors.first().contains(QLatin1String(" V ")));
}

void TestVarBuilder::defineMessagesAndRegistry()
{
    QVERIFY(read("<var address=\"0x10\" size=\"1\"/>"
                 "<var define=\"D\" address=\"0x20\" size=\"1\"/>"
                 "<var define=\"D\" address=\"0x30\" size=\"2\"/>"));
    const QStringList errors = errorLines();
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors.at(0).contains(QLatin1String("Var without define is not allowed: ")));
    QVERIFY(errors.at(1).contains(QLatin1String("Duplicate define Var D")));

    // Built all the same: the nameless one under the empty name, bound.
    DataClass *nameless = variable(QString());
    QVERIFY(nameless);
    QVERIFY(nameless->entry);
    QCOMPARE(nameless->entry->address, quint32(0x10));

    // The second D replaces the first in the registry; the first keeps its entry.
    QCOMPARE(fx->panel.registries().varPollList.size(), 3);
    DataClass *first = fx->panel.registries().varPollList.at(1)->target;
    DataClass *second = fx->panel.registries().varPollList.at(2)->target;
    QVERIFY(first != second);
    QCOMPARE(variable(QStringLiteral("D")), second);
    QCOMPARE(second->entry->address, quint32(0x30));
    QCOMPARE(first->entry->address, quint32(0x20));
}

void TestVarBuilder::displayConnections()
{
    QVERIFY(read("<var define=\"V\"/>"));
    DataClass *var = variable(QStringLiteral("V"));
    QVERIFY(var);
    Panel *panel = &fx->panel;
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateLED));
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateSvgImage));
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateCurve));
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateDial));
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateThermo));
    QVERIFY(QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateLog));
    QVERIFY(QObject::disconnect(var, &DataClass::updateMathLabels, panel, &Panel::on_updateMathLabel));
    // Each once.
    QVERIFY(!QObject::disconnect(var, &DataClass::updateLEDs, panel, &Panel::on_updateLED));
}

// The next panel's variables replace these; their entries must not stay on
// the poll list pointing at variables that are gone.
void TestVarBuilder::entryGoesWithItsVariable()
{
    QVERIFY(read("<var define=\"A\" address=\"0x10\" size=\"1\"/><var define=\"B\" address=\"0x20\" size=\"1\"/>"));
    QCOMPARE(fx->panel.registries().varPollList.size(), 2);
    delete variable(QStringLiteral("A"));
    QCOMPARE(fx->panel.registries().varPollList.size(), 1);
    QCOMPARE(fx->panel.registries().varPollList.first()->target, variable(QStringLiteral("B")));
    fx->panel.removeVariable(QStringLiteral("A"));
    fx->clearPanelState();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(fx->panel.registries().varPollList.isEmpty());
}

// ---------------------------------------------------------------------------
// Symbols

void TestVarBuilder::symbolsAsGdbPlacesThem()
{
    if (!m_toolsMissing.isEmpty())
        QSKIP(qPrintable(m_toolsMissing));
    const QStringList names{QStringLiteral("cfg.gain"), QStringLiteral("buf[3]"), QStringLiteral("counter"),
                            QStringLiteral("cfg"), QStringLiteral("block")};
    const QHash<QString, GdbPlace> gdb = gdbPlaces(m_firmware, names);
    QCOMPARE(gdb.size(), names.size());

    // The symbol wins over address and size; a block takes the symbol's
    // size, whatever the size attribute said. The elf element inside a
    // container is read too.
    const QByteArray elf = "<elf file=\"" + m_firmware.toUtf8() + "\"/>";
    QVERIFY(read("<var define=\"GAIN\" symbol=\"cfg.gain\" interval=\"50\"/>"
                 "<var define=\"B3\" symbol=\"buf[3]\" address=\"0x40\" size=\"4\"/>"
                 "<var define=\"COUNTER\" symbol=\"counter\"/>"
                 "<var define=\"CFG\" symbol=\"cfg\" size=\"2\"/>"
                 "<groupcontainer>" + elf + "</groupcontainer>"
                 "<var define=\"BLOCK\" symbol=\"block\" size=\"2\"/>",
                 elf));
    QVERIFY2(errorLines().isEmpty() && warningLines().isEmpty(), qPrintable(fx->consoleText()));

    const QHash<QString, QString> defines{{QStringLiteral("cfg.gain"), QStringLiteral("GAIN")},
                                          {QStringLiteral("buf[3]"), QStringLiteral("B3")},
                                          {QStringLiteral("counter"), QStringLiteral("COUNTER")},
                                          {QStringLiteral("cfg"), QStringLiteral("CFG")},
                                          {QStringLiteral("block"), QStringLiteral("BLOCK")}};
    for (const QString &name : names) {
        DataClass *var = variable(defines.value(name));
        QVERIFY(var);
        QVERIFY2(var->entry, qPrintable(name));
        QCOMPARE(quint64(var->entry->address), gdb.value(name).address);
        QCOMPARE(quint64(var->entry->byteSize), gdb.value(name).size);
        // Blocks exactly as large as the bytes the entry moves.
        if (var->entry->byteSize > 4) {
            QVERIFY(var->hasBuffer());
            QCOMPARE(var->byteSize(), var->entry->byteSize);
        } else {
            QVERIFY2(!var->hasBuffer(), qPrintable(name));
        }
    }
    QCOMPARE(variable(QStringLiteral("GAIN"))->entry->intervalMs, 50u);
    QCOMPARE(fx->panel.registries().varPollList.size(), names.size());
}

void TestVarBuilder::symbolFailures_data()
{
    QTest::addColumn<QString>("elfFile"); // "" for no elf element; "@" the firmware
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("elfWarning");
    QTest::addColumn<QString>("code");

    QTest::newRow("unknown symbol") << "@" << "nosuch" << "" << "NotFound";
    QTest::newRow("unknown member") << "@" << "cfg.nosuch" << "" << "NotFound";
    QTest::newRow("index past the bound") << "@" << "buf[8]" << "" << "GeneralError";
    QTest::newRow("pointer notation") << "@" << "cfg->gain" << "" << "NotStatic";
    QTest::newRow("no elf element") << "" << "counter" << "" << "NoDwarfInfo";
    QTest::newRow("missing ELF file") << "missing.elf" << "counter" << "CantOpenBinaryFile" << "NoDwarfInfo";
    QTest::newRow("not an ELF file") << "panel.xml" << "counter" << "NoElfFile" << "NoDwarfInfo";
}

void TestVarBuilder::symbolFailures()
{
    QFETCH(QString, elfFile);
    QFETCH(QString, symbol);
    QFETCH(QString, elfWarning);
    QFETCH(QString, code);
    if (elfFile == QLatin1String("@")) {
        if (!m_toolsMissing.isEmpty())
            QSKIP(qPrintable(m_toolsMissing));
        elfFile = m_firmware;
    } else if (!elfFile.isEmpty()) {
        elfFile = dir->filePath(elfFile);
    }
    const QByteArray header = elfFile.isEmpty() ? QByteArray() : "<elf file=\"" + elfFile.toUtf8() + "\"/>";

    // Address and size beside the symbol bind the variable there; without
    // them it stays unbound, never at 0.
    const QByteArray symbolText = symbol.toHtmlEscaped().toUtf8();
    QVERIFY(read("<var define=\"V\" symbol=\"" + symbolText + "\" address=\"0x20000000\" size=\"4\" interval=\"10\"/>"
                 "<var define=\"W\" symbol=\"" + symbolText + "\" interval=\"10\"/>",
                 header));
    DataClass *var = variable(QStringLiteral("V"));
    QVERIFY(var);
    QVERIFY(var->entry);
    QCOMPARE(var->entry->address, 0x20000000u);
    QCOMPARE(var->entry->byteSize, 4u);
    QVERIFY(variable(QStringLiteral("W")));
    QVERIFY(!variable(QStringLiteral("W"))->entry);
    QCOMPARE(fx->panel.registries().varPollList.size(), 1);

    QVERIFY2(errorLines().isEmpty(), qPrintable(errorLines().join(QLatin1Char('\n'))));
    QStringList warnings = warningLines();
    const QString notFound = QStringLiteral("Cannot find ELF symbol \"%1\". Error: %2").arg(symbol, code);
    int symbolWarnings = 0;
    for (const QString &line : qAsConst(warnings))
        symbolWarnings += line.contains(notFound) ? 1 : 0;
    QVERIFY2(symbolWarnings == 2, qPrintable(warnings.join(QLatin1Char('\n'))));
    warnings.erase(std::remove_if(warnings.begin(), warnings.end(),
                                  [&notFound](const QString &line) { return line.contains(notFound); }),
                   warnings.end());
    if (elfWarning.isEmpty()) {
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    } else {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(QStringLiteral("Problem reading ELF file %1: %2.").arg(elfFile, elfWarning)),
                 qPrintable(warnings.first()));
    }
}

QTEST_MAIN(TestVarBuilder)
#include "tst_varbuilder.moc"
