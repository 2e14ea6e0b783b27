// The project file (.qlmp): writing, reading back, comparing; panel signing,
// which shares the checksum rule; and setting values by define, as the
// command line does before a project is saved.
#include "dataclass.h"
#include "diffdialog.h"
#include "filetesthelpers.h"
#include "panelxml.h"
#include "unresolveddialog.h"

#include <QBuffer>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

using namespace FileTest;

class TestProject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void savedProjectIsByteExactAndStable();
    void projectWithoutValueElements();
    void textsWithMarkupAreEscapedAndReadBack();
    void loadRestoresValuesAndOrder();
    void loadResetsTheRestAndListsUnresolvedDefines();
    void manyUnknownEntriesAreLoggedUpToTheCap();
    void checksumVerification_data();
    void checksumVerification();
    void versionMismatchIsReportedAndTheLoadGoesOn();
    void failedLoadsAreNotAdopted_data();
    void failedLoadsAreNotAdopted();
    void differenceModeComparesShownValues();
    void failedWriteKeepsTheOldProject();
    void maybeSave_data();
    void maybeSave();

    void signing_data();
    void signing();
    void signFileReportsSuccessAndFailureApart();
    void missingFileIsReportedByItsAbsolutePath();

    void setByDefineCheckBoxAndSpinBox();
    void setByDefineVariables();
    void setByDefineChoices_data();
    void setByDefineChoices();
    void setByDefineUnknownAndUnsupported();

private:
    bool openPanel(const QString &name);
    ActiveElement *element(const QString &define) { return window->panel()->getActiveElement(define); }
    QString shown(const QString &define) { return element(define)->value(KeywordValue, 1); }
    QString transcript() const { return env->prompt()->transcript().join(QLatin1Char('\n')); }
    QStringList reports() const { return env->prompt()->transcript(); }
    QString console() const { return window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText(); }
    // The text of a fixture with LF line ends, for variants built in a test.
    static QByteArray lfText(const QString &name)
    {
        return readBytes(fixture(name)).replace('\r', QByteArray());
    }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestProject::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    window = makeWindow(*env);
}

void TestProject::init()
{
    collectReports(*env);
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    for (const char *name : {"panel.xml", "novalues.xml"})
        QVERIFY(!copyFixture(name, dir->path()).isEmpty());
}

void TestProject::cleanup()
{
    // Nothing of one test's panel may ask to be saved in the next.
    window->setWindowModified(false);
}

void TestProject::cleanupTestCase()
{
    window.reset();
}

bool TestProject::openPanel(const QString &name)
{
    if (!window->open(dir->filePath(name)))
        return false;
    window->initLoadedConfiguration(true);
    return true;
}

// ---------------------------------------------------------------------------
// Writing

void TestProject::savedProjectIsByteExactAndStable()
{
    QVERIFY(openPanel("panel.xml"));
    const QString path = dir->filePath("out.qlmp");
    QVERIFY(window->saveProjectFile(path, false));
    const QByteArray first = readBytes(path);
    QCOMPARE(first, readBytes(fixture("expected.qlmp")));
    QVERIFY(hasCrLfLines(first));
    QVERIFY(!first.endsWith('\n'));
    QCOMPARE(window->currentProjectFile(), path);
    QVERIFY(!window->isWindowModified());
    QVERIFY2(console().contains("Saved project: " + path), qPrintable(console()));

    QVERIFY(window->saveProjectFile(path, false));
    QCOMPARE(readBytes(path), first);

    QVERIFY(window->saveProjectFile(path, true));
    QCOMPARE(readBytes(path), readBytes(fixture("expected_sorted.qlmp")));
}

