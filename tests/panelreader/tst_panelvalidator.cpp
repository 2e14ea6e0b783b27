// The panel validator: small panels, one finding each, against the exact
// console lines; the SVD cross-check against the demo chip's SVD file and a
// real one; the number rules; and that a run changes nothing.
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelvalidator.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString report(const QString &title, const QString &text)
{
    return QStringLiteral("<font color=\"blue\"> <b>%1:</b></font><br>\n<font color=\"red\"> %2</font><br>")
        .arg(title, text);
}

QString xmlError(const QString &text)
{
    return QStringLiteral("<font color=\"red\">  <b>XML Error: </b></font><b>Validation Error: </b>%1<br>").arg(text);
}

const QString file = QStringLiteral("t.xml");

} // namespace

class TstPanelValidator : public QObject
{
    Q_OBJECT

public:
    TstPanelValidator()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_console << html; });
    }
    ~TstPanelValidator() override { ErrorReporter::instance().setConsoleSink(nullptr); }

private slots:
    void bitRangeCapacityTable_data();
    void bitRangeCapacityTable();
    void decimalPlacesTable();
    void findings_data();
    void findings();
    void openingAndClosingLines();
    void unreadableFiles();
    void svdCrossCheck_data();
    void svdCrossCheck();
    void realSvdFile();
    void examplesHaveNoFindings_data();
    void examplesHaveNoFindings();
    void loadedPanelIsUntouched();
    void largePanel();

private:
    // The console lines of one validation of the panel text written as
    // dir/name, without the opening and closing lines (checked apart).
    QStringList validate(const QByteArray &text, const QString &name = file);

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QStringList m_console;
};

QStringList TstPanelValidator::validate(const QByteArray &text, const QString &name)
{
    const QString path = m_dir.filePath(name);
    if (writeTestFile(path, text).isEmpty())
        return {QStringLiteral("cannot write ") + path};
    m_console.clear();
    Panel panel(nullptr);
    PanelXmlReader reader(&panel);
    reader.validateXmlFile(path);
    QStringList lines = m_console.join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    if (lines.size() < 2 || !lines.first().contains(QLatin1String("Starting validation:"))
        || !lines.last().contains(QLatin1String("Finished validation:")))
        return QStringList{QStringLiteral("no opening or closing line")} + lines;
    return lines.mid(1, lines.size() - 2);
}

void TstPanelValidator::bitRangeCapacityTable_data()
{
    QTest::addColumn<QString>("define");
    QTest::addColumn<int>("add");
    QTest::addColumn<int>("capacity");
    QTest::newRow("byte, largest value") << "A.B.C[7:0]" << 0 << 255;
    QTest::newRow("byte, number of values") << "A.B.C[7:0]" << 1 << 256;
    QTest::newRow("one bit") << "X[3]" << 0 << 1;
    QTest::newRow("one bit, values") << "X[3]" << 1 << 2;
    QTest::newRow("reversed") << "X[0:7]" << 0 << -2;
    QTest::newRow("no suffix") << "P.R.F" << 0 << -1;
    QTest::newRow("suffix not at the end") << "X[3:0].Y" << 0 << -1;
    QTest::newRow("31 bits") << "X[30:0]" << 0 << 2147483647;
    QTest::newRow("31 bits, values: unlimited") << "X[30:0]" << 1 << 2147483647;
    QTest::newRow("32 bits") << "X[31:0]" << 0 << -2;
    QTest::newRow("huge numbers") << "X[99999999999999999999:0]" << 0 << -2;
}

void TstPanelValidator::bitRangeCapacityTable()
{
    QFETCH(QString, define);
    QFETCH(int, add);
    QFETCH(int, capacity);
    QCOMPARE(bitRangeCapacity(define, add), capacity);
}

void TstPanelValidator::decimalPlacesTable()
{
    QCOMPARE(decimalPlaces(QString()), -1);
    QCOMPARE(decimalPlaces(QStringLiteral("0.125")), 3);
    QCOMPARE(decimalPlaces(QStringLiteral("5")), 0);
    QCOMPARE(decimalPlaces(QStringLiteral("1.5e3")), 1);
    QCOMPARE(decimalPlaces(QStringLiteral("1.")), 0);
}

