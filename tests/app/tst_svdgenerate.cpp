// Panels generated from SVD files: the exact lines for a small file of our
// own, both layouts, escaping, the SVD path, a broken file; and for the real
// files, every peripheral, register and field in a panel that opens without
// an error line and exports headers that gcc compiles.

#include "panelfixture.h"
#include "svdreader.h"
#include "svdstreamreader.h"
#include "svdxmlgenerator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

class TestSvdGenerate : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void smallFileGivesTheExactLines();
    void groupLayout();
    void svdPathIsRelativeToTheOutput();
    void brokenFileWritesNothing();
    void realFilesOpenExportAndCompile_data();
    void realFilesOpenExportAndCompile();

private:
    QString generate(const QString &svd, bool tree);

    std::unique_ptr<PanelFixture> f;
    QString startDir;
};

static const char *smallSvd = R"(<?xml version="1.0"?>
<device>
  <name>SMALL</name>
  <size>32</size>
  <peripherals>
    <peripheral>
      <name>GPIO</name>
      <description>General &amp; "special" IO</description>
      <baseAddress>0x50000000</baseAddress>
      <registers>
        <register>
          <name>CTRL</name>
          <description>Control</description>
          <addressOffset>0</addressOffset>
          <fields>
            <field><name>EN</name><description>Enable &lt;port&gt;</description><bitOffset>0</bitOffset><bitWidth>1</bitWidth></field>
            <field><name>MODE</name><description>Mode</description><bitRange>[3:2]</bitRange>
              <enumeratedValues><enumeratedValue><name>IN</name><value>0</value></enumeratedValue>
              <enumeratedValue><name>OUT</name><value>1</value></enumeratedValue></enumeratedValues></field>
            <field><name>DIV</name><description>Divider</description><lsb>8</lsb><msb>15</msb></field>
          </fields>
        </register>
        <register>
          <name>DATA</name>
          <description>Data</description>
          <addressOffset>4</addressOffset>
        </register>
      </registers>
    </peripheral>
    <peripheral derivedFrom="GPIO">
      <name>GPIO2</name>
      <baseAddress>0x50001000</baseAddress>
    </peripheral>
    <peripheral>
      <name>EMPTY</name>
      <baseAddress>0x50002000</baseAddress>
    </peripheral>
  </peripherals>
</device>
)";

void TestSvdGenerate::init()
{
    f = std::make_unique<PanelFixture>();
    startDir = QDir::currentPath();
    QDir::setCurrent(f->env->path(QString()));
}

void TestSvdGenerate::cleanup()
{
    QDir::setCurrent(startDir);
    f.reset();
}

QString TestSvdGenerate::generate(const QString &svd, bool tree)
{
    if (!f->window->generateXMLFromSVD(svd, tree))
        return QString();
    QFile out(QFileInfo(svd).baseName() + QStringLiteral("_Generated.xml"));
    if (!out.open(QIODevice::ReadOnly))
        return QString();
    // Signed panel files keep CR LF line ends.
    return QString::fromUtf8(out.readAll()).remove(QLatin1Char('\r'));
}

static QString withoutChecksum(QString text)
{
    text.replace(QRegularExpression(QStringLiteral("<checksum>[0-9a-f]{64}</checksum>")),
                 QStringLiteral("<checksum/>"));
    return text;
}