// A text that XML must escape is written escaped and comes back unchanged.
void TestProject::textsWithMarkupAreEscapedAndReadBack()
{
    const QString panel = writeTestFile(dir->filePath("texts.xml"),
                                        verticalPanelText("<header file=\"t.h\"><edit define=\"TXT\" numeric=\"0\"/></header>",
                                                          "<version label=\"1.0\"/>\n"));
    QVERIFY(!panel.isEmpty());
    QVERIFY(openPanel("texts.xml"));
    const QString text = QStringLiteral("a<b & \"c\" > 'd' \u00fc\u20ac");
    window->panel()->getActiveElement("TXT")->loadValue(text);
    const QString path = dir->filePath("texts.qlmp");
    QVERIFY(window->saveProjectFile(path, false));
    const QByteArray bytes = readBytes(path);
    QVERIFY2(bytes.contains("<value>a&lt;b &amp; &quot;c&quot; &gt; 'd' \xc3\xbc\xe2\x82\xac</value>"), bytes.constData());
    QVERIFY(hasCrLfLines(bytes));

    window->panel()->getActiveElement("TXT")->loadValue("other");
    collectReports(*env);
    QVERIFY(window->load(path));
    QCOMPARE(window->panel()->getActiveElement("TXT")->storedValueText(), text);
    QVERIFY2(!console().contains("manipulated"), qPrintable(console()));
}

void TestProject::projectWithoutValueElements()
{
    QVERIFY(openPanel("novalues.xml"));
    const QString path = dir->filePath("novalues.qlmp");
    QVERIFY(window->saveProjectFile(path, false));
    QCOMPARE(readBytes(path), readBytes(fixture("novalues.qlmp")));

    auto *unresolved = window->findChild<UnresolvedDialog *>();
    QVERIFY(unresolved);
    unresolved->hide();
    QVERIFY(window->load(path));
    QVERIFY(!unresolved->isVisible());
}

// ---------------------------------------------------------------------------
// Reading

void TestProject::loadRestoresValuesAndOrder()
{
    const QString path = copyFixture("reordered.qlmp", dir->path());
    QVERIFY(window->load(path));
    QCOMPARE(window->currentProjectFile(), path);
    QCOMPARE(shown("LEVEL"), QString("7"));
    QCOMPARE(shown("ENABLE"), QString("0"));
    QCOMPARE(shown("ADC.CTRL[3:0]"), QString("9"));
    QCOMPARE(element("ADC.CTRL[7:4]")->storedValueText(), QString("3"));
    QVERIFY2(!transcript().contains("manipulated"), qPrintable(transcript()));
    QVERIFY(!window->findChild<UnresolvedDialog *>()->isVisible());

    // The element list now follows the file, so an unsorted save repeats it.
    const QString copy = dir->filePath("copy.qlmp");
    QVERIFY(window->saveProjectFile(copy, false));
    QCOMPARE(readBytes(copy), readBytes(path));
}

void TestProject::loadResetsTheRestAndListsUnresolvedDefines()
{
    QVERIFY(openPanel("panel.xml"));
    element("ENABLE")->setValue("0", KeywordValue);
    QByteArray text = lfText("reordered.qlmp");
    // Only LEVEL stays; a define the panel lacks comes in.
    const int from = text.indexOf("        <HexSpinBox>");
    const int to = text.indexOf("    </ActiveElements>");
    text.replace(from, to - from,
                 "        <CheckBox>\n            <define>GONE</define>\n            <value>5</value>\n"
                 "            <dispValue>5</dispValue>\n        </CheckBox>\n");
    const QString path = dir->filePath("partial.qlmp");
    QVERIFY(writeBytes(path, withChecksum(text)));

    auto *unresolved = window->findChild<UnresolvedDialog *>();
    unresolved->hide();
    QVERIFY(window->load(path));
    QCOMPARE(shown("LEVEL"), QString("7"));
    QCOMPARE(shown("ENABLE"), QString("1")); // back to its default
    QVERIFY(unresolved->isVisible());
    QString panelOnly;
    QString fileOnly;
    for (QTextBrowser *browser : unresolved->findChildren<QTextBrowser *>()) {
        if (browser->toHtml().contains("href"))
            panelOnly = browser->toHtml();
        else
            fileOnly = browser->toPlainText();
    }
    QCOMPARE(fileOnly, QString("#define GONE 5"));
    // Link targets carry every ":" as "$$$COLON$$$".
    for (const char *name : {"ENABLE", "ADC.CTRL[3$$$COLON$$$0]", "ADC.CTRL[7$$$COLON$$$4]"})
        QVERIFY2(panelOnly.contains(QString("href=\"%1\"").arg(name)), qPrintable(panelOnly));
    QVERIFY(!panelOnly.contains("LEVEL"));
    QVERIFY(!panelOnly.contains("$DIR$"));
}