// Each panel's elements start on line 5 (declaration, root, checksum, root
// container before them).
void TstPanelValidator::findings_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<QStringList>("expected");

    const QString lockonTitle = QStringLiteral("The following lockon defines could not be found in XML file t.xml");
    QTest::newRow("lockon with trailing semicolon") << "<checkbox define=\"B\" lockon=\"A=1;\"/>"
        << QStringList{report(lockonTitle, "A"), xmlError("Found lockon without \"=\" at line 5")};
    QTest::newRow("lockon with a keyword refers to its define")
        << "<checkbox define=\"A\"/>\n<checkbox define=\"B\" lockon=\"A.value=1;A=0\"/>" << QStringList();
    QTest::newRow("sendUSB data and recdata")
        << "<button><action event=\"clicked\" cmd=\"sendUSB\" data=\"0x10;12;MYDEF:2\" recdata=\"2:X;;?\"/></button>"
        << QStringList{report("The following sendUSB data defines could not be found in XML file t.xml", "MYDEF"),
                       report("The following sendUSB recdata defines could not be found in XML file t.xml", ", X")};
    QTest::newRow("setDef and setdef refer to defines")
        << "<checkbox define=\"A\"><action event=\"checked\" cmd=\"setDef\" data=\"NOPE=1\"/>"
           "<action event=\"checked\" cmd=\"setdef\" data=\"A.value=1\"/></checkbox>"
        << QStringList{report("The following setdef defines could not be found in XML file t.xml", "NOPE")};
    QTest::newRow("predefined names")
        << "<button><action event=\"clicked\" cmd=\"setDef\" data=\"$ADDRESS$=1\"/>"
           "<action event=\"clicked\" cmd=\"setDef\" data=\"DIR$=1\"/>"
           "<action event=\"clicked\" cmd=\"setDef\" data=\"$DIR$=1\"/></button>"
        << QStringList{report("The following setdef defines could not be found in XML file t.xml", "$DIR$")};
    QTest::newRow("led without data, twice on one line")
        << "<led define=\"L1\"/><led define=\"L2\"/>\n<led define=\"L3\" data=\"GONE\"/>"
        << QStringList{report("The following led defines could not be found in XML file t.xml", "GONE"),
                       xmlError("Found led element without data attribute define at line 5")};
    QTest::newRow("default with a wrong prefix")
        << "<combo define=\"C\" default=\"valu e=1\"><item label=\"a\"/></combo>\n"
           "<combo define=\"D\" default=\"foo=1\"><item label=\"a\"/></combo>"
        << QStringList{report("The following combo elements contain invalid default values in XML file t.xml", "C, D"),
                       xmlError("\"default\" with \"=\" must have \"value\", \"label\" or \"index\" on its left side, "
                                "at line 6")};
    QTest::newRow("spin box default outside its range")
        << "<spinbox define=\"X\" range=\"0;10\" default=\"11\"/>"
        << QStringList{report("The following spinbox elements with invalid default value in XML file t.xml",
                              "SPINBOX[X]")};
    QTest::newRow("spin box range beyond the define's bits")
        << "<hexspinbox define=\"P.R.F[3:0]\" range=\"0x0;0xFF\" default=\"0\"/>\n"
           "<doublespinbox define=\"Q[3:0]\" range=\"0;255\" default=\"0\"/>"
        << QStringList{report("The following spinbox elements with default or range value not within range of "
                              "define in XML file t.xml",
                              "HEXSPINBOX[P.R.F[3:0]]")};
    QTest::newRow("spin box ranges that are no numbers")
        << "<spinbox define=\"X\" range=\"0;10;20\" default=\"1\"/>\n<spinbox define=\"Y\" range=\"0;10\" default=\"abc\"/>"
        << QStringList{xmlError("Invalid range value of SPINBOX[X]"),
                       xmlError("Unable to convert range or default value of SPINBOX[Y] to a valid number")};
    QTest::newRow("step finer than the default")
        << "<doublespinbox define=\"D\" step=\"0.01\" default=\"1.5\"/>\n<doublespinbox define=\"E\" step=\"0.01\"/>"
        << QStringList{report("The following doublespinbox defines with step exceeding precision of default in XML "
                              "file t.xml",
                              "D")};
    QTest::newRow("combo items beyond the define's bits")
        << "<combo define=\"C[1:0]\"><item label=\"a\"/><item label=\"b\"/><item label=\"c\"/>"
           "<item label=\"d\"/><item label=\"e\"/></combo>"
        << QStringList{report("The following combo elements with number of items exceeding range of define in XML "
                              "file t.xml",
                              "C[1:0]")};
    QTest::newRow("combo numeric default past its items")
        << "<combo define=\"C\" default=\"3\"><item label=\"a\"/><item label=\"b\"/><item label=\"c\"/></combo>\n"
           "<combo define=\"D\" default=\"2\"><item label=\"a\"/><item label=\"b\"/><item label=\"c\"/></combo>\n"
           "<combo define=\"E\" default=\"value=7\"><item label=\"a\" value=\"5\"/><item label=\"b\" value=\"7\"/></combo>"
        << QStringList{report("The following combo elements contain invalid default values in XML file t.xml", "C")};
    QTest::newRow("label and index defaults")
        << "<radio define=\"R\" default=\"label=On\"><radiobutton label=\"Off\"/><radiobutton label=\"On\"/></radio>\n"
           "<radio define=\"S\" default=\"label=Up\"><radiobutton label=\"Off\"/></radio>\n"
           "<combo define=\"I\" default=\"index=1\"><item label=\"a\"/><item label=\"h\" hide=\"1\"/><item label=\"b\"/></combo>\n"
           "<combo define=\"J\" default=\"index=2\"><item label=\"a\"/><item label=\"h\" hide=\"1\"/><item label=\"b\"/></combo>"
        << QStringList{report("The following combo elements contain invalid default values in XML file t.xml", "J"),
                       report("The following radio elements contain invalid default values in XML file t.xml", "S"),
                       report("The following override/hide values for I define could not be found in SVD file ", "1"),
                       report("The following override/hide values for J define could not be found in SVD file ", "1")};
    QTest::newRow("item-less defaults without an SVD file")
        << "<combo define=\"P.R.F\" default=\" 2 \"/>\n<combo define=\"$PERIPHERALS$\" default=\"1\"/>\n"
           "<combo define=\"Q\" default=\"register=$PERIPHERALS$\"/>\n<combo define=\"A\" default=\"x\"><!-- none --></combo>\n"
           "<combo define=\"R\" default=\"register=$PERIPHERALS$\"><action event=\"selected\" cmd=\"resetGUI\"/></combo>"
        << QStringList{report("The following combo/radio elements are set to invalid default value in XML file t.xml",
                              "A (x), P.R.F (2), ")};
    QTest::newRow("override and hide without an SVD file")
        << "<combo define=\"C\"><item label=\"a\" override=\"X\" hide=\"Y\"/></combo>"
        << QStringList{report("The following override/hide values for C define could not be found in SVD file ",
                              "X, Y")};
    QTest::newRow("check box spanning elements without branch form")
        << "<checkbox define=\"A\"><!-- a comment is a child --></checkbox>\n"
           "<checkbox define=\"B\"><action event=\"checked\" cmd=\"resetGUI\"/><text label=\"t\"/></checkbox>\n"
           "<checkbox define=\"C\">\n</checkbox>"
        << QStringList{report("The following checkbox elements do not have uielement=\"branch\" but spans other "
                              "elements in XML file t.xml",
                              "CHECKBOX[LINE: 5]")};
    QTest::newRow("branch outside a tree")
        << "<treecontainer><treecontainer></treecontainer><checkbox define=\"A\" uielement=\"branch\"/></treecontainer>\n"
           "<treecontainer><checkbox define=\"B\" uielement=\"branch\"/></treecontainer>"
        << QStringList{report("The following branch elements are not within a treecontainer element in XML file t.xml",
                              "CHECKBOX[LINE: 5]")};
    QTest::newRow("math names its own define and a missing one")
        << "<spinbox define=\"IN\"/>\n<math define=\"M\" formula=\"M + IN.value * GONE\"/>"
        << QStringList{report("The following math defines could not be found in XML file t.xml", "M, GONE")};
    QTest::newRow("math names a define further down")
        << "<math define=\"M\" formula=\"LATER * 2\"/>\n<math define=\"N\" formula=\"M + NONE\"/>\n<spinbox define=\"LATER\"/>"
        << QStringList{report("The following math defines could not be found in XML file t.xml", "NONE")};
    QTest::newRow("markup in names is shown as text")
        << "<checkbox define=\"B\" lockon=\"&lt;b&gt;=1\"/>"
        << QStringList{report(lockonTitle, "&lt;b&gt;")};
}