void TestSvdGenerate::smallFileGivesTheExactLines()
{
    writeTestFile(f->env->path("small.svd"), smallSvd);
    const QString text = generate(QStringLiteral("small.svd"), true);
    QVERIFY(!text.isEmpty());
    const QString gpio = QStringLiteral(
        "    <treecontainer headerlabels=\"Structure;Settings;\" label=\"%1\" desc=\"General &amp; &quot;special&quot; IO\" columnwidths=\"50;600\">\n"
        "    <header file=\"%1_defines.h\">\n"
        "        <branch label=\"CTRL\">\n"
        "          <horizontalcontainer>\n"
        "            <text label=\"Enable &lt;port&gt;\" size=\"120;-1\" wordwrap=\"1\"/>\n"
        "            <checkbox define=\"%1.CTRL.EN\" />\n"
        "          </horizontalcontainer>\n"
        "          <horizontalcontainer>\n"
        "            <text label=\"Mode\" size=\"120;-1\" wordwrap=\"1\"/>\n"
        "            <combo define=\"%1.CTRL.MODE\" size=\"400;-1\" />\n"
        "          </horizontalcontainer>\n"
        "          <horizontalcontainer>\n"
        "            <text label=\"Divider\" size=\"120;-1\" wordwrap=\"1\"/>\n"
        "            <spinbox define=\"%1.CTRL.DIV\" />\n"
        "          </horizontalcontainer>\n"
        "        </branch>\n"
        "          <horizontalcontainer>\n"
        "            <text label=\"Data\" size=\"120;-1\" wordwrap=\"1\"/>\n"
        "            <spinbox define=\"%1.DATA\" />\n"
        "          </horizontalcontainer>\n"
        "    </header>\n"
        "    </treecontainer>\n");
    const QString expected = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                            "<zelmlcfg version=\"2.0.2\">\n"
                                            "  <checksum/>\n"
                                            "  <version label=\"V2.0.1\"/>\n"
                                            "  <svd file=\"small.svd\"/>\n"
                                            "  <disclaimer file=\"disclaimer.txt\"/>\n"
                                            "  <tabcontainer label = \"Peripherals\" resize=\"1\">\n")
        + gpio.arg("GPIO") + gpio.arg("GPIO2")
        + QStringLiteral("  </tabcontainer>\n</zelmlcfg>\n");
    QCOMPARE(withoutChecksum(text), expected);
    // Signed: it opens as it is.
    QVERIFY(text.contains("<checksum>" + PanelXmlReader::checksumOf(text.toUtf8()) + "</checksum>"));
}

void TestSvdGenerate::groupLayout()
{
    writeTestFile(f->env->path("small.svd"), smallSvd);
    const QString text = generate(QStringLiteral("small.svd"), false);
    QVERIFY(text.contains("    <gridcontainer columns=\"3\" label=\"GPIO\" desc=\"General &amp; &quot;special&quot; IO\">\n"
                          "    <header file=\"GPIO_defines.h\">\n"
                          "        <groupcontainer label=\"CTRL\" sizepolicy=\"fixed;fixed\">\n"
                          "        <verticalcontainer>\n"
                          "          <horizontalcontainer>\n"));
    QVERIFY(text.contains("        </verticalcontainer>\n        </groupcontainer>\n"));
    QVERIFY(text.contains("    </header>\n    </gridcontainer>\n"));
    QVERIFY(!text.contains("treecontainer") && !text.contains("<branch"));
}

void TestSvdGenerate::svdPathIsRelativeToTheOutput()
{
    QDir().mkpath(f->env->path("chips"));
    QDir().mkpath(f->env->path("work"));
    writeTestFile(f->env->path("chips/small.svd"), smallSvd);
    QDir::setCurrent(f->env->path("work"));
    const QString text = generate(f->env->path("chips/small.svd"), true);
    QVERIFY(text.contains("  <svd file=\"../chips/small.svd\"/>\n"));
    // The generated panel finds its SVD file.
    QVERIFY(f->window->open(f->env->path("work/small_Generated.xml")));
    f->window->initLoadedConfiguration(true);
    QVERIFY(f->window->panel()->moduleTable().contains("GPIO2"));
}

void TestSvdGenerate::brokenFileWritesNothing()
{
    writeTestFile(f->env->path("broken.svd"), "<module><peripherals/></module>\n");
    // The panel of an earlier, good run stays as it was.
    const QByteArray earlier = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.2\"/>\n";
    writeTestFile(QDir::current().filePath("broken_Generated.xml"), earlier);
    QVERIFY(!f->window->generateXMLFromSVD(QStringLiteral("broken.svd"), true));
    QFile out(QStringLiteral("broken_Generated.xml"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), earlier);
    QVERIFY(QFile::remove(QStringLiteral("broken_Generated.xml")));
    QVERIFY(!f->window->generateXMLFromSVD(QStringLiteral("broken.svd"), false));
    QVERIFY(!QFile::exists(QStringLiteral("broken_Generated.xml")));
    ErrorReporter::instance().logFile().flush();
    QFile log(ErrorReporter::instance().logFileName());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString console = QString::fromUtf8(log.readAll());
    QVERIFY2(console.contains("Cannot read file ") && console.contains("broken.svd:\nWarning<br>"), qPrintable(console));
    QCOMPARE(f->errors(), QStringList()); // on the console, in no box
}