// The dialog lists every entry the panel lacks; the console only as many as
// it can take, then how many more there are.
void TestProject::manyUnknownEntriesAreLoggedUpToTheCap()
{
    QVERIFY(openPanel("panel.xml"));
    QByteArray text = lfText("reordered.qlmp");
    QByteArray unknown;
    for (int i = 0; i < 250; ++i)
        unknown += QString("        <CheckBox>\n            <define>GONE%1</define>\n            <value>1</value>\n"
                           "            <dispValue>1</dispValue>\n        </CheckBox>\n")
                       .arg(i)
                       .toUtf8();
    text.insert(text.indexOf("    </ActiveElements>"), unknown);
    const QString path = dir->filePath("unknown.qlmp");
    QVERIFY(writeBytes(path, withChecksum(text)));

    auto *unresolved = window->findChild<UnresolvedDialog *>();
    unresolved->hide();
    window->clearConsole();
    QVERIFY(window->load(path));
    QString fileOnly;
    for (QTextBrowser *browser : unresolved->findChildren<QTextBrowser *>()) {
        if (browser->toPlainText().startsWith("#define GONE"))
            fileOnly = browser->toPlainText();
    }
    QCOMPARE(fileOnly.split('\n', Qt::SkipEmptyParts).size(), 250);
    const QStringList lines = console().split('\n');
    QCOMPARE(lines.filter("Project entry matches no element: GONE").size(), 200);
    QVERIFY2(console().contains("Project entries matching no element: 50 more"), qPrintable(console()));
}

void TestProject::checksumVerification_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("manipulated");
    const QByteArray lf = lfText("reordered.qlmp");
    QTest::newRow("CR LF as written") << readBytes(fixture("reordered.qlmp")) << false;
    QTest::newRow("LF line ends") << lf << false;
    QTest::newRow("a byte after the checksum changed")
        << QByteArray(lf).replace("<value>7</value>", "<value>8</value>") << true;
    const int at = lf.indexOf("<checksum>") + 10;
    QTest::newRow("upper-case digest") << QByteArray(lf).replace(at, 64, lf.mid(at, 64).toUpper()) << true;
}

void TestProject::checksumVerification()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, manipulated);
    const QString path = dir->filePath("check.qlmp");
    QVERIFY(writeBytes(path, bytes));
    QVERIFY(window->load(path));
    QCOMPARE(transcript().contains(QString("File %1 has been manipulated\nDo not use it!").arg(path)),
             manipulated);
    // The values are loaded either way.
    QCOMPARE(shown("LEVEL"), QString(bytes.contains("<value>8</value>") ? "8" : "7"));
}

void TestProject::versionMismatchIsReportedAndTheLoadGoesOn()
{
    const QString path = dir->filePath("version.qlmp");
    QVERIFY(writeBytes(path, withChecksum(lfText("reordered.qlmp").replace("V1.2.3", "V9.9.9"))));
    QVERIFY(window->load(path));
    QCOMPARE(reports(), QStringList{"Version of this qlmp configuration file does not match the current XML "
                                    "release version.\nQlmp version: V9.9.9\nCurrent xml release: V1.2.3"});
    QCOMPARE(shown("LEVEL"), QString("7"));
}

