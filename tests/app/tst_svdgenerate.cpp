// Panels generated from SVD files: the exact lines for a small file of our
// own, both layouts, escaping, the SVD path, a broken file, a panel that
// cannot be written; names that give
// no C name left out and reported (in the window, in a -g run, counted by a
// batch run); and for the real files, every peripheral, register and field in
// a panel that opens without an error line and exports headers that gcc
// compiles. A generated panel whose SVD file is missing fails its -g and -s
// runs at once and writes nothing.

#include "panelfixture.h"
#include "programrun.h"
#include "svdpanelgeneration.h"
#include "svdreader.h"
#include "svdstreamreader.h"
#include "svdxmlgenerator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QThread>
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
    void unwritablePanelIsNoReadError();
    void realFilesOpenExportAndCompile_data();
    void realFilesOpenExportAndCompile();
    void namesThatAreNoCNamesAreLeftOut();
    void leftOutNamesCountInABatchRun();
    void svdMissingFailsTheRunAtOnce_data();
    void svdMissingFailsTheRunAtOnce();
    // The small fixtures of the vendor constructs (arrays of peripherals and
    // fields, derived arrays, split register blocks, number forms, enumerated
    // value blocks, repeated field names): generated, opened by -g with
    // exit 0, and their headers compile.
    void constructsGenerateOpenAndCompile_data();
    void constructsGenerateOpenAndCompile();
    // A generation killed at any moment leaves the old signed panel or the
    // new signed one.
    void killedGenerationLeavesASignedPanel();

private:
    QString generate(const QString &svd, bool tree);
    // A folder of the test environment with the program's home panel, as
    // beside the program itself.
    void installHomePanel();

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
    if (!generatePanelFromSvd(f->window->panel(), svd, tree))
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
    QVERIFY(f->window->panel()->registries().moduleTable.contains("GPIO2"));
}

void TestSvdGenerate::brokenFileWritesNothing()
{
    writeTestFile(f->env->path("broken.svd"), "<module><peripherals/></module>\n");
    // The panel of an earlier, good run stays as it was.
    const QByteArray earlier = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.2\"/>\n";
    writeTestFile(QDir::current().filePath("broken_Generated.xml"), earlier);
    QVERIFY(!generatePanelFromSvd(f->window->panel(), QStringLiteral("broken.svd"), true));
    QFile out(QStringLiteral("broken_Generated.xml"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), earlier);
    QVERIFY(QFile::remove(QStringLiteral("broken_Generated.xml")));
    QVERIFY(!generatePanelFromSvd(f->window->panel(), QStringLiteral("broken.svd"), false));
    QVERIFY(!QFile::exists(QStringLiteral("broken_Generated.xml")));
    ErrorReporter::instance().logFile().flush();
    QFile log(ErrorReporter::instance().logFileName());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString console = QString::fromUtf8(log.readAll());
    QVERIFY2(console.contains("Cannot read file ") && console.contains("broken.svd:\nWarning<br>"), qPrintable(console));
    QCOMPARE(f->errors(), QStringList()); // on the console, in no box
}

void TestSvdGenerate::unwritablePanelIsNoReadError()
{
    writeTestFile(f->env->path("small.svd"), smallSvd);
    // A folder where the panel file would go: the write fails.
    QVERIFY(QDir().mkpath(QDir::current().filePath("small_Generated.xml")));
    QVERIFY(!generatePanelFromSvd(f->window->panel(), QStringLiteral("small.svd"), true));
    ErrorReporter::instance().logFile().flush();
    QFile log(ErrorReporter::instance().logFileName());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString console = QString::fromUtf8(log.readAll());
    // The write is reported against the panel file; the SVD file read well.
    QVERIFY2(console.contains("small_Generated.xml"), qPrintable(console));
    QVERIFY2(!console.contains("Cannot read file "), qPrintable(console));
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

static QSet<QString> definesOf(const QString &panelText)
{
    QSet<QString> defines;
    const QRegularExpression define(QStringLiteral("define=\"([^\"]+)\""));
    for (auto match = define.globalMatch(panelText); match.hasNext();)
        defines.insert(match.next().captured(1));
    return defines;
}

// gcc's verdict on a C file including every header given.
static QString compileErrors(const QStringList &headers)
{
    QString includes;
    for (const QString &header : headers)
        includes += QStringLiteral("#include \"%1\"\n").arg(header);
    writeTestFile(QDir::current().filePath("all.c"), (includes + "int main(void) { return 0; }\n").toUtf8());
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"), {QStringLiteral("-std=c11"), QStringLiteral("-Wall"), QStringLiteral("-Werror"),
                                      QStringLiteral("-fsyntax-only"), QStringLiteral("all.c")});
    if (!gcc.waitForFinished(60000))
        return QStringLiteral("gcc did not finish");
    return gcc.exitCode() == 0 ? QString() : QString::fromLocal8Bit(gcc.readAllStandardError().left(2000));
}