void TstPanelValidator::findings()
{
    QFETCH(QString, elements);
    QFETCH(QStringList, expected);
    const QStringList lines = validate(verticalPanelText(elements));
    const QStringList wanted = expected.join(QLatin1Char('\n')).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines != wanted)
        qInfo().noquote() << lines.join(QLatin1Char('\n'));
    QCOMPARE(lines, wanted);
}

void TstPanelValidator::openingAndClosingLines()
{
    const QString path = m_dir.filePath(QStringLiteral("sub/p.xml"));
    writeTestFile(path, verticalPanelText(QStringLiteral("<checkbox define=\"A\"/>")));
    m_console.clear();
    Panel panel(nullptr);
    PanelXmlReader(&panel).validateXmlFile(path);
    QCOMPARE(m_console,
             QStringList({QStringLiteral("<font color=\"blue\">  <b>Starting validation:</b></font> File: %1<br>").arg(path),
                          QStringLiteral("<font color=\"blue\">  <b>Finished validation:</b></font> File: %1<br>").arg(path)}));
}

void TstPanelValidator::unreadableFiles()
{
    // Not well-formed: one line between opening and closing.
    QCOMPARE(validate("<zelmlcfg version=\"2.0.0\"><verticalcontainer></zelmlcfg>"),
             QStringList{xmlError("Unable to parse XML file t.xml")});

    // Missing file: the error reporter says so, the console shows no run.
    m_console.clear();
    Panel panel(nullptr);
    PanelXmlReader(&panel).validateXmlFile(m_dir.filePath(QStringLiteral("missing.xml")));
    QVERIFY(m_console.filter(QStringLiteral("validation:")).isEmpty());
    QVERIFY(m_console.join(QString()).contains(QLatin1String("missing.xml")));

    m_console.clear();
    PanelXmlReader(&panel).validateXmlFile(QString());
    QVERIFY(m_console.isEmpty());
}