void TestProject::failedLoadsAreNotAdopted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("consoleText");
    QTest::addColumn<QString>("reportText");
    QTest::newRow("wrong root element")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\"/>\n")
        << "Warning: Wrong QLMP Version" << "";
    QTest::newRow("panel file not found")
        << withChecksum(lfText("reordered.qlmp").replace("<XmlFile>panel.xml", "<XmlFile>gone.xml"))
        << "" << QStringLiteral("Could not find \"%1\".\nPlease check script folder settings.")
                     .arg(QDir(window->getScriptsDir()).filePath("gone.xml"));
    QTest::newRow("broken XML")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"2.5.0\">\n<XmlFile>")
        << "Line 3" << "";
}

void TestProject::failedLoadsAreNotAdopted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, consoleText);
    QFETCH(QString, reportText);
    QVERIFY(openPanel("panel.xml"));
    const QString path = dir->filePath("bad.qlmp");
    QVERIFY(writeBytes(path, bytes));
    QVERIFY(!window->load(path));
    QVERIFY(window->currentProjectFile() != path);
    if (!consoleText.isEmpty())
        QVERIFY2(console().contains(consoleText), qPrintable(console()));
    if (!reportText.isEmpty())
        QVERIFY2(reports().contains(reportText), qPrintable(transcript()));
}

void TestProject::differenceModeComparesShownValues()
{
    QVERIFY(openPanel("panel.xml"));
    element("LEVEL")->setValue("17", KeywordValue);
    const QList<ActiveElement *> order = window->panel()->getAllElements();
    QByteArray text = lfText("reordered.qlmp");
    text.replace("<dispValue>7</dispValue>", "<dispValue>16</dispValue>")   // LEVEL: 17 != 16
        .replace("<dispValue>9</dispValue>", "<dispValue>0x5</dispValue>")  // ADC.CTRL[3:0]: 5 == 0x5
        .replace("<dispValue>3</dispValue>", "<dispValue>10</dispValue>")   // ADC.CTRL[7:4]: equal
        .replace("<dispValue>0</dispValue>", "<dispValue>1</dispValue>")    // ENABLE: equal
        .replace("<define>ENABLE</define>", "<define>GONE</define>");
    QBuffer buffer(&text);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QString errorText;
    QVERIFY(window->loadProject(&buffer, false, &errorText));

    auto *dialog = window->findChild<DiffDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->model()->rowCount(), 1);
    QCOMPARE(dialog->model()->item(0, 0)->text(), QString("LEVEL"));
    QCOMPARE(dialog->model()->item(0, 1)->text(), QString("17"));
    QCOMPARE(dialog->model()->item(0, 2)->text(), QString("16"));
    QVERIFY(console().contains("GONE does not exist in current setting"));
    // Comparing changes nothing.
    QCOMPARE(shown("LEVEL"), QString("17"));
    QVERIFY(window->panel()->getAllElements() == order);
    dialog->hide();
}

void TestProject::failedWriteKeepsTheOldProject()
{
    QVERIFY(openPanel("panel.xml"));
    const QString path = dir->filePath("keep.qlmp");
    QVERIFY(window->saveProjectFile(path, false));
    const QByteArray old = readBytes(path);
    window->clearConsole();

    element("LEVEL")->setValue("7", KeywordValue);
    window->setWindowModified(true);
    {
        WriteLimit limit(100);
        QVERIFY(!window->saveProjectFile(path, false));
    }
    QCOMPARE(readBytes(path), old);
    QCOMPARE(reports(), QStringList{"Write error in file " + path + "\n"});
    QVERIFY(!console().contains("Saved project"));
    QVERIFY(window->isWindowModified());

    // A file that cannot be created at all.
    const QString nowhere = dir->filePath("missing/dir/x.qlmp");
    collectReports(*env);
    QVERIFY(!window->saveProjectFile(nowhere, false));
    QCOMPARE(reports(), QStringList{"Cannot open file " + nowhere + ":\nNo such file or directory"});
    QCOMPARE(window->currentProjectFile(), path);
}