void TestSvdGenerate::constructsGenerateOpenAndCompile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("peripheral arrays") << "peripheral_arrays";
    QTest::newRow("field arrays") << "field_arrays";
    QTest::newRow("derived from a template name") << "derived_template";
    QTest::newRow("several registers blocks") << "register_blocks";
    QTest::newRow("number forms") << "number_forms";
    QTest::newRow("enumerated values") << "enumerated_values";
    QTest::newRow("repeated field names") << "repeated_fields";
}

void TestSvdGenerate::constructsGenerateOpenAndCompile()
{
    QFETCH(QString, name);
    const QString svd = name + QStringLiteral(".svd");
    QVERIFY(QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/constructs/") + svd, svd));
    writeTestFile(QDir::current().filePath("disclaimer.txt"), "/* Generated for the test. */\n");
    const QString text = generate(svd, true);
    QVERIFY(!text.isEmpty());

    // Every define once, each a C name path (no "%s", no brackets).
    QStringList defines;
    const QRegularExpression define(QStringLiteral("define=\"([^\"]+)\""));
    for (auto match = define.globalMatch(text); match.hasNext();)
        defines << match.next().captured(1);
    QVERIFY(!defines.isEmpty());
    QCOMPARE(QSet<QString>(defines.cbegin(), defines.cend()).size(), defines.size());
    const QRegularExpression cPath(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)*$"));
    for (const QString &path : qAsConst(defines))
        QVERIFY2(cPath.match(path).hasMatch(), qPrintable(path));

    installHomePanel();
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY),
                                      {QStringLiteral("-g"), QFileInfo(svd).baseName() + QStringLiteral("_Generated.xml")},
                                      QDir::currentPath(), f->env->configDir(), 120000);
    QVERIFY2(run.finished, "the run did not end by itself");
    QVERIFY2(run.exitCode == 0, qPrintable(run.stdErr));
    QVERIFY2(!run.stdErr.contains(QLatin1String("Out of size")), qPrintable(run.stdErr));
    QVERIFY2(!run.stdErr.contains(QLatin1String("already assigned bits")), qPrintable(run.stdErr));
    const QStringList headers = QDir::current().entryList({QStringLiteral("*_defines.h")}, QDir::Files);
    QVERIFY(!headers.isEmpty());
    const QString errors = compileErrors(headers);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

void TestSvdGenerate::killedGenerationLeavesASignedPanel()
{
    const auto signedText = [](const QByteArray &bytes) {
        const QString text = QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
        return text.contains("<checksum>" + PanelXmlReader::checksumOf(text.toUtf8()) + "</checksum>");
    };
    const auto fileBytes = [](const QString &name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // The old panel: generated from the file as it is; the new one from the
    // same file with other descriptions (the labels of the rows).
    QVERIFY(QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/nrf54l15_application.svd"), "nrf54.svd"));
    QVERIFY(generatePanelFromSvd(f->window->panel(), QStringLiteral("nrf54.svd"), true));
    const QByteArray oldPanel = fileBytes("nrf54_Generated.xml");
    QVERIFY(signedText(oldPanel));
    QByteArray svd = fileBytes("nrf54.svd");
    QVERIFY(svd.contains("<description>"));
    svd.replace("<description>", "<description>Changed: ");
    writeTestFile(QDir::current().filePath("nrf54.svd"), svd);
    writeTestFile(QDir::current().filePath("start.xml"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.2\">\n<verticalcontainer/>\n"
                  "</zelmlcfg>\n");
    writeTestFile(QDir::current().filePath("run.script"), "GENERATEXMLFROMSVD(nrf54.svd, 1)\nEXIT(0)\n");
    installHomePanel();

    const auto start = [&](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), f->env->configDir());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QDir::currentPath());
        process.start(QStringLiteral(QUILLMATE_BINARY),
                      {QDir::current().filePath("start.xml"), QStringLiteral("-q"),
                       "-b" + QDir::current().filePath("run.script")});
        return process.waitForStarted(10000);
    };
    // One run to its end: the new panel, and how long a run takes.
    QElapsedTimer timer;
    timer.start();
    {
        QProcess whole;
        QVERIFY(start(whole));
        QVERIFY(whole.waitForFinished(120000));
        QCOMPARE(whole.exitCode(), 0);
    }
    const qint64 runTime = timer.elapsed();
    const QByteArray newPanel = fileBytes("nrf54_Generated.xml");
    QVERIFY(signedText(newPanel));
    QVERIFY(newPanel != oldPanel);

    // Killed at moments spread over a run: the file is always one of the two.
    for (int i = 1; i <= 8; ++i) {
        writeTestFile(QDir::current().filePath("nrf54_Generated.xml"), oldPanel);
        QProcess process;
        QVERIFY(start(process));
        QThread::msleep(quint64(runTime * i / 9));
        process.kill();
        QVERIFY(process.waitForFinished(10000));
        const QByteArray left = fileBytes("nrf54_Generated.xml");
        QVERIFY2(left == oldPanel || left == newPanel,
                 qPrintable(QStringLiteral("kill %1 of 8 left %2 bytes").arg(i).arg(left.size())));
    }
}

