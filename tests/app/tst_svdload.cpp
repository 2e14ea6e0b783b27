// The program's SVD load: a panel that names an SVD file gets its registers,
// its list elements filled, its bound elements placed; a broken SVD file is
// said on the console with its position and the panel still opens.

#include "combobox.h"
#include "panelfixture.h"
#include "registermodel.h"
#include "registerview.h"

#include <QStandardItemModel>
#include <QtTest>

class TestSvdLoad : public QObject
{
    Q_OBJECT
private slots:
    void panelWithSvdFile()
    {
        PanelFixture fixture;
        QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/ARM_Example.svd"), fixture.env->path("chip.svd"));
        QVERIFY(fixture.load(QStringLiteral(
                                 "<verticalcontainer>\n"
                                 "<combo define=\"$PERIPHERALS$\" svd=\"0\"></combo>\n"
                                 "<combo define=\"$REGISTERS$\" svd=\"0\"></combo>\n"
                                 "<spinbox define=\"TIMER1.CR.MODE\" header=\"t.h\" range=\"0;7\" default=\"0\"/>\n"
                                 "</verticalcontainer>"),
                             QStringLiteral("<svd file=\"chip.svd\"/>\n")));
        Panel *panel = fixture.window->panel();
        QCOMPARE(panel->header().svdDeviceName, QStringLiteral("ARM_Example"));
        for (const char *name : {"TIMER0", "TIMER1", "TIMER2"})
            QVERIFY(panel->registries().moduleTable.contains(name));
        RegisterRecord *cr = panel->registries().moduleTable.value("TIMER1")->getRegister("CR");
        QVERIFY(cr);
        QCOMPARE(cr->address, 0x40010100);
        QCOMPARE(cr->headerName, QStringLiteral("t.h"));
        // MODE sits at register bits 6..4.
        QCOMPARE(cr->elementsByMask().value(quint64(0x70)), fixture.element("TIMER1.CR.MODE"));
        auto *peripherals = fixture.widget<ComboBox>("$PERIPHERALS$");
        QVERIFY(peripherals);
        QCOMPARE(peripherals->count(), 3);
        auto *registers = fixture.widget<ComboBox>("$REGISTERS$");
        QVERIFY(registers);
        QCOMPARE(registers->count(), 33 - 1); // TIMER1.CR came from the panel
        for (const QString &line : fixture.consoleLines())
            QVERIFY2(!line.contains("Not found in svd file"), qPrintable(line));
    }

    void brokenSvdFile()
    {
        PanelFixture fixture;
        const QString svd = fixture.env->path("broken.svd");
        QFile file(svd);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<device>\n<peripherals>\n<peripheral>\n</peripherals>\n</device>\n");
        file.close();
        // The open fails, and the link points into the SVD file.
        QVERIFY(!fixture.load(QStringLiteral("<verticalcontainer>\n<label text=\"x\"/>\n</verticalcontainer>"),
                              QStringLiteral("<svd file=\"broken.svd\"/>\n")));
        const QString console = fixture.consoleLines().join('\n');
        QVERIFY2(console.contains("tag mismatch"), qPrintable(console));
        QVERIFY2(console.contains("line 4, column"), qPrintable(console));
        QVERIFY2(console.contains("broken.svd$-n4$-c"), qPrintable(console));
        QVERIFY2(!console.contains("panel.xml$-n4$-c"), qPrintable(console));
    }

    // The register example: a peripheral chosen in the peripherals list lists
    // its registers, and the register chosen there is shown in the view with
    // its fields at their bits and its reset value.
    void registerExampleShowsChosenRegister()
    {
        PanelFixture fixture;
        for (const char *name : {"registers.xml", "demo.svd"})
            QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + name, fixture.env->path(name)));
        QVERIFY(fixture.window->open(fixture.env->path("registers.xml")));
        fixture.window->initLoadedConfiguration(true);
        QCOMPARE(fixture.errors(), QStringList());
        for (const QString &line : fixture.consoleLines())
            QVERIFY2(!line.contains("Error"), qPrintable(line));

        // The lock graph's tool tips of elements bound to registers.
        QCOMPARE(fixture.window->registerToolTip(fixture.element("CLK.CTRL.OSCEN")),
                 QStringLiteral("Clock control\nOscillator enable"));
        QCOMPARE(fixture.window->registerToolTip(fixture.element("TIM.CH0[15:0]")), QStringLiteral("Channel period"));
        QCOMPARE(fixture.window->registerToolTip(fixture.element("DEMO_REGISTER_SELECT")), QString());

        auto *peripherals = fixture.widget<ComboBox>("$PERIPHERALS$");
        auto *registers = fixture.widget<ComboBox>("DEMO_REGISTER_SELECT");
        auto *view = fixture.widget<RegisterView>("DEMO_REGISTER_VIEW");
        QVERIFY(peripherals && registers && view);
        QCOMPARE(peripherals->count(), 4);

        // As the user picks them.
        const auto choose = [](ComboBox *combo, int index) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        };
        choose(peripherals, peripherals->findText("TIM"));
        choose(peripherals, peripherals->findText("CLK"));
        QStringList listed;
        for (int i = 0; i < registers->count(); ++i)
            listed << registers->itemText(i);
        QCOMPARE(listed, (QStringList{"CTRL", "STATUS"}));

        choose(registers, 1);
        choose(registers, 0);
        QCOMPARE(view->value(KeywordRegisterName, 0), QStringLiteral("CLK.CTRL"));
        QCOMPARE(view->value(KeywordAddress, 0), QString::number(0x40000000u));
        QCOMPARE(view->value(KeywordValue, 0), QString::number(0x81));
        QStringList headers;
        for (int c = 0; c < view->tableModel()->columnCount(); ++c)
            headers << view->tableModel()->headerData(c, Qt::Horizontal).toString().section('\n', 0, 0);
        QVERIFY2(headers.contains("SRC") && headers.contains("OSCEN") && headers.contains("DIV"),
                 qPrintable(headers.join(',')));
        QVERIFY(headers.indexOf("DIV") < headers.indexOf("SRC"));
        QVERIFY(headers.indexOf("SRC") < headers.indexOf("OSCEN"));
    }
};

QTEST_MAIN(TestSvdLoad)
#include "tst_svdload.moc"