void TestProject::maybeSave_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("loadSaveAllowed");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("saved");
    QTest::newRow("unmodified") << false << true << "" << true << false;
    QTest::newRow("saving not allowed") << true << false << "" << true << false;
    QTest::newRow("discard") << true << true << "discard" << true << false;
    QTest::newRow("cancel") << true << true << "cancel" << false << false;
    QTest::newRow("save") << true << true << "save" << true << true;
}

void TestProject::maybeSave()
{
    QFETCH(bool, modified);
    QFETCH(bool, loadSaveAllowed);
    QFETCH(QString, answer);
    QFETCH(bool, result);
    QFETCH(bool, saved);
    QVERIFY(openPanel("panel.xml"));
    const QString path = dir->filePath("maybe.qlmp");
    window->setCurrentFile(path);
    window->panel()->setLoadSaveAllowed(loadSaveAllowed);
    window->setWindowModified(modified);
    env->installPrompt(answer.isEmpty() ? QStringList() : QStringList{answer});
    QCOMPARE(window->maybeSave(), result);
    QCOMPARE(QFile::exists(path), saved);
    const bool asked = transcript().contains("panel: The document has been modified.\nDo you want to save changes?");
    QCOMPARE(asked, modified && loadSaveAllowed);
    window->panel()->setLoadSaveAllowed(true);
}

// ---------------------------------------------------------------------------
// Signing

void TestProject::signing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected"); // LF text before the digest is filled in
    QTest::addColumn<bool>("signs");

    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const QByteArray body = "\n    <verticalcontainer/>\n</zelmlcfg>\n";
    const QByteArray zeros(64, '0');
    const QByteArray placeholder = "\n\t<checksum>" + zeros + "</checksum>";
    const QByteArray signedText = head + "<zelmlcfg version=\"2.0.0\">" + placeholder + body;

    QTest::newRow("placeholder after a three-part version")
        << head + "<zelmlcfg version=\"2.0.0\">" + body << signedText << true;
    QTest::newRow("placeholder after a two-part version")
        << head + "<zelmlcfg version=\"2.0\">" + body << head + "<zelmlcfg version=\"2.0\">" + placeholder + body
        << true;
    QTest::newRow("a wrong digest is corrected")
        << QByteArray(signedText).replace(zeros, "deadbeef") << signedText << true;
    QTest::newRow("CR LF lines give the same digest")
        << QByteArray(signedText).replace("\n", "\r\n") << signedText << true;
    QTest::newRow("two-digit version part: not signed")
        << head + "<zelmlcfg version=\"1.10.0\">" + body << head + "<zelmlcfg version=\"1.10.0\">" + body << false;
    QTest::newRow("attributes after the version: not signed")
        << head + "<zelmlcfg version=\"2.0.0\" x=\"1\">" + body << head + "<zelmlcfg version=\"2.0.0\" x=\"1\">" + body
        << false;
    // A CR alone ends its line: it becomes CR LF, never nothing.
    QTest::newRow("CR lines give the same digest and keep their lines")
        << QByteArray(signedText).replace("\n", "\r") << signedText << true;
    QTest::newRow("CR lines without a checksum get the placeholder")
        << QByteArray(head + "<zelmlcfg version=\"2.0.0\">" + body).replace("\n", "\r") << signedText << true;
}

void TestProject::signing()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QFETCH(bool, signs);
    const QString path = dir->filePath("sign.xml");
    QVERIFY(writeBytes(path, input));
    QCOMPARE(window->signXmlChecksum(path), signs);
    // A panel without a place for the checksum is not written at all.
    const QByteArray want = signs ? withChecksum(expected).replace("\n", "\r\n") : input;
    QCOMPARE(readBytes(path), want);
    QCOMPARE(transcript().contains("No checksum element found in " + path), !signs);
    // Signing again changes no byte.
    QCOMPARE(window->signXmlChecksum(path), signs);
    QCOMPARE(readBytes(path), want);
}