void TstPanelValidator::svdCrossCheck_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<QStringList>("expected");
    const QString missingTitle = QStringLiteral("The following defines could not be found in SVD file demo.svd");
    QTest::newRow("fields, registers and derived peripherals")
        << "<checkbox define=\"CLK.CTRL.OSCEN\"/>\n<spinbox define=\"TIM.CH0[15:0]\"/>\n"
           "<spinbox define=\"UART1.BAUD.DIV\"/>\n<spinbox define=\"TIM.CMP_MODE.EDGE\"/>\n"
           "<checkbox define=\"CLK.CTRL.NOPE\"/>\n<checkbox define=\"NOCHIP.X.Y\" svd=\"0\"/>\n"
           "<checkbox define=\"OWN\"/>\n<image define=\"IMG.A.B\"/>"
        << QStringList{report("The following uielement defines which should not have svd=\"0\" contained in XML "
                              "file t.xml",
                              "NOCHIP.X.Y"),
                       report(missingTitle, "CLK.CTRL.NOPE")};
    QTest::newRow("item-less defaults against enumerated values")
        << "<combo define=\"CLK.CTRL.SRC\" default=\"0x2\"/>\n<radio define=\"CLK.CTRL.DIV\" default=\"1\"/>\n"
           "<combo define=\"UART0.BAUD.DIV\" default=\"label=Phase-locked loop\"/>"
        << QStringList{report("The following combo/radio elements are set to invalid default value in XML file t.xml",
                              "CLK.CTRL.DIV (1), UART0.BAUD.DIV (label=Phase-lockedloop), ")};
    QTest::newRow("label default against a description")
        << "<combo define=\"CLK.CTRL.SRC\" default=\"label=Phase-locked loop\"/>" << QStringList();
    QTest::newRow("override and hide against enumerated values")
        << "<combo define=\"CLK.CTRL.SRC\"><item label=\"a\" hide=\"HSE\" override=\"FAST\"/></combo>\n"
           "<combo define=\"CLK.CTRL.SRC\"><item label=\"b\" override=\"PLL\"/></combo>"
        << QStringList{report("The following override/hide values for CLK.CTRL.SRC define could not be found in SVD "
                              "file demo.svd",
                              "FAST")};
    QTest::newRow("items beyond the field's bits")
        << "<combo define=\"CLK.CTRL.SRC\"><item label=\"a\"/><item label=\"b\"/><item label=\"c\"/>"
           "<item label=\"d\"/><item label=\"e\"/></combo>\n"
           "<radio define=\"CLK.CTRL.OSCEN\"><radiobutton label=\"a\"/><radiobutton label=\"b\"/></radio>\n"
           "<radio define=\"CLK.CTRL.PLLEN\"><radiobutton label=\"a\"/><radiobutton label=\"b\"/>"
           "<radiobutton label=\"c\"/></radio>"
        << QStringList{report("The following combo elements with number of items exceeding size of field in SVD "
                              "file demo.svd",
                              "CLK.CTRL.SRC"),
                       report("The following radio elements with number of items exceeding size of field in SVD "
                              "file demo.svd",
                              "CLK.CTRL.PLLEN")};
}