void TestSvdGenerate::realFilesOpenExportAndCompile_data()
{
    QTest::addColumn<QString>("svd");
    QTest::addColumn<bool>("tree");
    QTest::newRow("ARM_Example tree") << QStringLiteral(SVD_FIXTURE_DIR "/ARM_Example.svd") << true;
    QTest::newRow("ARM_Example group") << QStringLiteral(SVD_FIXTURE_DIR "/ARM_Example.svd") << false;
    QTest::newRow("nrf51") << QStringLiteral(SVD_FIXTURE_DIR "/nrf51.svd") << true;
    QTest::newRow("nrf54l15") << QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd") << true;
    QTest::newRow("demo chip") << QStringLiteral(QUILLMATE_EXAMPLES "/demo.svd") << false;
}

void TestSvdGenerate::realFilesOpenExportAndCompile()
{
    QFETCH(QString, svd);
    QFETCH(bool, tree);
    const QString local = QFileInfo(svd).fileName();
    QVERIFY(QFile::copy(svd, local));
    writeTestFile(QDir::current().filePath("disclaimer.txt"), "/* Generated for the test. */\n");
    const QString text = generate(local, tree);
    QVERIFY(!text.isEmpty());

    // Every peripheral with registers, every register and field of the file.
    Symscan::SVDReader device;
    QCOMPARE(device.Read(local), unsigned(Symscan::CLog::Success));
    int containers = 0;
    QSet<QString> defines;
    for (const Symscan::Peripheral &peripheral : device.peripherals) {
        containers += peripheral.registers.empty() ? 0 : 1;
        for (const Symscan::Register &reg : peripheral.registers) {
            const QString path = peripheral.name + '.' + svdModelRegisterName(reg.name);
            if (reg.fields.empty())
                defines.insert(path);
            for (const Symscan::Field &field : reg.fields)
                defines.insert(path + '.' + field.name);
        }
    }
    QCOMPARE(text.count(tree ? "<treecontainer " : "<gridcontainer "), containers);
    QSet<QString> written;
    const QRegularExpression define(QStringLiteral("define=\"([^\"]+)\""));
    for (auto match = define.globalMatch(text); match.hasNext();)
        written.insert(match.next().captured(1));
    QCOMPARE(written, defines);

    // Opens without an error line (real files hold enumerated values twice,
    // for reading and for writing, which the combo boxes warn about).
    f->clearConsole();
    const QString generated = QFileInfo(local).baseName() + QStringLiteral("_Generated.xml");
    QVERIFY(f->window->open(generated));
    f->window->initLoadedConfiguration(true);
    for (const QString &line : f->consoleLines())
        QVERIFY2(!line.contains("color=\"red\""), qPrintable(line));
    QCOMPARE(f->errors(), QStringList());

    // The headers export and compile.
    QVERIFY(f->window->exportHeaderFiles(true));
    QString includes;
    for (const QString &header : QDir::current().entryList({QStringLiteral("*_defines.h")}, QDir::Files))
        includes += QStringLiteral("#include \"%1\"\n").arg(header);
    QCOMPARE(includes.count("#include"), containers);
    writeTestFile(QDir::current().filePath("all.c"), (includes + "int main(void) { return 0; }\n").toUtf8());
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"), {QStringLiteral("-std=c11"), QStringLiteral("-Wall"), QStringLiteral("-Werror"),
                                      QStringLiteral("-fsyntax-only"), QStringLiteral("all.c")});
    QVERIFY(gcc.waitForFinished(60000));
    QVERIFY2(gcc.exitCode() == 0, gcc.readAllStandardError().left(2000).constData());
}

QTEST_MAIN(TestSvdGenerate)
#include "tst_svdgenerate.moc"