void TestProject::signFileReportsSuccessAndFailureApart()
{
    const QString good = dir->filePath("panel.xml");
    env->installPrompt({good});
    window->signFile();
    // Each run asks for the file first, then reports.
    QCOMPARE(reports().mid(1), QStringList{"Successfully signed 1 files\n\n" + good});

    const QString missing = dir->filePath("missing.xml");
    env->installPrompt({missing});
    window->signFile();
    QCOMPARE(reports().mid(1), QStringList{"Cannot open file " + missing + ":\nNo such file or directory"});

    // Several files from one dialog, in the order chosen: each failure on
    // its own, the signed ones named together.
    const QString second = dir->filePath("second.xml");
    QVERIFY(writeBytes(second, lfText("panel.xml")));
    env->installPrompt({good + "|" + missing + "|" + second});
    window->signFile();
    QVERIFY2(reports().value(0).startsWith("Sign XML File: "), qPrintable(reports().value(0)));
    QCOMPARE(reports().mid(1), (QStringList{"Cannot open file " + missing + ":\nNo such file or directory",
                                            "Successfully signed 2 files\n\n" + good + "\n" + second}));
    QVERIFY(readBytes(second).contains("<checksum>"));
    QVERIFY(!readBytes(second).contains(QByteArray(64, '0')));

    // A write that fails leaves the file as it was and is no success.
    const QString big = dir->filePath("big.xml");
    QByteArray text = lfText("panel.xml");
    text.replace("</zelmlcfg>", "<!--" + QByteArray(2000, 'x') + "-->\n</zelmlcfg>");
    QVERIFY(writeBytes(big, text));
    env->installPrompt({big});
    {
        WriteLimit limit(1000);
        window->signFile();
    }
    QCOMPARE(readBytes(big), text);
    QCOMPARE(reports().mid(1), QStringList{"Write error in file " + big + "\n"});
}

void TestProject::missingFileIsReportedByItsAbsolutePath()
{
    QVERIFY(QDir::setCurrent(dir->path()));
    QVERIFY(!window->signXmlChecksum("missing.xml"));
    QCOMPARE(reports(), QStringList{"Cannot open file " + dir->filePath("missing.xml") + ":\nNo such file or directory"});
}

// ---------------------------------------------------------------------------
// Setting values by define

void TestProject::setByDefineCheckBoxAndSpinBox()
{
    QVERIFY(openPanel("panel.xml"));
    QVERIFY(!window->isWindowModified());

    QVERIFY(window->panel()->setElementByDefine("ENABLE", "0"));
    QCOMPARE(shown("ENABLE"), QString("0"));
    QCOMPARE(element("ENABLE")->storedValueText(), QString("0"));
    QVERIFY(window->isWindowModified());
    QCOMPARE(window->panel()->changedHeaders().value("cfg.h"), true);
    // A check box takes 0 or 1; anything else is refused and changes nothing.
    QVERIFY(window->panel()->setElementByDefine("ENABLE", "1"));
    QCOMPARE(shown("ENABLE"), QString("1"));
    QVERIFY(!window->panel()->setElementByDefine("ENABLE", "2"));
    QCOMPARE(shown("ENABLE"), QString("1"));
    QVERIFY(transcript().contains("Can not set ENABLE to invalid value \"2\""));

    QVERIFY(window->panel()->setElementByDefine("LEVEL", "12"));
    QCOMPARE(shown("LEVEL"), QString("12"));
    QCOMPARE(element("LEVEL")->storedValueText(), QString("12"));
    // Text is no number: refused, the value stays.
    QVERIFY(!window->panel()->setElementByDefine("LEVEL", "abc"));
    QCOMPARE(shown("LEVEL"), QString("12"));
    QCOMPARE(element("LEVEL")->storedValueText(), QString("12"));
    QVERIFY(transcript().contains("Can not set LEVEL to invalid value \"abc\""));
    QVERIFY(window->panel()->setElementByDefine("ADC.CTRL[7:4]", "3")); // the hexadecimal spin box
    QCOMPARE(shown("ADC.CTRL[7:4]"), QString("3"));
}