void TstPanelValidator::svdCrossCheck()
{
    QFETCH(QString, elements);
    QFETCH(QStringList, expected);
    QFile::remove(m_dir.filePath(QStringLiteral("demo.svd")));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.svd"), m_dir.filePath(QStringLiteral("demo.svd"))));
    const QStringList lines =
        validate(verticalPanelText(elements, QStringLiteral("<svd file=\"demo.svd\"/>\n")));
    QCOMPARE(lines, expected.join(QLatin1Char('\n')).split(QLatin1Char('\n'), Qt::SkipEmptyParts));

    // Without the SVD file the run ends after saying so.
    QVERIFY(QFile::remove(m_dir.filePath(QStringLiteral("demo.svd"))));
    const QStringList failed =
        validate(verticalPanelText(elements, QStringLiteral("<svd file=\"demo.svd\"/>\n")));
    QCOMPARE(failed.filter(QStringLiteral("SVD file")),
             QStringList{xmlError("Failed to open or unable to parse SVD file " + m_dir.filePath("demo.svd"))});
}

void TstPanelValidator::realSvdFile()
{
    const QString svd = QStringLiteral(QUILLMATE_SOURCE_DIR "/tests/fixtures/svd/ARM_Example.svd");
    QVERIFY2(QFile::exists(svd), qPrintable(svd + QStringLiteral(" is missing from the checkout")));
    const QString header = QStringLiteral("<svd file=\"%1\"/>\n").arg(svd);
    // TIMER0.CR.EN has the enumerated values Disable (0) and Enable (1).
    const QStringList lines = validate(verticalPanelText(
        QStringLiteral("<checkbox define=\"TIMER0.CR.EN\"/>\n<combo define=\"TIMER1.CR.EN\" default=\"1\"/>\n"
                       "<combo define=\"TIMER0.CR.MODE\" default=\"9\"/>\n<checkbox define=\"TIMER0.CR.NONE\"/>"),
        header));
    QCOMPARE(lines, (QStringList{QStringLiteral("<font color=\"blue\"> <b>The following combo/radio elements are set to "
                                                "invalid default value in XML file t.xml:</b></font><br>"),
                                 QStringLiteral("<font color=\"red\"> TIMER0.CR.MODE (9), </font><br>"),
                                 QStringLiteral("<font color=\"blue\"> <b>The following defines could not be found "
                                                "in SVD file %1:</b></font><br>")
                                     .arg(svd),
                                 QStringLiteral("<font color=\"red\"> TIMER0.CR.NONE</font><br>")}));
}

void TstPanelValidator::examplesHaveNoFindings_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("home panel") << QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/scripts/index.xml");
    const QDir examples(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples"));
    for (const QString &name : examples.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
        QFile panel(examples.filePath(name));
        if (panel.open(QIODevice::ReadOnly) && panel.readAll().contains("<zelmlcfg"))
            QTest::newRow(qPrintable(name)) << examples.filePath(name);
    }
}

void TstPanelValidator::examplesHaveNoFindings()
{
    QFETCH(QString, path);
    m_console.clear();
    Panel panel(nullptr);
    PanelXmlReader(&panel).validateXmlFile(path);
    if (m_console.size() != 2)
        qInfo().noquote() << m_console.join(QLatin1Char('\n'));
    QCOMPARE(m_console.size(), 2);
}

void TstPanelValidator::loadedPanelIsUntouched()
{
    // The reader of a validation gets a panel of its own in the window
    // (tst_validate); here: the validator writes nothing next to the panel.
    const QString path = m_dir.filePath(QStringLiteral("quiet/p.xml"));
    writeTestFile(path, verticalPanelText(QStringLiteral("<checkbox define=\"A\" lockon=\"B=1\"/>")));
    Panel panel(nullptr);
    PanelXmlReader(&panel).validateXmlFile(path);
    QCOMPARE(QDir(m_dir.filePath(QStringLiteral("quiet"))).entryList(QDir::Files), QStringList{"p.xml"});
    QVERIFY(panel.getAllElements().isEmpty());
}

void TstPanelValidator::largePanel()
{
    // Thousands of elements with findings on many: the run goes through and
    // lists every one.
    QString elements;
    for (int i = 0; i < 4000; ++i)
        elements += QStringLiteral("<spinbox define=\"S%1\" range=\"0;10\" default=\"11\" lockon=\"L%1=1\"/>\n").arg(i);
    const QStringList lines = validate(verticalPanelText(elements));
    QCOMPARE(lines.size(), 4);
    // The reference reports come before the list reports.
    QCOMPARE(lines.at(1).count(QLatin1String("L")), 4000);
    QCOMPARE(lines.at(3).count(QLatin1String("SPINBOX[")), 4000);
}

QTEST_MAIN(TstPanelValidator)
#include "tst_panelvalidator.moc"