void TestSvdGenerate::installHomePanel()
{
    QVERIFY(QDir().mkpath(QDir(f->env->appDir()).filePath("scripts")));
    QFile::remove(QDir(f->env->appDir()).filePath("scripts/index.xml"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_HOME_PANEL), QDir(f->env->appDir()).filePath("scripts/index.xml")));
}

void TestSvdGenerate::namesThatAreNoCNamesAreLeftOut()
{
    const QString svd = QStringLiteral(SVD_FIXTURE_DIR "/constructs/badnames.svd");
    QVERIFY(QFile::copy(svd, "badnames.svd"));
    writeTestFile(QDir::current().filePath("disclaimer.txt"), "/* Generated for the test. */\n");

    // The menu's and the script's generation: reported on the console, the
    // panel written and signed without them.
    f->clearConsole();
    int namesLeftOut = -1;
    QVERIFY(generatePanelFromSvd(f->window->panel(), QStringLiteral("badnames.svd"), true, &namesLeftOut));
    QCOMPARE(namesLeftOut, 8);
    const QStringList console = f->consoleLines();
    const QString svdPath = QDir::toNativeSeparators(QFileInfo("badnames.svd").absoluteFilePath());
    for (const QString &report : {QStringLiteral("Field name \"bad name\" in GOOD.CTRL"),
                                  QStringLiteral("Field name \"\" in GOOD.CTRL"),
                                  QStringLiteral("Register name \"bad reg\" in GOOD"),
                                  QStringLiteral("Peripheral name \"2ND\" is not a C name")}) {
        const auto found = std::find_if(console.cbegin(), console.cend(),
                                        [&](const QString &line) { return line.contains(report); });
        QVERIFY2(found != console.cend(), qPrintable(report + "\n" + console.join('\n')));
        QVERIFY2(found->contains(svdPath + "</a> line "), qPrintable(*found));
    }
    QVERIFY2(f->errors().isEmpty(), qPrintable(f->errors().join('\n'))); // warnings on the console, no box

    QFile out(QStringLiteral("badnames_Generated.xml"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    const QString text = QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
    QVERIFY(text.contains("<checksum>" + PanelXmlReader::checksumOf(text.toUtf8()) + "</checksum>"));
    QCOMPARE(definesOf(text), (QSet<QString>{"GOOD.CTRL.EN", "GOOD.CTRL.MODE", "GOOD.CTRL.DIV", "GOOD.BUF0",
                                             "GOOD.BUF1", "GOOD.DATA"}));
    // The registers and peripherals with nothing left get no branch, container or header.
    QCOMPARE(text.count("<treecontainer "), 1);
    QCOMPARE(text.count("<header "), 1);
    QVERIFY(!text.contains("ALLBAD") && !text.contains("2ND") && !text.contains("LAST"));

    // The generated panel's -g run ends well and its headers compile: what
    // reading the SVD file reports (a reset value that is no number) is a
    // warning, not a mistake in the panel.
    installHomePanel();
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY), {QStringLiteral("-g"), out.fileName()},
                                      QDir::currentPath(), f->env->configDir(), 120000);
    QVERIFY2(run.finished, "the run did not end by itself");
    QVERIFY2(run.exitCode == 0, qPrintable(run.stdErr));
    QVERIFY2(run.stdErr.contains("SVD warning: ") && run.stdErr.contains("0xZZ"), qPrintable(run.stdErr));
    const QStringList headers = QDir::current().entryList({QStringLiteral("*_defines.h")}, QDir::Files);
    QCOMPARE(headers, QStringList{"GOOD_defines.h"});
    const QString errors = compileErrors(headers);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    // Each name left out, with its kind, where it stood and its line (last:
    // the generator alone writes the panel again, unsigned).
    {
        SvdXmlGenerator generator(f->window->panel());
        QFile file(QStringLiteral("badnames.svd"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QVERIFY(generator.generate(&file));
        QStringList leftOut;
        for (const SvdXmlGenerator::LeftOutName &name : generator.leftOutNames())
            leftOut << QStringLiteral("%1 [%2] in [%3] line %4").arg(name.kind, name.name, name.owner).arg(name.line);
        const QStringList expected{"Field [bad name] in [GOOD.CTRL] line 20", "Field [2FAST] in [GOOD.CTRL] line 21",
                                   "Field [CH%s_END] in [GOOD.CTRL] line 22", "Field [] in [GOOD.CTRL] line 23",
                                   "Register [bad reg] in [GOOD] line 33", "Field [A-B] in [GOOD.ALLBAD] line 43",
                                   "Peripheral [2ND] in [] line 61", "Register [REG(1)] in [LAST] line 78"};
        QVERIFY2(leftOut == expected, qPrintable(leftOut.join('\n')));
    }
}

void TestSvdGenerate::leftOutNamesCountInABatchRun()
{
    QVERIFY(QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/constructs/badnames.svd"), "badnames.svd"));
    QVERIFY(QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/ARM_Example.svd"), "ARM_Example.svd"));
    writeTestFile(QDir::current().filePath("start.xml"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.2\">\n<verticalcontainer/>\n"
                  "</zelmlcfg>\n");
    // Eight names left out of one file, none of the other: eight script errors.
    writeTestFile(QDir::current().filePath("run.script"),
                  "GENERATEXMLFROMSVD(badnames.svd, 1)\nGENERATEXMLFROMSVD(ARM_Example.svd, 0)\nEXIT(0)\n");
    installHomePanel();
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY),
                                      {QDir::current().filePath("start.xml"), QStringLiteral("-q"),
                                       "-b" + QDir::current().filePath("run.script")},
                                      QDir::currentPath(), f->env->configDir(), 120000);
    QVERIFY2(run.finished, "the run did not end by itself");
    QVERIFY2(run.exitCode == 8, qPrintable(QString::number(run.exitCode) + "\n" + run.stdErr));
    // Both panels are written and signed all the same.
    for (const char *name : {"badnames_Generated.xml", "ARM_Example_Generated.xml"}) {
        QFile out{QString::fromLatin1(name)};
        QVERIFY2(out.open(QIODevice::ReadOnly), name);
        const QString text = QString::fromUtf8(out.readAll()).remove(QLatin1Char('\r'));
        QVERIFY2(text.contains("<checksum>" + PanelXmlReader::checksumOf(text.toUtf8()) + "</checksum>"), name);
    }
}

void TestSvdGenerate::svdMissingFailsTheRunAtOnce_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("-g") << QStringLiteral("-g");
    QTest::newRow("-s") << QStringLiteral("-sproject.qlmp");
}

void TestSvdGenerate::svdMissingFailsTheRunAtOnce()
{
    QFETCH(QString, option);
    // Some 5000 elements, built whole before the SVD file is looked for.
    QVERIFY(QFile::copy(QStringLiteral(SVD_FIXTURE_DIR "/nrf51.svd"), "nrf51.svd"));
    QVERIFY(generatePanelFromSvd(f->window->panel(), QStringLiteral("nrf51.svd"), true));
    QVERIFY(QDir().mkpath("elsewhere"));
    QVERIFY(QFile::copy("nrf51_Generated.xml", "elsewhere/nrf51_Generated.xml"));
    writeTestFile(QDir::current().filePath("elsewhere/disclaimer.txt"), "/* Generated for the test. */\n");
    installHomePanel();
    const QDir elsewhere(QDir::current().filePath("elsewhere"));
    const QStringList before = elsewhere.entryList(QDir::Files);

    QElapsedTimer timer;
    timer.start();
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY), {option, elsewhere.filePath("nrf51_Generated.xml")},
                                      elsewhere.path(), f->env->configDir(), 120000);
    QVERIFY2(run.finished, "the run did not end by itself");
    QVERIFY2(run.exitCode == 1, qPrintable(QString::number(run.exitCode) + "\n" + run.stdErr));
    QVERIFY2(run.stdErr.contains("Could not find nrf51.svd!"), qPrintable(run.stdErr));
    QCOMPARE(elsewhere.entryList(QDir::Files), before);
    qInfo("%s with the SVD file missing: %lld ms", qPrintable(option), timer.elapsed());
}

QTEST_MAIN(TestSvdGenerate)
#include "tst_svdgenerate.moc"