void TestProject::setByDefineVariables()
{
    auto *variable = new DataClass("VAR");
    window->panel()->setDataClass("VAR", variable);
    QVERIFY(window->panel()->setElementByDefine("VAR", "0x10"));
    QCOMPARE(variable->value(), 16u);
    QVERIFY(window->panel()->setElementByDefine("VAR", "42"));
    QCOMPARE(variable->value(), 42u);
    QVERIFY(!window->panel()->setElementByDefine("VAR", "0b101"));
    QVERIFY(!window->panel()->setElementByDefine("VAR", "text"));
    QCOMPARE(variable->value(), 42u);
    QVERIFY(window->panel()->setElementByDefine("VAR", "2.5"));
    QCOMPARE(variable->floatValue(), 2.5f);
    window->panel()->removeVariable("VAR");
    delete variable;
}

// Combo boxes and radio groups take an index within their items.
void TestProject::setByDefineChoices_data()
{
    QTest::addColumn<QString>("define");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("index"); // afterwards
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("combo item") << "SPEED" << "1" << true << "1" << QStringList();
    QTest::newRow("combo index past the last item")
        << "SPEED" << "2" << false << "0" << QStringList{"Index for SPEED.setItem (2) is out of allowed range: 0..1"};
    QTest::newRow("combo index below the first item")
        << "SPEED" << "-1" << false << "0" << QStringList{"Index for SPEED.setItem (-1) is out of allowed range: 0..1"};
    QTest::newRow("radio button") << "MODE" << "1" << true << "1" << QStringList();
    QTest::newRow("radio index past the last button")
        << "MODE" << "3" << false << "0" << QStringList{"Index for MODE.setRBItem (3) is out of allowed range: 0..2"};
    QTest::newRow("radio index below the first button")
        << "MODE" << "-1" << false << "0" << QStringList{"Index for MODE.setRBItem (-1) is out of allowed range: 0..2"};
}

void TestProject::setByDefineChoices()
{
    QFETCH(QString, define);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QFETCH(QString, index);
    QFETCH(QStringList, reported);
    QVERIFY(!writeTestFile(dir->filePath("choices.xml"),
                           verticalPanelText("<combo define=\"SPEED\"><item label=\"Slow\" value=\"1\"/>"
                                             "<item label=\"Fast\" value=\"2\"/></combo>"
                                             "<radio define=\"MODE\"><radiobutton label=\"A\"/>"
                                             "<radiobutton label=\"B\"/><radiobutton label=\"C\"/></radio>"))
                 .isEmpty());
    QVERIFY(openPanel("choices.xml"));
    QVERIFY(!window->isWindowModified());

    QCOMPARE(window->panel()->setElementByDefine(define, value), accepted);
    QCOMPARE(element(define)->value(KeywordIndex, 0), index);
    QCOMPARE(reports(), reported);
    // Only a change the panel took marks the project modified.
    QCOMPARE(window->isWindowModified(), accepted);
}

void TestProject::setByDefineUnknownAndUnsupported()
{
    QVERIFY(openPanel("panel.xml"));
    QVERIFY(!window->panel()->setElementByDefine("NOPE", "1"));
    QVERIFY2(console().contains("Script Error: Unknown define: NOPE in line"), qPrintable(console()));
    QVERIFY(!window->panel()->registries().elementsByDefine.contains("NOPE"));
    QCOMPARE(reports(), QStringList());

    // An element of a kind without a set rule; no panel element is of one.
    FakeElement fake("FAKE");
    window->panel()->registerElement("FAKE", &fake);
    QVERIFY(!window->panel()->setElementByDefine("FAKE", "1"));
    QCOMPARE(reports(), QStringList{"Can not use \"Set\" with parameter \"FAKE\""});
    window->panel()->unregisterElement("FAKE");
}

QTEST_MAIN(TestProject)
#include "tst_project.moc"
