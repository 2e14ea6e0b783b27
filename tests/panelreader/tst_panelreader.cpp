// The panel reader against small panels of our own: the read flow and its
// messages, header elements, the dispatcher, containers, buttons, spin boxes,
// define binding, actions, locks and includes.

#include "readerfixture.h"
#include "absolutewidget.h"
#include "boxcontainers.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "gridwidget.h"
#include "hexspinbox.h"
#include "quillpanel.h"
#include "panelconnections.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "pushbutton.h"
#include "spinbox.h"
#include "tabwidget.h"
#include "text.h"
#include "textedit.h"
#include "treewidget.h"
#include "treewidgetitem.h"
#include "widgets.h"

#include <QBoxLayout>
#include <QBuffer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpacerItem>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QtTest>
#include <qwt_plot.h>

#include <algorithm>

#include <memory>

namespace {

// The program's version with one more patch, or one more minor.
QString versionAbove(int part)
{
    const ProgramVersion &version = programVersion();
    unsigned parts[3] = {version.majorVersion(), version.minorVersion(), version.patchVersion()};
    ++parts[part];
    return QStringLiteral("%1.%2.%3").arg(parts[0]).arg(parts[1]).arg(parts[2]);
}

// Whether sender's signal is connected to receiver's slot; drops that connection.
template <typename Sender, typename Signal, typename Receiver, typename Slot>
bool takeConnection(Sender *sender, Signal signal, Receiver *receiver, Slot slot)
{
    return QObject::disconnect(sender, signal, receiver, slot);
}

struct ReadOutcome {
    bool ok = false;
    bool usesTyk = false;
    bool loadSaveAllowed = true;
    bool hasSvdFile = false;
    QHash<QString, QString> headerVersions;
    QString errorLink;
    QString stoppedEarly;
};

} // namespace

class TestPanelReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    // Read flow
    void everyKindLeavesTheStreamAfterItself_data();
    void everyKindLeavesTheStreamAfterItself();
    void rootVersionAndChecksum_data();
    void rootVersionAndChecksum();
    void readsThatStopEarlyAreMarked_data();
    void readsThatStopEarlyAreMarked();
    void longReadsReportTheirProgress();
    void includedPanelWithoutChecksumKeepsItsFirstElement();
    void homePanelIsKnownByItsFlagNotByItsPath();
    void checksumCoversTheTextWithoutCarriageReturns();
    void headerElementsAfterTheRootContainerAreNotRead();
    void brokenXmlGivesOneClearLine_data();
    void brokenXmlGivesOneClearLine();
    void deepNestingIsCutOffWithAMessage();
    void absurdNumbersBuildWithoutHarm();
    void manyRowsReadWithoutRunningQueuedCalls();
    void messageFloodIsCut();
    void shippedPanelsAreSignedAndLoadCleanly_data();
    void shippedPanelsAreSignedAndLoadCleanly();

    // Messages
    void messageLineFormat();
    void consoleLinesLinkToThePosition();

    // Header elements
    void headerElementValues();
    void headerFileWarnings_data();
    void headerFileWarnings();
    void labelsNameParameterFields_data();
    void labelsNameParameterFields();

    // Dispatcher
    void startConditions_data();
    void startConditions();
    void startConditionDecidesWhetherAnElementIsBuilt();
    void dispatcherNamesAreExact();
    void headerGroupsNameTheHeaderFile();

    // Containers and common attributes
    void containerNamesCountAcrossLoads();
    void boxStretchBits_data();
    void boxStretchBits();
    void tabContainers();
    void tabPagesWithSelectLists();
    void treeAndGridContainers();
    void commonAttributes_data();
    void commonAttributes();
    void commonAttributesByKind_data();
    void commonAttributesByKind();

    // Defines, actions, locks
    void duplicateDefines();
    void defineBinding();
    void actionsAreRecordedInData();
    void actionMessages_data();
    void actionMessages();
    void lockConditionsAreStoredUnparsed();

    // Buttons and branches
    void pushButtons();
    void checkBoxes();
    void radioGroups();
    void radioButtonMisplaced();
    void radioButtonsRunTheirOwnActions();
    void treeBranches();
    void treeRowContainersAreCompleteAndLaidOutWhenShown();

    // Combo boxes
    void comboBoxes();
    void comboItems();
    void comboItemSetDefsLocksAndActions();
    void hiddenComboItemKeepsNothing();
    void comboItemsRunTheirOwnActions();

    // Spin boxes
    void spinBoxes_data();
    void spinBoxes();

    // Includes
    void placeholderSubstitution_data();
    void placeholderSubstitution();
    void includedFragmentsAndPanels();
    void includePathsFromTheCommandLine();
    void includeFailuresFailTheReadWithoutReplacingThePanel_data();
    void includeFailuresFailTheReadWithoutReplacingThePanel();
    void includeNestingLimit();
    void brokenIncludedFragmentKeepsTheRest();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    void write(const QString &name, const QByteArray &text) const;
    ReadOutcome readFile(const QString &file);
    ReadOutcome read(const QByteArray &text, const QString &name = QStringLiteral("panel.xml"));
    QWidget *root() const { return fx->root(); }
    template <class T>
    T *find(const QString &name) const
    {
        return root() ? root()->findChild<T *>(name) : nullptr;
    }
    QString console() const { return fx->consoleText(); }
    QStringList transcript() const { return fx->transcript(); }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestPanelReader::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestPanelReader::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
    fx->options = PanelReadOptions();
}

void TestPanelReader::cleanupTestCase()
{
    fx.reset();
}

void TestPanelReader::write(const QString &name, const QByteArray &text) const
{
    QVERIFY(!writeTestFile(path(name), text).isEmpty());
}

ReadOutcome TestPanelReader::readFile(const QString &file)
{
    // The panel before goes as it would in the program, once control is back.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fx->clearPanelState();
    // A panel without a version element has none.
    fx->panel.editHeader().xmlOriginalVersion = QString();
    fx->env.installPrompt({});
    fx->panel.setXMLFile(file);

    QFile device(file);
    ReadOutcome outcome;
    if (!device.open(QIODevice::ReadOnly | QIODevice::Text))
        return outcome;
    PanelXmlReader reader(&fx->panel, fx->options);
    outcome.ok = reader.readXml(&device);
    outcome.usesTyk = reader.usesTyk;
    outcome.loadSaveAllowed = reader.loadSaveAllowed;
    outcome.hasSvdFile = reader.hasSvdFile;
    outcome.headerVersions = reader.headerVersions;
    outcome.errorLink = reader.xmlErrorLink();
    outcome.stoppedEarly = reader.stoppedEarlyReason();
    return outcome;
}

ReadOutcome TestPanelReader::read(const QByteArray &text, const QString &name)
{
    write(name, text);
    return readFile(path(name));
}

// ---------------------------------------------------------------------------
// Read flow

void TestPanelReader::rootVersionAndChecksum_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    // Error-reporter messages; "$FILE" stands for the panel's path.
    QTest::addColumn<QStringList>("messages");

    const QByteArray body = "<verticalcontainer><checkbox define=\"A\"/></verticalcontainer>";
    const QString tooNew = QStringLiteral(
        "Error: Wrong version of Quillmate.\npanel.xml requires minimum Quillmate %1\n"
        "Current version of Quillmate is %2\n");
    const QString manipulated = QStringLiteral("File $FILE has been manipulated\nDo not use it!");
    const QString noRoot = QStringLiteral("Cannot read file $FILE\nNot starting with a container type!");

    QTest::newRow("signed current panel") << signedPanelText(body) << true << QStringList();
    QTest::newRow("version 1.0 is 1000000 and read") << signedPanelText(body, QString(), "1.0") << true << QStringList();
    QTest::newRow("missing version counts 0 and is read")
        << signedPanelText(body).replace(" version=\"2.0.0\"", "") << true << QStringList();
    QTest::newRow("version 0.5 is of the first format")
        << signedPanelText(body, QString(), "0.5") << false
        << QStringList{"Error: The selected configuration is supported by Quillmate V1.x only.\n"
                       "Please refer to the Orvanta homepage to download Quillmate V1.x."};
    QTest::newRow("one patch above the program")
        << signedPanelText(body, QString(), versionAbove(2)) << false
        << QStringList{tooNew.arg(versionAbove(2), programVersionShortText())};
    QTest::newRow("wrong root name") << signedPanelText(body).replace("zelmlcfg", "panel") << false
                                     << QStringList{tooNew.arg("2.0.0", programVersionShortText())};
    QTest::newRow("stale checksum warns and reads on")
        << signedPanelText(body).replace("define=\"A\"", "define=\"B\"") << true << QStringList{manipulated};
    QByteArray upperCase = signedPanelText(body);
    const int digestAt = upperCase.indexOf("<checksum>") + 10;
    upperCase.replace(digestAt, 64, upperCase.mid(digestAt, 64).toUpper());
    QTest::newRow("upper-case digest is a mismatch") << upperCase << true << QStringList{manipulated};
    // A self-closing checksum has no closing tag: nothing is covered, which
    // is no signature at all.
    QTest::newRow("self-closing checksum")
        << QByteArray("<zelmlcfg version=\"2.0.0\"><checksum/>" + body + "</zelmlcfg>") << true
        << QStringList{"No checksum element found in $FILE", manipulated};
    // Without a checksum the first child is read like any other; the
    // missing signature is a warning and nothing else.
    const QString noChecksum = QStringLiteral("No checksum element found in $FILE");
    QTest::newRow("no checksum, a version element first")
        << QByteArray("<zelmlcfg version=\"2.0.0\"><version label=\"1\"/>" + body + "</zelmlcfg>") << true
        << QStringList{noChecksum};
    QTest::newRow("no checksum, the root container first")
        << QByteArray("<zelmlcfg version=\"2.0.0\">" + body + "</zelmlcfg>") << true << QStringList{noChecksum};
    QTest::newRow("no checksum, an unknown first child is no root container")
        << QByteArray("<zelmlcfg version=\"2.0.0\"><wrapper>" + body + "</wrapper></zelmlcfg>") << false
        << QStringList{noChecksum, noRoot};
    QTest::newRow("checksum not first is no checksum")
        << QByteArray("<zelmlcfg version=\"2.0.0\">" + body + "<checksum>x</checksum></zelmlcfg>") << true
        << QStringList{noChecksum};
    QTest::newRow("no root container") << signedPanelText("<version label=\"1\"/>") << false
                                       << QStringList{noRoot};
    QTest::newRow("include at top level") << signedPanelText("<include>x.xml</include>" + body) << false
                                          << QStringList{noRoot};
    QTest::newRow("empty file") << QByteArray() << false << QStringList();
}

void TestPanelReader::rootVersionAndChecksum()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QStringList, messages);
    messages.replaceInStrings(QStringLiteral("$FILE"), path("panel.xml"));

    const ReadOutcome outcome = read(text);
    QCOMPARE(outcome.ok, ok);
    QCOMPARE(transcript(), messages);
    // A panel that reads at all reads its root container: the check box is there.
    if (ok && text.contains("define=\"A\""))
        QVERIFY(fx->panel.getActiveElement(QStringLiteral("A")));
    if (ok)
        QVERIFY2(outcome.stoppedEarly.isEmpty(), qPrintable(outcome.stoppedEarly));
}

void TestPanelReader::readsThatStopEarlyAreMarked_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("reason"); // a part of the reason; empty: read to the end
    QTest::addColumn<QStringList>("built");

    const QByteArray two = "<checkbox define=\"A\"/><checkbox define=\"B\"/>";
    const QByteArray whole = verticalPanelText(two);
    QTest::newRow("whole panel") << whole << QString() << QStringList{"A", "B"};
    QTest::newRow("unknown elements and attributes only warn")
        << verticalPanelText("<checkbox define=\"A\" colour=\"1\"/><gadget/><checkbox define=\"B\"/>")
        << QString() << QStringList{"A", "B"};
    QTest::newRow("stale checksum only warns")
        << QByteArray(whole).replace("define=\"B\"", "define=\"C\"") << QString() << QStringList{"A", "C"};
    QTest::newRow("no checksum only warns") << QByteArray("<zelmlcfg version=\"2.0.0\"><verticalcontainer>" + two
                                                          + "</verticalcontainer></zelmlcfg>")
                                            << QString() << QStringList{"A", "B"};
    QTest::newRow("cut short") << whole.left(whole.indexOf("define=\"B\"") + 4) << "XML not well-formed"
                               << QStringList{"A"};
    QTest::newRow("cut short after the root container")
        << whole.left(whole.indexOf("</zelmlcfg>") + 4) << "XML not well-formed" << QStringList{"A", "B"};
    QTest::newRow("mismatched end tag")
        << verticalPanelText("<checkbox define=\"A\"/><groupcontainer></verticalcontainer>")
        << "XML not well-formed" << QStringList{"A"};
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE zelmlcfg [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char level = 'b'; level <= 'k'; ++level)
        bomb += QByteArray("<!ENTITY ") + level + " \"" + QByteArray("&").append(char(level - 1)).append(';').repeated(10)
            + "\">";
    bomb += "]>\n<zelmlcfg version=\"2.0.0\"><verticalcontainer><checkbox define=\"A\"/>"
            "<edit define=\"B\" default=\"&k;\"/></verticalcontainer></zelmlcfg>";
    QTest::newRow("entity bomb") << bomb << "XML not well-formed" << QStringList{"A"};
    QByteArray nested;
    for (int i = 0; i < 70; ++i)
        nested += "<verticalcontainer>";
    nested += "<checkbox define=\"DEEP\"/>";
    for (int i = 0; i < 70; ++i)
        nested += "</verticalcontainer>";
    QTest::newRow("nesting beyond the limit")
        << verticalPanelText("<checkbox define=\"A\"/>" + nested) << "nested deeper than 64" << QStringList{"A"};
    QTest::newRow("broken included fragment")
        << verticalPanelText("<checkbox define=\"A\"/><include x=\"1\">half.xml</include>") << "half.xml"
        << QStringList{"A", "FIRST"};
    QTest::newRow("included panel refused")
        << verticalPanelText("<checkbox define=\"A\"/><include>v1.xml</include>") << "v1.xml"
        << QStringList{"A"};
}

void TestPanelReader::readsThatStopEarlyAreMarked()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, reason);
    QFETCH(QStringList, built);
    write("half.xml", "<groupcontainer><checkbox define=\"FIRST\"/><checkbox define=\"SECOND\"");
    write("v1.xml", signedPanelText("<checkbox define=\"OLD\"/>", QString(), "0.5"));

    // The read itself goes as far as it can, as it always did.
    const ReadOutcome outcome = read(text);
    QVERIFY(outcome.ok);
    if (reason.isEmpty())
        QVERIFY2(outcome.stoppedEarly.isEmpty(), qPrintable(outcome.stoppedEarly));
    else
        QVERIFY2(outcome.stoppedEarly.contains(reason), qPrintable(outcome.stoppedEarly));
    QStringList defines = fx->panel.registries().elementsByDefine.keys();
    defines.sort();
    QCOMPARE(defines, built);
}

// A read that takes its time says how far it is: counts that grow, never
// beyond the elements there are; a read that is quick says nothing.
void TestPanelReader::longReadsReportTheirProgress()
{
    QString body = QStringLiteral("<verticalcontainer>");
    for (int i = 0; i < 1000; ++i)
        body += QStringLiteral("<checkbox define=\"P%1\"/>").arg(i);
    body += QStringLiteral("</verticalcontainer>");
    QList<int> counts;
    fx->options.progress = [&counts](int elementsRead) { counts.append(elementsRead); };
    fx->options.progressAfterMs = 0;
    QVERIFY(fx->readPanelFile(path("progress.xml"), signedPanelText(body)));
    QVERIFY(!counts.isEmpty());
    QVERIFY(std::is_sorted(counts.cbegin(), counts.cend()));
    QCOMPARE(std::adjacent_find(counts.cbegin(), counts.cend()), counts.cend());
    QVERIFY(counts.last() <= 1001);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("P999")));

    counts.clear();
    fx->options.progressAfterMs = 60 * 60 * 1000;
    QVERIFY(fx->readPanelFile(path("progress.xml"), signedPanelText(body)));
    QVERIFY(counts.isEmpty());
}

void TestPanelReader::includedPanelWithoutChecksumKeepsItsFirstElement()
{
    // The first element of an unsigned included panel is a header group: its
    // elements keep the group's header file.
    write("parts/unsigned.xml", "<zelmlcfg version=\"2.0.0\"><header file=\"in.h\">"
                                "<checkbox define=\"GROUPED\"/></header><checkbox define=\"LOOSE\"/></zelmlcfg>");
    const ReadOutcome outcome = read(verticalPanelText("<include>parts/unsigned.xml</include>"));
    QVERIFY(outcome.ok);
    QVERIFY2(outcome.stoppedEarly.isEmpty(), qPrintable(outcome.stoppedEarly));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("GROUPED"))->header(), QStringLiteral("in.h"));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("LOOSE"))->header(), QString());
    QCOMPARE(transcript(), QStringList{"No checksum element found in " + path("parts/unsigned.xml")});
}

void TestPanelReader::homePanelIsKnownByItsFlagNotByItsPath()
{
    const QByteArray tooNew = signedPanelText("<verticalcontainer/>", QString(), versionAbove(1));
    write("scripts/index.xml", tooNew);
    QDir::setCurrent(dir->path());
    QVERIFY(!readFile(QStringLiteral("scripts/index.xml")).ok);

    fx->options.homePanel = true;
    QVERIFY(readFile(QStringLiteral("scripts/index.xml")).ok);
    QVERIFY(transcript().isEmpty());
    // Even the home panel must not be of the first format.
    QVERIFY(!read(signedPanelText("<verticalcontainer/>", QString(), "0.9")).ok);
}

void TestPanelReader::checksumCoversTheTextWithoutCarriageReturns()
{
    // Digest of "</checksum>\n", taken with sha256sum.
    QCOMPARE(PanelXmlReader::checksumOf("head</checksum>\n"),
             QByteArray("726c2cfe504ea9b4a27217f0d959d220d88374623ee1760895fc93cb9749cb04"));
    QVERIFY(PanelXmlReader::checksumOf("<checksum/>").isNull());

    // Signed over LF text, stored with CR LF: the same panel.
    QByteArray crlf = verticalPanelText("<checkbox define=\"A\"/>");
    crlf.replace("\n", "\r\n");
    QVERIFY(read(crlf).ok);
    QVERIFY(transcript().isEmpty());

    // Also when the device is not in text mode.
    QBuffer buffer(&crlf);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    fx->clearPanelState();
    fx->env.installPrompt({});
    fx->panel.setXMLFile(path("buffer.xml"));
    PanelXmlReader reader(&fx->panel, fx->options);
    QVERIFY(reader.readXml(&buffer));
    QVERIFY(transcript().isEmpty());
}

void TestPanelReader::headerElementsAfterTheRootContainerAreNotRead()
{
    const ReadOutcome outcome =
        read(signedPanelText("<verticalcontainer/><loadsaveallowed value=\"0\"/><tooltipconfig value=\"1\"/>"));
    QVERIFY(outcome.ok);
    QVERIFY(outcome.loadSaveAllowed);
    QCOMPARE(fx->panel.toolTipSections(), 0xFFFFu);
}

void TestPanelReader::brokenXmlGivesOneClearLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("built");

    const QByteArray whole = verticalPanelText("<checkbox define=\"A\"/><checkbox define=\"B\"/>");
    // Truncated inside the second check box: the first is built, the read counts.
    QTest::newRow("truncated file") << whole.left(whole.indexOf("define=\"B\"") + 4) << true
                                    << QStringList{"A"};
    QTest::newRow("mismatched end tag")
        << verticalPanelText("<checkbox define=\"A\"/><groupcontainer></verticalcontainer>") << true
        << QStringList{"A"};
    QTest::newRow("child where a text is read")
        << verticalPanelText("<checkbox define=\"A\"/><stretch><b/></stretch><checkbox define=\"B\"/>") << true
        << QStringList{"A"};
    QTest::newRow("broken before the root container")
        << signedPanelText("<version label=\"1\"<verticalcontainer/>") << false << QStringList();
    QTest::newRow("not XML at all") << QByteArray("\x01\x02 panel?") << false << QStringList();
}

void TestPanelReader::brokenXmlGivesOneClearLine()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QStringList, built);

    QCOMPARE(read(text).ok, ok);
    QCOMPARE(console().count(QStringLiteral("XML Error: XML not well-formed:")), 1);
    QCOMPARE(fx->panel.registries().elementsByDefine.keys().size(), built.size());
    for (const QString &define : qAsConst(built))
        QVERIFY(fx->panel.getActiveElement(define));
}

void TestPanelReader::deepNestingIsCutOffWithAMessage()
{
    const int levels = 300;
    QByteArray nested;
    for (int i = 0; i < levels; ++i)
        nested += "<verticalcontainer>";
    nested += "<checkbox define=\"DEEP\"/>";
    for (int i = 0; i < levels; ++i)
        nested += "</verticalcontainer>";
    QVERIFY(read(verticalPanelText(nested + "<checkbox define=\"AFTER\"/>")).ok);
    QCOMPARE(console().count(QStringLiteral("Elements nested deeper than 64 levels are not read:")), 1);
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("DEEP")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
}

// A read of many small containers hands the new widgets their polish and
// layout requests on the way, but nothing else: a queued call waiting before
// the read runs only once the event loop runs again, and every row is built.
void TestPanelReader::manyRowsReadWithoutRunningQueuedCalls()
{
    QByteArray rows;
    const int count = 300;
    for (int i = 0; i < count; ++i)
        rows += "<branch label=\"R" + QByteArray::number(i) + "\"><horizontalcontainer><text label=\"t\"/>"
                "<spinbox define=\"S" + QByteArray::number(i) + "\"/></horizontalcontainer></branch>";
    bool queuedCallRan = false;
    QObject receiver;
    QMetaObject::invokeMethod(&receiver, [&] { queuedCallRan = true; }, Qt::QueuedConnection);
    QVERIFY(read(verticalPanelText("<treecontainer headerlabels=\"A;B\">" + rows + "</treecontainer>")).ok);
    QVERIFY(!queuedCallRan);
    QVERIFY(find<SpinBox>(QStringLiteral("S0")));
    QVERIFY(find<SpinBox>(QStringLiteral("S%1").arg(count - 1)));
    QCoreApplication::sendPostedEvents();
    QVERIFY(queuedCallRan);
}

void TestPanelReader::absurdNumbersBuildWithoutHarm()
{
    const QByteArray elements =
        "<gridcontainer columns=\"2147483647\" size=\"99999999999;5\" pos=\"-2147483648;2147483647\">"
        "<spinbox define=\"S\" range=\"-99999999999999999999;0xFFFFFFFFFFFFFFFFFF\" step=\"99999999999\""
        " default=\"0x\"/>"
        "<doublespinbox define=\"D\" range=\"0.1;99999999999999999999.5\" default=\"1e300\" step=\"1e999\"/>"
        "</gridcontainer>"
        "<treecontainer columnwidths=\"" + QByteArray("9;").repeated(5000) + "9\" stretch=\"-1\"/>"
        "<groupcontainer stretch=\"2147483647\" color=\"999;-1;300;7\" font=\"x,-5,99999,5,700\"/>";
    QVERIFY(read(verticalPanelText(elements)).ok);
    auto *spin = find<SpinBox>(QStringLiteral("S"));
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 0); // both bounds overflow to 0
    QCOMPARE(spin->maximum(), 0);
    QVERIFY(find<DoubleSpinBox>(QStringLiteral("D")));
    QVERIFY(transcript().join('\n').contains(QStringLiteral("Default value for D (2147483647)")));
}

void TestPanelReader::messageFloodIsCut()
{
    const QByteArray bad = "<treecontainer columnwidths=\"" + QByteArray("x;").repeated(1500) + "\"/>";
    QElapsedTimer timer;
    timer.start();
    QVERIFY(read(verticalPanelText(bad + "<checkbox/>")).ok);
    QCOMPARE(console().count(QStringLiteral("\"columnwidths\" attribute invalid.")), PanelXmlReader::maxMessages);
    QCOMPARE(console().count(QStringLiteral("More than 1000 XML errors and warnings: the others are not shown.")), 1);
    QVERIFY(!console().contains(QStringLiteral("Checkbox without define")));
    QVERIFY(timer.elapsed() < 10000);
}

void TestPanelReader::everyKindLeavesTheStreamAfterItself_data()
{
    QTest::addColumn<QString>("element");
    const QStringList kinds{
        "<checkbox define=\"K\"/>", "<combo define=\"K\"><item label=\"a\" value=\"0\"/></combo>",
        "<spinbox define=\"K\" range=\"0;3\"/>", "<hexspinbox define=\"K\" range=\"0;3\"/>",
        "<doublespinbox define=\"K\" range=\"0;1\"/>", "<slider define=\"K\" range=\"0;3\"/>",
        "<knob define=\"K\" range=\"0;3\"/>", "<edit define=\"K\"/>", "<editbox define=\"K\"/>",
        "<togglebutton define=\"K\" label=\"k\"/>", "<button label=\"k\"/>",
        "<radio define=\"K\"><radiobutton label=\"a\" value=\"0\"/></radio>",
        "<registerview define=\"K\"/>", "<svdtree define=\"K\"/>", "<table define=\"K\"/>",
        "<pinmapper define=\"K\"/>", "<math define=\"K\" formula=\"1\"/>", "<timer define=\"K\"/>",
        "<log define=\"K\"/>", "<led define=\"K\" data=\"X\"/>", "<text label=\"k\"/>", "<stretch/>",
        "<horizontalline/>", "<image file=\"none.png\"/>",
        "<plot><curve label=\"c\" data=\"X\"/></plot>", "<dial data=\"X\"/>", "<thermo data=\"X\"/>",
        "<var define=\"V\" address=\"0x20000000\" size=\"4\"/>"};
    for (const QString &kind : kinds)
        QTest::newRow(qPrintable(kind.section(QLatin1Char(' '), 0, 0))) << kind;
}

// Whatever an element is, the one after it in the same container is read.
void TestPanelReader::everyKindLeavesTheStreamAfterItself()
{
    QFETCH(QString, element);
    const ReadOutcome outcome = read(verticalPanelText(element + QStringLiteral("<checkbox define=\"AFTER_IT\"/>")));
    QVERIFY(outcome.ok);
    QVERIFY2(fx->panel.getActiveElement(QStringLiteral("AFTER_IT")), qPrintable(console()));
}

void TestPanelReader::shippedPanelsAreSignedAndLoadCleanly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("defines");
    QTest::newRow("demo") << QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml")
                          << QStringList{"DEMO_OSC_ENABLE", "DEMO_PLL_ENABLE", "DEMO_PLL_MULT",
                                         "DEMO_OSC_TRIM", "DEMO_POWER_MODE", "DEMO_UART_ENABLE",
                                         "DEMO_UART_PARITY", "DEMO_UART_BAUD", "DEMO_SPI_ENABLE"};
    QTest::newRow("home panel") << QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/scripts/index.xml")
                                << QStringList();
}

void TestPanelReader::shippedPanelsAreSignedAndLoadCleanly()
{
    QFETCH(QString, file);
    QFETCH(QStringList, defines);

    QFile source(file);
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Text));
    const QByteArray text = source.readAll();
    const QByteArray digest = PanelXmlReader::checksumOf(text);
    QVERIFY2(text.contains("<checksum>" + digest + "</checksum>"),
             qPrintable(QStringLiteral("stale checksum; sign it with %1").arg(QString::fromLatin1(digest))));

    const ReadOutcome outcome = readFile(file);
    QVERIFY(outcome.ok);
    QCOMPARE(transcript(), QStringList());
    QCOMPARE(console(), QString());
    for (const QString &define : qAsConst(defines))
        QVERIFY2(fx->panel.getActiveElement(define), qPrintable(define));
}

// ---------------------------------------------------------------------------
// Messages

void TestPanelReader::messageLineFormat()
{
    QCOMPARE(PanelXmlReader::messageLine(QStringLiteral("SVD file is missing."), QString(), false,
                                         QStringLiteral("C:/p/panel.xml"), 12, 3),
             QStringLiteral("<b><font color=\"orange\"> XML Warning: </font>SVD file is missing. <a href=\"\"></a> "
                            "(<b><a href=\"$xmlopen$C$$$COLON$$$/p/panel.xml$-n12$-c3\">file</a> line 12, "
                            "column 3</b><b>)<br>"));
    // The link is escaped in its target only.
    QCOMPARE(PanelXmlReader::messageLine(QStringLiteral("Duplicate define "), QStringLiteral("MOD:REG"), true,
                                         QStringLiteral("p.xml"), 1, 2),
             QStringLiteral("<b><font color=\"red\"> XML Error: </font>Duplicate define  <a "
                            "href=\"MOD$$$COLON$$$REG\">MOD:REG</a> (<b><a href=\"$xmlopen$p.xml$-n1$-c2\">file</a> "
                            "line 1, column 2</b><b>)<br>"));
    // Placeholders are filled in turn: "%2" in the text becomes the link target.
    QVERIFY(PanelXmlReader::messageLine(QStringLiteral("a %2 b"), QStringLiteral("X"), true, QStringLiteral("f"), 1, 1)
                .contains(QStringLiteral("a X b")));
    // Panel texts cannot add markup of their own.
    QVERIFY(PanelXmlReader::messageLine(QStringLiteral("t"), QStringLiteral("<i>A\"</i>"), true,
                                        QStringLiteral("f"), 1, 1)
                .contains(QStringLiteral("href=\"&lt;i&gt;A&quot;&lt;/i&gt;\">&lt;i&gt;A&quot;&lt;/i&gt;</a>")));
    QCOMPARE(PanelXmlReader::positionLink(QStringLiteral("C:/a:b.xml"), 7, 9),
             QStringLiteral("$xmlopen$C$$$COLON$$$/a$$$COLON$$$b.xml$-n7$-c9"));
}

void TestPanelReader::consoleLinesLinkToThePosition()
{
    const ReadOutcome outcome = read(verticalPanelText("<checkbox/>"));
    QVERIFY(outcome.ok);
    QVERIFY(console().contains(QStringLiteral("XML Error: Checkbox without define is not allowed:")));
    const QString html = fx->consoleHtml();
    QVERIFY2(html.contains(PanelXmlReader::positionLink(path("panel.xml"), 5, 11)), qPrintable(html));

    // After a failed read the caller gets the position alone.
    const ReadOutcome failed = read(signedPanelText("<version label=\"1\"/>"));
    QVERIFY(!failed.ok);
    QVERIFY(failed.errorLink.startsWith(QStringLiteral("<b><a href=\"$xmlopen$")));
    QVERIFY(failed.errorLink.endsWith(QStringLiteral("</b><b><br>")));
}

// ---------------------------------------------------------------------------
// Header elements

void TestPanelReader::headerElementValues()
{
    ReadOutcome outcome = read(signedPanelText(
        "<version label=\"1.0\"/><version label=\"1.1\"/>"
        "<tooltipconfig value=\"0xC\"/><loadsaveallowed value=\"2\"/>"
        "<ioconfig port=\" com3 \" settings=\"9600\"/><iocheck mode=\"65537\"/>"
        "<fwversion min=\"1.2.3\" max=\"2.*\"/><infosource forumurl=\"http://f\" tooltip=\"Ask\"/>"
        "<documents path=\"docs\"/><parametermap file=\"p.xml\"/>"
        "<pinmapping file=\"pins.xml\"/><terminal port=\"X\"/>"
        "<verticalcontainer/>"));
    QVERIFY(outcome.ok);
    QCOMPARE(fx->panel.header().xmlVersion, QStringLiteral("1.1"));
    QCOMPARE(fx->panel.header().xmlOriginalVersion, QStringLiteral("1.1"));
    QCOMPARE(fx->panel.toolTipSections(), 12u);
    QVERIFY(outcome.loadSaveAllowed);
    QCOMPARE(fx->panel.header().ioPortName, QStringLiteral("com3"));
    QCOMPARE(fx->panel.header().ioPortSettings, QStringLiteral("9600"));
    QCOMPARE(fx->panel.header().ioCheckMode, quint16(1));
    QCOMPARE(fx->panel.header().fwVersionRangeText(), QStringLiteral("V.1.2.3..V.2.255.255"));
    QCOMPARE(fx->panel.header().forumUrl, QStringLiteral("http://f"));
    QCOMPARE(fx->panel.header().forumToolTip, QStringLiteral("Ask"));
    QCOMPARE(fx->panel.header().documentsPath, QStringLiteral("docs"));
    // The two files named are not there: each is said once, nothing else.
    const QStringList lines = console().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith("XML Warning: Parametermap file \"") && lines.at(0).contains("p.xml"),
             qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).startsWith("XML Warning: Pinmapping file is missing."), qPrintable(lines.at(1)));

    outcome = read(signedPanelText("<tooltipconfig value=\"many\"/><loadsaveallowed value=\"no\"/>"
                                   "<ioconfig/><verticalcontainer/>"));
    QCOMPARE(fx->panel.toolTipSections(), 0u);
    QVERIFY(!outcome.loadSaveAllowed);
    QCOMPARE(fx->panel.header().ioPortName, QString());

    // A new read starts from the defaults.
    outcome = read(verticalPanelText(""));
    QCOMPARE(fx->panel.toolTipSections(), 0xFFFFu);
    QVERIFY(outcome.loadSaveAllowed);
    QCOMPARE(fx->panel.header().forumUrl, QString());
}

void TestPanelReader::labelsNameParameterFields_data()
{
    QTest::addColumn<bool>("withMap");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");

    QTest::newRow("text") << true << "$Clock.Text" << "Core clock";
    QTest::newRow("unit in any case") << true << "$Clock.unit" << " MHz";
    QTest::newRow("comment") << true << "$Clock.Comment" << "Clock of the core";
    QTest::newRow("second record") << true << "$Gain.Text" << "Amplifier gain";
    QTest::newRow("other suffix") << true << "$Clock.x" << "$Clock.x";
    QTest::newRow("unknown name") << true << "$Nothing.Text" << "$Nothing.Text";
    QTest::newRow("no dollar") << true << "Clock.Text" << "Clock.Text";
    QTest::newRow("no dot") << true << "$Clock" << "$Clock";
    QTest::newRow("no parameter map") << false << "$Clock.Text" << "$Clock.Text";
}

void TestPanelReader::labelsNameParameterFields()
{
    QFETCH(bool, withMap);
    QFETCH(QString, label);
    QFETCH(QString, shown);

    write("params.xml", "<parameters>"
                        "<parameter ID=\"C\" VarName=\"Clock\" Text=\"Core clock\" Unit=\" MHz\" "
                        "comment=\"Clock of the core\"/>"
                        "<parameter ID=\"G\" VarName=\"Gain\" Text=\"Amplifier gain\"/>"
                        "</parameters>");
    const QByteArray map = withMap ? "<parametermap file=\"params.xml\"/>" : "";
    QVERIFY(read(signedPanelText(map + "<verticalcontainer><checkbox define=\"BOX\" label=\"" + label.toUtf8()
                                 + "\"/></verticalcontainer>"))
                .ok);
    auto *box = find<CheckBox>(QStringLiteral("BOX"));
    QVERIFY(box);
    QCOMPARE(box->text(), shown);
}

void TestPanelReader::headerFileWarnings_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("hasSvd");

    QTest::newRow("svd missing") << QByteArray("<svd file=\"gone.svd\"/>") << "SVD file is missing." << true;
    QTest::newRow("svd present") << QByteArray("<svd file=\"here.txt\"/>") << "" << true;
    QTest::newRow("svd empty: no warning") << QByteArray("<svd file=\"\"/>") << "" << false;
    QTest::newRow("migration missing") << QByteArray("<migration file=\"m.txt\"/>")
                                       << "Migration file is missing." << false;
    QTest::newRow("disclaimer missing") << QByteArray("<disclaimer file=\"d.txt\"/>")
                                        << "Disclaimer file is missing." << false;
    QTest::newRow("disclaimer beside the panel") << QByteArray("<disclaimer file=\"here.txt\"/>") << ""
                                                 << false;
}

void TestPanelReader::headerFileWarnings()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, warning);
    QFETCH(bool, hasSvd);

    write("here.txt", "x");
    const ReadOutcome outcome = read(signedPanelText(header + "<verticalcontainer/>"));
    QVERIFY(outcome.ok);
    QCOMPARE(outcome.hasSvdFile, hasSvd);
    if (warning.isEmpty())
        QCOMPARE(console(), QString());
    else
        QCOMPARE(console().count(QStringLiteral("XML Warning: ") + warning), 1);
}

// ---------------------------------------------------------------------------
// Dispatcher

void TestPanelReader::startConditions_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("defines");
    QTest::addColumn<bool>("holds");

    QTest::newRow("equal") << "CHIP==A" << "CHIP=A" << true;
    QTest::newRow("blanks and quotes around the value") << " CHIP == \"A\" " << "X=1; CHIP = A ;" << true;
    QTest::newRow("quotes on the command line are kept") << "CHIP==A" << "CHIP=\"A\"" << false;
    QTest::newRow("other value") << "CHIP==A" << "CHIP=B" << false;
    QTest::newRow("no -d list at all") << "CHIP!=A" << "" << false;
    QTest::newRow("not equal, other value") << "CHIP!=A" << "CHIP=B" << true;
    QTest::newRow("not equal, same value") << "CHIP!=A" << "CHIP=A" << false;
    QTest::newRow("not equal, name absent") << "CHIP!=A" << "OTHER=B" << false;
    QTest::newRow("no operator") << "CHIP" << "CHIP=A" << false;
    QTest::newRow("two operators") << "A==B==C" << "A=B" << false;
    QTest::newRow("names are case-sensitive") << "chip==A" << "CHIP=A" << false;
    QTest::newRow("entry without = decides nothing") << "CHIP==A" << "CHIP;CHIP=A" << true;
    QTest::newRow("value ends at a second =") << "CHIP==A" << "CHIP=A=B" << true;
}

void TestPanelReader::startConditions()
{
    QFETCH(QString, condition);
    QFETCH(QString, defines);
    QFETCH(bool, holds);
    QCOMPARE(PanelXmlReader::startConditionHolds(condition, defines), holds);
}

void TestPanelReader::startConditionDecidesWhetherAnElementIsBuilt()
{
    const QByteArray text = verticalPanelText("<groupcontainer startcond=\"CHIP==A\"><checkbox define=\"IN\"/></groupcontainer>"
                                              "<checkbox define=\"OUT\" startcond=\"CHIP!=A\"/>");
    fx->options.defines = QStringLiteral("CHIP=A");
    QVERIFY(read(text).ok);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("IN")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("OUT")));

    fx->options.defines.clear();
    QVERIFY(read(text).ok);
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("IN")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("OUT")));
    QCOMPARE(console(), QString());
}

void TestPanelReader::dispatcherNamesAreExact()
{
    QVERIFY(read(verticalPanelText("<treecontainer><checkbox uielement=\"branch\" define=\"BR\"/></treecontainer>"
                                   "<checkbox uielement=\"Branch\" define=\"PLAIN\"/>"
                                   "<Button define=\"UPPER\"/><unknown define=\"U\"><checkbox define=\"INNER\"/></unknown>"
                                   "<combo define=\"LATER\"><item label=\"x\"/></combo><item/>"
                                   "<editbox/><version label=\"7\">text</version>"))
                .ok);
    auto *branchBox = find<CheckBox>(QStringLiteral("BR"));
    QVERIFY(branchBox);
    QVERIFY(qobject_cast<QTreeWidget *>(branchBox->parentWidget()->parentWidget()));
    QVERIFY(qobject_cast<QBoxLayout *>(find<CheckBox>(QStringLiteral("PLAIN"))->parentWidget()->layout()));
    QVERIFY(!find<QWidget>(QStringLiteral("UPPER")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("INNER")));
    QVERIFY(find<ComboBox>(QStringLiteral("LATER")));
    QCOMPARE(console().count(QStringLiteral("XML Warning: Found <item> element that's not within a <combo> element")), 1);
    QCOMPARE(console().count(QStringLiteral("XML Error: Editbox without define is not allowed:")), 1);
    QCOMPARE(root()->findChildren<TextEdit *>().size(), 1);
    // Inside containers a version element sets the version text only.
    QCOMPARE(fx->panel.header().xmlVersion, QStringLiteral("7"));
    QCOMPARE(fx->panel.header().xmlOriginalVersion, QString());
}

void TestPanelReader::headerGroupsNameTheHeaderFile()
{
    const ReadOutcome outcome = read(signedPanelText(
        "<version label=\"3.1\"/><verticalcontainer>"
        "<header file=\"a.h\"><checkbox define=\"IN_A\"/><checkbox define=\"OWN\" header=\"own.h\"/></header>"
        "<checkbox define=\"NONE\"/>"
        "<radio define=\"R\"><header file=\"b.h\"><radiobutton label=\"x\"/></header></radio>"
        "</verticalcontainer>"));
    QVERIFY(outcome.ok);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("IN_A"))->header(), QStringLiteral("a.h"));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("OWN"))->header(), QStringLiteral("own.h"));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("NONE"))->header(), QString());
    QCOMPARE(outcome.headerVersions.value(QStringLiteral("a.h")), QStringLiteral("3.1"));
    QCOMPARE(outcome.headerVersions.value(QStringLiteral("own.h")), QStringLiteral("3.1"));
    // A radio button inside a header group has no group to join.
    QCOMPARE(find<ButtonGroup>(QStringLiteral("R"))->buttons().size(), 0);
    QCOMPARE(console().count(QStringLiteral("Found <radiobutton> element that's not within a <radio> element")), 1);
}

// ---------------------------------------------------------------------------
// Containers

void TestPanelReader::containerNamesCountAcrossLoads()
{
    const QByteArray text = verticalPanelText("<absolutecontainer/><absolutecontainer/>");
    QVERIFY(read(text).ok);
    const QList<QWidget *> first = root()->findChildren<QWidget *>(QRegularExpression("^ABSOLUTE_\\d+$"));
    QCOMPARE(first.size(), 2);
    const int n = first.at(0)->objectName().mid(9).toInt();
    QCOMPARE(first.at(1)->objectName(), QStringLiteral("ABSOLUTE_%1").arg(n + 1));
    QCOMPARE(root()->objectName(), QStringLiteral("VERT_ROOT"));

    QVERIFY(read(text).ok);
    QVERIFY(find<QWidget>(QStringLiteral("ABSOLUTE_%1").arg(n + 2)));
    QVERIFY(find<QWidget>(QStringLiteral("ABSOLUTE_%1").arg(n + 3)));
}

void TestPanelReader::boxStretchBits_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("stretch");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");

    for (const char *kind : {"groupcontainer", "horizontalcontainer", "verticalcontainer"}) {
        QTest::addRow("%s 0", kind) << QByteArray(kind) << "0" << false << false;
        QTest::addRow("%s 1", kind) << QByteArray(kind) << "1" << true << false;
        QTest::addRow("%s 2", kind) << QByteArray(kind) << "2" << false << true;
        QTest::addRow("%s 3", kind) << QByteArray(kind) << "3" << true << true;
    }
}

void TestPanelReader::boxStretchBits()
{
    QFETCH(QByteArray, kind);
    QFETCH(QString, stretch);
    QFETCH(bool, before);
    QFETCH(bool, after);

    QVERIFY(read(verticalPanelText("<" + kind + " define=\"BOX\" stretch=\"" + stretch.toLatin1()
                                   + "\"><checkbox define=\"C\"/></" + kind + ">"))
                .ok);
    QWidget *box = find<CheckBox>(QStringLiteral("C"))->parentWidget();
    QCOMPARE(fx->panel.registries().containersByName.value(QStringLiteral("BOX")), dynamic_cast<Container *>(box));
    auto *layout = qobject_cast<QBoxLayout *>(box->layout());
    QVERIFY(layout);
    QCOMPARE(layout->count(), 1 + int(before) + int(after));
    QCOMPARE(layout->itemAt(0)->spacerItem() != nullptr, before);
    QCOMPARE(layout->itemAt(layout->count() - 1)->spacerItem() != nullptr, after);
}

void TestPanelReader::tabContainers()
{
    QVERIFY(read(signedPanelText("<tabcontainer label=\"Main\" resize=\"0\">"
                                 "<tabcontainer label=\"Inner\" desc=\"inner tip\"/>"
                                 "<tabcontainer define=\"TABS\"/>"
                                 "<tabcontainer resize=\"1\"/>"
                                 "</tabcontainer>"))
                .ok);
    auto *rootTabs = qobject_cast<TabWidget *>(root());
    QVERIFY(rootTabs);
    QCOMPARE(rootTabs->objectName(), QStringLiteral("TAB_ROOT"));
    QCOMPARE(fx->panel.registries().tabWidgetsByName.value(QStringLiteral("Main")), rootTabs);
    QCOMPARE(rootTabs->count(), 3);
    QCOMPARE(rootTabs->tabToolTip(0), QStringLiteral("inner tip"));

    auto *inner = fx->panel.registries().tabWidgetsByName.value(QStringLiteral("Inner"));
    QVERIFY(inner);
    QVERIFY(!inner->objectName().startsWith(QStringLiteral("TAB_")));
    auto *named = find<TabWidget>(QStringLiteral("TABS"));
    QVERIFY(named);
    QCOMPARE(fx->panel.registries().containersByName.value(QStringLiteral("TABS")), static_cast<Container *>(named));
    auto *sized = qobject_cast<TabWidget *>(rootTabs->widget(2));
    QVERIFY(sized->objectName().startsWith(QStringLiteral("TAB_")));

    // resize 0: neither change connection; absent: the changed tab; 1: the sizes.
    const auto changed = &QTabWidget::currentChanged;
    QVERIFY(!QObject::disconnect(rootTabs, changed, rootTabs, &TabWidget::changedTab));
    QVERIFY(!QObject::disconnect(rootTabs, changed, rootTabs, &TabWidget::updateSizes));
    QVERIFY(QObject::disconnect(inner, changed, inner, &TabWidget::changedTab));
    QVERIFY(!QObject::disconnect(inner, changed, inner, &TabWidget::updateSizes));
    QVERIFY(QObject::disconnect(sized, changed, sized, &TabWidget::updateSizes));
    QVERIFY(takeConnection(rootTabs, &TabWidget::updateMathLabels, &fx->panel, &Panel::on_updateMathLabel));
    QVERIFY(takeConnection(named, &TabWidget::updateMathLabels, &fx->panel, &Panel::on_updateMathLabel));
}

void TestPanelReader::tabPagesWithSelectLists()
{
    QVERIFY(read(signedPanelText("<tabcontainer>"
                                 "<verticalcontainer label=\"P1\" selectsetdef=\"A=1;B=2\">"
                                 "<groupcontainer define=\"INNER\" selectsetdef=\"C=1\"/></verticalcontainer>"
                                 "<gridcontainer label=\"P2\" unselectsetdef=\"A=0\"/>"
                                 "<absolutecontainer label=\"P3\"/>"
                                 "</tabcontainer>"))
                .ok);
    auto *tabs = qobject_cast<TabWidget *>(root());
    QWidget *first = tabs->widget(0);
    QCOMPARE(first->property("selectsetdef").toStringList(), QStringList({"A=1", "B=2"}));
    QCOMPARE(first->property("unselectsetdef").toStringList(), QStringList({""}));
    QCOMPARE(tabs->widget(1)->property("unselectsetdef").toStringList(), QStringList({"A=0"}));
    QCOMPARE(tabs->lastPage, first);
    QCOMPARE(tabs->setDefPageCount, 2);
    auto *firstPage = qobject_cast<VerticalWidget *>(first);
    auto *thirdPage = qobject_cast<AbsoluteWidget *>(tabs->widget(2));
    QVERIFY(firstPage && thirdPage);
    QVERIFY(takeConnection(tabs, &QTabWidget::currentChanged, firstPage, &VerticalWidget::childSetDef));
    QVERIFY(!takeConnection(tabs, &QTabWidget::currentChanged, thirdPage, &AbsoluteWidget::childSetDef));
    // Only pages of a tab container take select lists.
    auto *inner = dynamic_cast<QWidget *>(fx->panel.registries().containersByName.value(QStringLiteral("INNER")));
    QVERIFY(!inner->property("selectsetdef").isValid());
    QCOMPARE(elementPropertyOf(first, "my_label").toString(), QStringLiteral("P1"));
}

void TestPanelReader::treeAndGridContainers()
{
    QVERIFY(read(verticalPanelText("<treecontainer/>"
                                   "<treecontainer headerlabels=\"Name;Value\" columnwidths=\"150;;90\"/>"
                                   "<gridcontainer columns=\"3\"/><gridcontainer columns=\"0\"/><gridcontainer/>"))
                .ok);
    const QList<TreeWidget *> trees = root()->findChildren<TreeWidget *>();
    QCOMPARE(trees.size(), 2);
    QCOMPARE(trees.at(0)->view()->headerItem()->text(0), QString());
    QCOMPARE(trees.at(1)->view()->headerItem()->text(1), QStringLiteral("Value"));
    QCOMPARE(trees.at(1)->view()->columnWidth(0), 150);
    QCOMPARE(trees.at(1)->view()->columnWidth(2), 90);
    QCOMPARE(console().count(QStringLiteral("\"columnwidths\" attribute invalid.")), 1);

    const QList<GridWidget *> grids = root()->findChildren<GridWidget *>();
    QCOMPARE(grids.size(), 3);
    QCOMPARE(grids.at(0)->columns(), 3);
    // No usable count keeps the grid's own four columns.
    QCOMPARE(grids.at(1)->columns(), 4);
    QCOMPARE(grids.at(2)->columns(), 4);
}

void TestPanelReader::commonAttributes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("warning");

    QTest::newRow("size fixes both") << QByteArray("<checkbox define=\"W\" size=\"120;30\"/>") << "fixed 120x30" << "";
    QTest::newRow("size -1;-1 fixes nothing") << QByteArray("<checkbox define=\"W\" size=\"-1;-1\"/>") << "free" << "";
    QTest::newRow("size 120;-1 fixes the width") << QByteArray("<checkbox define=\"W\" size=\"120;-1\"/>")
                                                << "width 120" << "";
    QTest::newRow("size with three parts") << QByteArray("<checkbox define=\"W\" size=\"1;2;3\"/>") << "free"
                                          << "\"size\" attribute invalid.";
    QTest::newRow("size with a word") << QByteArray("<checkbox define=\"W\" size=\"wide;30\"/>")
                                     << "fixed 0x30" << "\"size\" attribute invalid.";
    QTest::newRow("size policy") << QByteArray("<checkbox define=\"W\" sizepolicy=\"expanding;fixed\"/>")
                                 << "policy expanding" << "";
    QTest::newRow("size policy in other case") << QByteArray("<checkbox define=\"W\" sizepolicy=\"Expanding;fixed\"/>")
                                               << "policy fixed" << "\"sizepolicy\" attribute invalid.";
    QTest::newRow("pos") << QByteArray("<absolutecontainer><checkbox define=\"W\" pos=\"10;20\"/></absolutecontainer>")
                         << "at 10,20" << "";
    QTest::newRow("pos with one part") << QByteArray("<checkbox define=\"W\" pos=\"10\"/>") << "at 0,0"
                                       << "\"pos\" attribute invalid.";
    QTest::newRow("colour of two parts") << QByteArray("<checkbox define=\"W\" color=\"1;2\"/>") << "color invalid"
                                         << "\"color\" attribute invalid.";
    QTest::newRow("colour with alpha") << QByteArray("<checkbox define=\"W\" color=\"10;20;30;40\"/>")
                                       << "color 10,20,30,40" << "";
    QTest::newRow("button colour style sheet") << QByteArray("<button define=\"W\" color=\"1;2;3;4\"/>")
                                              << "sheet QPushButton{background-color: rgb(1,2,3,4);}"
                                                 "QPushButton:checked{background-color: rgb(1,2,3,4);}"
                                              << "";
    QTest::newRow("visible 0 stays visible") << QByteArray("<checkbox define=\"W\" visible=\"0\"/>") << "shown" << "";
    QTest::newRow("visible false hides") << QByteArray("<checkbox define=\"W\" visible=\"false\"/>") << "hidden" << "";
    QTest::newRow("readonly 0") << QByteArray("<checkbox define=\"W\" readonly=\"0\"/>") << "takes the mouse" << "";
    QTest::newRow("readonly 1") << QByteArray("<checkbox define=\"W\" readonly=\"1\"/>") << "no mouse" << "";
    QTest::newRow("enabled word disables") << QByteArray("<checkbox define=\"W\" enabled=\"yes\"/>") << "disabled" << "";
    QTest::newRow("container without colour is white")
        << QByteArray("<groupcontainer define=\"W\"/>") << "window 255,255,255,255" << "";
    QTest::newRow("container colour") << QByteArray("<groupcontainer define=\"W\" color=\"1;2;3\"/>")
                                      << "window 1,2,3,255" << "";
    QTest::newRow("image missing") << QByteArray("<groupcontainer define=\"W\" image=\"none.png\"/>")
                                   << "image none.png" << "Image file not found in UI element";
    QTest::newRow("texts kept as written")
        << QByteArray("<checkbox define=\"W\" tooltip=\"tip\" unit=\"mV\" expand=\"1\" font=\"Sans,11\"/>")
        << "properties" << "";
}

void TestPanelReader::commonAttributes()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, check);
    QFETCH(QString, warning);

    QVERIFY(read(verticalPanelText(element)).ok);
    QWidget *widget = find<QWidget>(QStringLiteral("W"));
    if (!widget)
        widget = dynamic_cast<QWidget *>(fx->panel.registries().containersByName.value(QStringLiteral("W")));
    if (!widget)
        widget = fx->panel.registries().pushButtonsByName.value(QStringLiteral("W"));
    QVERIFY(widget);
    const QString what = check.section(' ', 0, 0);
    const QString value = check.section(' ', 1);
    const QColor windowColor = widget->palette().color(QPalette::Window);
    if (what == QLatin1String("fixed")) {
        QCOMPARE(widget->minimumSize(), widget->maximumSize());
        QCOMPARE(QStringLiteral("%1x%2").arg(widget->minimumWidth()).arg(widget->minimumHeight()), value);
    } else if (what == QLatin1String("free")) {
        QCOMPARE(widget->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    } else if (what == QLatin1String("width")) {
        QCOMPARE(widget->minimumWidth(), 120);
        QCOMPARE(widget->maximumWidth(), 120);
        QCOMPARE(widget->maximumHeight(), QWIDGETSIZE_MAX);
    } else if (what == QLatin1String("policy")) {
        QCOMPARE(widget->sizePolicy().horizontalPolicy(),
                 value == QLatin1String("expanding") ? QSizePolicy::Expanding : QSizePolicy::Fixed);
    } else if (what == QLatin1String("at")) {
        QCOMPARE(QStringLiteral("%1,%2").arg(widget->x()).arg(widget->y()), value);
    } else if (what == QLatin1String("color")) {
        // A check box shows the colour as its text colour.
        if (value != QLatin1String("invalid"))
            QCOMPARE(widget->palette().color(QPalette::WindowText), QColor(10, 20, 30, 40));
    } else if (what == QLatin1String("sheet")) {
        QCOMPARE(widget->styleSheet(), value);
    } else if (what == QLatin1String("shown")) {
        QVERIFY(!widget->isHidden());
    } else if (what == QLatin1String("hidden")) {
        QVERIFY(widget->isHidden());
    } else if (what == QLatin1String("takes")) {
        QVERIFY(!widget->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(elementPropertyOf(widget, "my_readonly").toString(), QStringLiteral("0"));
    } else if (what == QLatin1String("no")) {
        QVERIFY(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    } else if (what == QLatin1String("disabled")) {
        QVERIFY(!widget->isEnabled());
    } else if (what == QLatin1String("window")) {
        QVERIFY(widget->autoFillBackground());
        QCOMPARE(QStringLiteral("%1,%2,%3,%4").arg(windowColor.red()).arg(windowColor.green())
                     .arg(windowColor.blue()).arg(windowColor.alpha()),
                 value);
    } else if (what == QLatin1String("image")) {
        QCOMPARE(elementPropertyOf(widget, "image").toString(), value);
    } else if (what == QLatin1String("properties")) {
        QCOMPARE(elementPropertyOf(widget, "tooltip").toString(), QStringLiteral("tip"));
        QCOMPARE(elementPropertyOf(widget, "unit").toString(), QStringLiteral("mV"));
        QCOMPARE(elementPropertyOf(widget, "expand").toString(), QStringLiteral("1"));
        QCOMPARE(elementPropertyOf(widget, "my_font").toString(), QStringLiteral("Sans,11"));
        QCOMPARE(widget->font().pointSize(), 11);
    } else {
        QFAIL("unknown check");
    }
    if (warning.isEmpty())
        QCOMPARE(console(), QString());
    else
        QCOMPARE(console().count(QStringLiteral("XML Warning: ") + warning + QStringLiteral(" W")), 1);
}

// The common attributes whose effect depends on the kind: readonly, color,
// a child's stretch and the setDef shortcuts.
void TestPanelReader::commonAttributesByKind_data()
{
    QTest::addColumn<QByteArray>("elements");
    QTest::addColumn<QString>("check");

    for (const char *kind : {"checkbox", "combo", "spinbox", "hexspinbox", "doublespinbox"}) {
        QTest::addRow("readonly %s", kind)
            << QByteArray("<") + kind + " define=\"W\" readonly=\"1\"/>" << "no input";
    }
    QTest::newRow("readonly edit") << QByteArray("<edit define=\"W\" readonly=\"1\"/>") << "read-only line";
    QTest::newRow("readonly editbox") << QByteArray("<editbox define=\"W\" readonly=\"1\"/>") << "read-only text";
    for (const char *kind : {"slider", "knob", "togglebutton"}) {
        QTest::addRow("readonly %s", kind)
            << QByteArray("<") + kind + " define=\"W\" readonly=\"1\"/>" << "takes input";
    }

    QTest::newRow("color plot") << QByteArray("<plot define=\"W\" color=\"1;2;3\"/>") << "canvas";
    QTest::newRow("color knob") << QByteArray("<knob define=\"W\" color=\"1;2;3\"/>") << "role button";
    QTest::newRow("color slider") << QByteArray("<slider define=\"W\" color=\"1;2;3\"/>") << "role own";
    QTest::newRow("color checkbox") << QByteArray("<checkbox define=\"W\" color=\"1;2;3\"/>") << "role text";
    QTest::newRow("color spinbox") << QByteArray("<spinbox define=\"W\" color=\"1;2;3\"/>") << "role base";
    QTest::newRow("color combo") << QByteArray("<combo define=\"W\" color=\"1;2;3\"/>") << "role base sheet";
    QTest::newRow("color togglebutton") << QByteArray("<togglebutton define=\"W\" color=\"1;2;3\"/>")
                                        << "button sheet";

    QTest::newRow("stretch in vertical")
        << QByteArray("<checkbox define=\"A\"/><checkbox define=\"W\" stretch=\"\"/>") << "stretch 1";
    QTest::newRow("stretch in horizontal")
        << QByteArray("<horizontalcontainer><checkbox define=\"A\"/><checkbox define=\"B\"/>"
                      "<spinbox define=\"W\" stretch=\"0\"/></horizontalcontainer>")
        << "stretch 2";
    QTest::newRow("stretch in group")
        << QByteArray("<groupcontainer><checkbox define=\"A\"/><checkbox define=\"W\" stretch=\"1\"/>"
                      "</groupcontainer>")
        << "no stretch";
    QTest::newRow("stretch of a container")
        << QByteArray("<checkbox define=\"W\"/><groupcontainer stretch=\"0\"/>") << "no stretch";

    QTest::newRow("setDef togglebutton")
        << QByteArray("<togglebutton define=\"W\" setDef=\"X=1\" setDefInv=\"X=0\"/>") << "no setdef";
    QTest::newRow("setDefInv combo")
        << QByteArray("<spinbox define=\"X\"/><combo define=\"W\" setDef=\"X=1\" setDefInv=\"X=0\">"
                      "<item label=\"a\" value=\"0\"/></combo>")
        << "setdef only";
}

void TestPanelReader::commonAttributesByKind()
{
    QFETCH(QByteArray, elements);
    QFETCH(QString, check);

    QVERIFY(read(verticalPanelText(elements)).ok);
    QWidget *widget = find<QWidget>(QStringLiteral("W"));
    QVERIFY(widget);
    const QColor colour(1, 2, 3);
    const auto inAllGroups = [&](QPalette::ColorRole role) {
        for (int group = 0; group < QPalette::NColorGroups; ++group) {
            if (widget->palette().color(QPalette::ColorGroup(group), role) != colour)
                return false;
        }
        return true;
    };
    if (check == QLatin1String("no input")) {
        QVERIFY(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    } else if (check == QLatin1String("takes input")) {
        QVERIFY(!widget->testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(widget->focusPolicy() != Qt::NoFocus);
        QCOMPARE(elementPropertyOf(widget, "my_readonly").toString(), QStringLiteral("1"));
    } else if (check == QLatin1String("read-only line")) {
        QVERIFY(qobject_cast<QLineEdit *>(widget)->isReadOnly());
        QVERIFY(!widget->testAttribute(Qt::WA_TransparentForMouseEvents));
    } else if (check == QLatin1String("read-only text")) {
        QVERIFY(qobject_cast<QTextEdit *>(widget)->isReadOnly());
        QVERIFY(!widget->testAttribute(Qt::WA_TransparentForMouseEvents));
    } else if (check == QLatin1String("canvas")) {
        QCOMPARE(qobject_cast<QwtPlot *>(widget)->canvasBackground().color(), colour);
        QVERIFY(!widget->autoFillBackground());
    } else if (check.startsWith(QLatin1String("role "))) {
        QVERIFY(widget->autoFillBackground());
        const QString role = check.section(' ', 1, 1);
        if (role == QLatin1String("button"))
            QVERIFY(inAllGroups(QPalette::Button));
        else if (role == QLatin1String("own"))
            QVERIFY(inAllGroups(widget->backgroundRole()));
        else if (role == QLatin1String("text"))
            QVERIFY(inAllGroups(QPalette::WindowText));
        else
            QVERIFY(inAllGroups(QPalette::Base));
        QCOMPARE(widget->styleSheet(), check.endsWith(QLatin1String(" sheet"))
                                           ? QStringLiteral("background-color: rgb(1,2,3);")
                                           : QString());
    } else if (check == QLatin1String("button sheet")) {
        // A toggle button's own checked look follows.
        QVERIFY(widget->styleSheet().startsWith(QStringLiteral("QPushButton{background-color: rgb(1,2,3);}"
                                                               "QPushButton:checked{background-color: rgb(1,2,3);}")));
    } else if (check.startsWith(QLatin1String("stretch")) || check == QLatin1String("no stretch")) {
        // The box ends with a stretch whose factor is the element's place in it.
        auto *box = qobject_cast<QBoxLayout *>(widget->parentWidget()->layout());
        QVERIFY(box);
        QLayoutItem *last = box->itemAt(box->count() - 1);
        if (check == QLatin1String("no stretch")) {
            QVERIFY(!last->spacerItem());
        } else {
            QVERIFY(last->spacerItem());
            QCOMPARE(box->stretch(box->count() - 1), check.section(' ', 1).toInt());
        }
    } else if (check == QLatin1String("no setdef")) {
        QVERIFY(!elementPropertyOf(widget, "default_setdef").isValid());
        QVERIFY(!elementPropertyOf(widget, "default_setdefinv").isValid());
    } else if (check == QLatin1String("setdef only")) {
        QCOMPARE(elementPropertyOf(widget, "default_setdef").toStringList(), QStringList{"X=1"});
        QVERIFY(!elementPropertyOf(widget, "default_setdefinv").isValid());
    } else {
        QFAIL("unknown check");
    }
    QCOMPARE(console(), QString());
}

// ---------------------------------------------------------------------------
// Defines, actions, locks

void TestPanelReader::duplicateDefines()
{
    QVERIFY(read(verticalPanelText("<checkbox define=\"TWICE\"/><spinbox define=\"TWICE\"/>"
                                   "<button define=\"BTN\"/><checkbox define=\"BTN\"/>"
                                   "<checkbox/><checkbox/>"))
                .ok);
    QCOMPARE(console().count(QStringLiteral("XML Error: Duplicate define TWICE")), 1);
    QCOMPARE(console().count(QStringLiteral("XML Error: Duplicate define PushButton BTN")), 1);
    QCOMPARE(console().count(QStringLiteral("Duplicate define")), 2);
    // The second value element under a define replaces the first.
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("TWICE")),
             dynamic_cast<ActiveElement *>(find<SpinBox>(QStringLiteral("TWICE"))));
    // Looking up a define never enters it.
    QVERIFY(!fx->panel.registries().elementsByDefine.contains(QString()));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("NOWHERE")));
    QVERIFY(!fx->panel.registries().elementsByDefine.contains(QStringLiteral("NOWHERE")));
}

void TestPanelReader::defineBinding()
{
    write("board.svd", "<device/>");
    QVERIFY(read(signedPanelText("<svd file=\"board.svd\"/><verticalcontainer><groupcontainer>"
                                 "<checkbox define=\"A\" default=\"1\" setDef=\"\" setdef=\"X=1;Y=2\""
                                 " setDefInv=\"X=0\" confirmation=\"Sure?\" svd=\"0\"/>"
                                 "<spinbox define=\"B\" setDef=\"X=1\" enabled=\"0\"/>"
                                 "<checkbox define=\"C\" enabled=\"7\"/>"
                                 "</groupcontainer></verticalcontainer>"))
                .ok);
    ActiveElement *a = fx->panel.getActiveElement(QStringLiteral("A"));
    QCOMPARE(a->elementProperty("my_default").toString(), QStringLiteral("1"));
    QCOMPARE(a->elementProperty("default_setdef").toStringList(), QStringList({"X=1", "Y=2"}));
    QCOMPARE(a->elementProperty("default_setdefinv").toStringList(), QStringList({"X=0"}));
    QCOMPARE(a->elementProperty("confirmation").toString(), QStringLiteral("Sure?"));
    QVERIFY(!a->elementProperty("svd").isValid());
    QCOMPARE(a->elementProperty("my_svd").toString(), QStringLiteral("0"));
    auto *boxA = find<CheckBox>(QStringLiteral("A"));
    QVERIFY(takeConnection(signalsOf(boxA), &ElementSignals::checked_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(takeConnection(signalsOf(boxA), &ElementSignals::unchecked_setDef, &fx->panel, &Panel::setDef));

    ActiveElement *b = fx->panel.getActiveElement(QStringLiteral("B"));
    QCOMPARE(b->elementProperty("svd").toString(), QStringLiteral("board.svd"));
    // setDef lists belong to check and combo boxes only.
    QVERIFY(!b->elementProperty("default_setdef").isValid());
    QVERIFY(!find<SpinBox>(QStringLiteral("B"))->isEnabled());
    QVERIFY(find<CheckBox>(QStringLiteral("C"))->isEnabled());

    // Each element knows its containers, outermost first.
    const QList<Container *> chain = a->containers();
    QCOMPARE(chain.size(), 2);
    QCOMPARE(chain.at(0)->name(), QStringLiteral("VERT_ROOT"));
    QVERIFY(chain.at(1)->name().startsWith(QStringLiteral("GROUP_")));
    QCOMPARE(fx->panel.getAllElements().size(), 3);
}

void TestPanelReader::actionsAreRecordedInData()
{
    const ReadOutcome outcome = read(verticalPanelText(
        "<checkbox define=\"A\">"
        "<action event=\"checked\" cmd=\"setdef\" cond=\"B==1\" data=\"X=1\"/>"
        "<note><action event=\"checked\" cmd=\"setDef\" data=\"hidden\"/></note>"
        "<action event=\"unchecked\" cmd=\"sendUSB\" data=\"1;2\"/>"
        "</checkbox>"
        "<spinbox define=\"S\"><action event=\"changed\" cmd=\"runScript\" data=\"x\"/></spinbox>"));
    QVERIFY(outcome.ok);
    QVERIFY(outcome.usesTyk);
    const QVariantMap data = elementPropertyOf(find<CheckBox>(QStringLiteral("A")), "data").toMap();
    QCOMPARE(data.keys(), QStringList{"0"});
    QCOMPARE(data.value("0").toStringList(),
             QStringList({"checked_setDef", "B==1", "X=1", "unchecked_sendUSB", "", "1;2", "", ""}));
    // Read back the way the element reads it.
    const QList<ElementAction> actions = readElementActions(data, QStringLiteral("0"));
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.at(1).kind, QStringLiteral("sendUSB"));

    auto *box = find<CheckBox>(QStringLiteral("A"));
    QVERIFY(takeConnection(signalsOf(box), &ElementSignals::checked_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(takeConnection(signalsOf(box), &ElementSignals::unchecked_sendUSB, &fx->panel, &Panel::sendUSB));
    QVERIFY(takeConnection(signalsOf(box), &ElementSignals::unchecked_recData, &fx->panel, &Panel::recData));
    QVERIFY(takeConnection(signalsOf(find<SpinBox>(QStringLiteral("S"))), &ElementSignals::changed_runScript, &fx->panel, &Panel::runScript));
    QCOMPARE(console(), QString());

    QVERIFY(!read(verticalPanelText("<checkbox define=\"A\"/>")).usesTyk);
}

void TestPanelReader::actionMessages_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("data");

    QTest::newRow("event the class does not raise")
        << QByteArray("<checkbox define=\"E\"><action event=\"clicked\" cmd=\"setDef\" data=\"d\"/></checkbox>")
        << "XML Warning: Can't use event \"clicked\" in UI element \"CheckBox\" E"
        << QStringList{"clicked_setDef", "", "d"};
    QTest::newRow("unknown event is still recorded")
        << QByteArray("<spinbox define=\"E\"><action event=\"moved\" cmd=\"setDef\"/></spinbox>")
        << "XML Warning: Unknown event \"moved\"in action: E" << QStringList{"moved_setDef", "", ""};
    QTest::newRow("unknown event sending keeps five entries")
        << QByteArray("<checkbox define=\"E\"><action event=\"moved\" cmd=\"sendUSB\" data=\"1\" delay=\"5\"/></checkbox>")
        << "XML Warning: Unknown event \"moved\"in action: E" << QStringList{"moved_sendUSB", "", "1", "", "5"};
    QTest::newRow("event with underscore is not recorded")
        << QByteArray("<checkbox define=\"E\"><action event=\"a_b\" cmd=\"setDef\"/></checkbox>")
        << "XML Warning: Unknown event \"a_b\"in action: E" << QStringList();
    QTest::newRow("other capitalisation of setdef")
        << QByteArray("<checkbox define=\"E\"><action event=\"checked\" cmd=\"SetDef\"/></checkbox>")
        << "XML Warning: Unknown command \"SetDef\"in action: E" << QStringList();
    QTest::newRow("action without cmd")
        << QByteArray("<checkbox define=\"E\"><action event=\"checked\"/></checkbox>")
        << "XML Warning: Unknown command \"\"in action: E" << QStringList();
    QTest::newRow("push buttons take clicked, pressed and released")
        << QByteArray("<button define=\"E\"><action event=\"released\" cmd=\"loadFile\" data=\"f\"/></button>")
        << "" << QStringList{"released_loadFile", "", "f"};
    QTest::newRow("radio groups take selected")
        << QByteArray("<radio define=\"E\"><radiobutton><action event=\"checked\" cmd=\"setDef\"/></radiobutton></radio>")
        << "XML Warning: Can't use event \"checked\" in UI element \"Radio\" E"
        << QStringList{"checked_setDef", "", ""};
}

void TestPanelReader::actionMessages()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, message);
    QFETCH(QStringList, data);

    QVERIFY(read(verticalPanelText(element)).ok);
    if (message.isEmpty())
        QCOMPARE(console(), QString());
    else
        QCOMPARE(console().count(message), 1);
    QObject *object = find<QObject>(QStringLiteral("E"));
    if (!object)
        object = fx->panel.registries().pushButtonsByName.value(QStringLiteral("E"));
    QVERIFY(object);
    QCOMPARE(elementPropertyOf(object, "data").toMap().value(QStringLiteral("0")).toStringList(), data);
}

void TestPanelReader::lockConditionsAreStoredUnparsed()
{
    QVERIFY(read(verticalPanelText("<checkbox define=\"L\" lockon=\"A=1;B.index=2;\" lockinverted=\"1\"/>"
                                   "<checkbox define=\"FREE\"/>"
                                   "<radio define=\"R\" lockon=\"A=1\">"
                                   "<radiobutton label=\"a\" lockon=\"A=0\"/><radiobutton label=\"b\"/>"
                                   "<radiobutton label=\"c\" lockon=\"B=1;C=2\"/></radio>"))
                .ok);
    auto *locked = find<CheckBox>(QStringLiteral("L"));
    QCOMPARE(elementPropertyOf(locked, "locks").toMap().value("0").toStringList(), QStringList({"A=1", "B.index=2", ""}));
    QVERIFY(elementPropertyOf(locked, "lockinverted").toBool());
    QVERIFY(takeConnection(signalsOf(locked), &ElementSignals::sendLock, &fx->panel, &Panel::on_sendLock));
    QVERIFY(takeConnection(signalsOf(locked), &ElementSignals::sendUnlock, &fx->panel, &Panel::on_sendUnlock));

    auto *free = find<CheckBox>(QStringLiteral("FREE"));
    QVERIFY(!elementPropertyOf(free, "locks").isValid());
    QVERIFY(!takeConnection(signalsOf(free), &ElementSignals::sendLock, &fx->panel, &Panel::on_sendLock));

    // Radio buttons keep their conditions in the group, under their ids; the
    // group's own lockon is refused.
    auto *group = find<ButtonGroup>(QStringLiteral("R"));
    const QVariantMap locks = elementPropertyOf(group, "locks").toMap();
    QCOMPARE(locks.keys(), QStringList({"0", "2"}));
    QCOMPARE(locks.value("2").toStringList(), QStringList({"B=1", "C=2"}));
    QCOMPARE(console().count(QStringLiteral("XML Warning: \"lockon\" is not allowed for radio:")), 1);
}

// ---------------------------------------------------------------------------
// Buttons and branches

void TestPanelReader::pushButtons()
{
    QVERIFY(read(verticalPanelText("<button define=\"B0\" label=\"Zero\" enabled=\"0\" tooltip=\"Tip\">"
                                   "<action event=\"clicked\" cmd=\"resetGUI\"/></button>"
                                   "<button define=\"BF\" enabled=\"false\"/><button define=\"B5\" enabled=\"5\"/>"
                                   "<button label=\"No define\"/>"))
                .ok);
    PushButton *zero = fx->panel.registries().pushButtonsByName.value(QStringLiteral("B0"));
    QVERIFY(zero);
    QCOMPARE(zero->text(), QStringLiteral("Zero"));
    QVERIFY(!zero->isEnabled());
    QCOMPARE(toolTipShown(zero), QStringLiteral("Tip"));
    QCOMPARE(zero->styleSheet(),
             QStringLiteral("QPushButton{ border: 1px solid gray; height: 22px; background: palette(button);}"));
    QCOMPARE(elementPropertyOf(zero, "data").toMap().value("0").toStringList(), QStringList({"clicked_resetGUI", "", ""}));
    QVERIFY(!fx->panel.registries().pushButtonsByName.value(QStringLiteral("BF"))->isEnabled());
    QVERIFY(fx->panel.registries().pushButtonsByName.value(QStringLiteral("B5"))->isEnabled());
    // A button without define is kept under the name it made for itself
    // (its caption and a number); it has no value.
    QVERIFY(!fx->panel.registries().pushButtonsByName.contains(QString()));
    QCOMPARE(fx->panel.registries().pushButtonsByName.size(), 4);
    const QStringList names = fx->panel.registries().pushButtonsByName.keys().filter(QStringLiteral("No define_"));
    QCOMPARE(names.size(), 1);
    QCOMPARE(fx->panel.registries().pushButtonsByName.value(names.first())->objectName(), names.first());
    QVERIFY(fx->panel.registries().elementsByDefine.isEmpty());
    QCOMPARE(console(), QString());
}

void TestPanelReader::checkBoxes()
{
    QVERIFY(read(verticalPanelText("<checkbox define=\"INV\" label=\"Inverted\" role=\"inverted\" lockinverted=\"2\"/>"
                                   "<checkbox define=\"PLAIN\" role=\"Inverted\"/><checkbox label=\"Nameless\"/>"))
                .ok);
    auto *inverted = find<CheckBox>(QStringLiteral("INV"));
    QCOMPARE(inverted->text(), QStringLiteral("Inverted"));
    QVERIFY(elementPropertyOf(inverted, "inverted").toBool());
    QVERIFY(!elementPropertyOf(inverted, "lockinverted").toBool());
    QVERIFY(!elementPropertyOf(inverted, "isRaised").toBool());
    QVERIFY(elementPropertyOf(inverted, "isRaised").isValid());
    QVERIFY(!elementPropertyOf(find<CheckBox>(QStringLiteral("PLAIN")), "inverted").toBool());
    QVERIFY(fx->panel.wiring().reportsChangedByUser(inverted));
    QVERIFY(fx->panel.wiring().runsRefresh(signalsOf(inverted), &Panel::on_updateLED));
    QCOMPARE(console().count(QStringLiteral("XML Error: Checkbox without define is not allowed:")), 1);
    QCOMPARE(root()->findChildren<CheckBox *>().size(), 3);
}

void TestPanelReader::radioGroups()
{
    QVERIFY(read(verticalPanelText("<radio define=\"MODE\" readonly=\"1\" default=\"b\">"
                                   "<radiobutton label=\"A\" value=\"a\"/>"
                                   "<radiobutton label=\"B\" value=\"b\" setDef=\"X=1\" setdef=\"Y=2;Z=3\" cond=\"Q\"/>"
                                   "<radiobutton label=\"C\"><action event=\"selected\" cmd=\"sendUSB\" data=\"7\"/></radiobutton>"
                                   "<radiobutton label=\"Skipped\" startcond=\"N==1\"/>"
                                   "</radio><radio/>"))
                .ok);
    auto *group = find<ButtonGroup>(QStringLiteral("MODE"));
    QVERIFY(group);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("MODE")), static_cast<ActiveElement *>(group));
    QCOMPARE(group->buttons().size(), 3);
    QCOMPARE(group->button(0)->property("userData").toString(), QStringLiteral("a"));
    QCOMPARE(group->button(2)->property("userData").toString(), QStringLiteral("2"));
    QCOMPARE(group->buttonForLabel(QStringLiteral("B")), group->button(1));
    for (QAbstractButton *button : group->buttons()) {
        QVERIFY(button->testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(!elementPropertyOf(button, "isRaised").toBool());
    }
    const QVariantMap data = elementPropertyOf(group, "data").toMap();
    // Each button's setDef and actions are filed under its own id.
    QCOMPARE(data.keys(), QStringList({"1", "2"}));
    QCOMPARE(data.value("1").toStringList(), QStringList({"selected_setDef", "Q", "Y=2;Z=3"}));
    QCOMPARE(data.value("2").toStringList(), QStringList({"selected_sendUSB", "", "7", "", ""}));
    QCOMPARE(group->button(1)->objectName(), QStringLiteral("MODEB"));
    QCOMPARE(group->elementProperty("my_default").toString(), QStringLiteral("b"));
    QVERIFY(takeConnection(signalsOf(group), &ElementSignals::selected_setDef, &fx->panel, &Panel::setDef));

    group->setValue(QStringLiteral("b"), KeywordValue);
    QCOMPARE(group->value(KeywordValue, 0), QStringLiteral("b"));
    QCOMPARE(group->value(KeywordLabel, 0), QStringLiteral("B"));
    QCOMPARE(console().count(QStringLiteral("XML Error: Radio without define is not allowed:")), 1);
}

void TestPanelReader::radioButtonMisplaced()
{
    QVERIFY(read(verticalPanelText("<radiobutton label=\"lonely\"/>"
                                   "<radio define=\"R\"><tabcontainer><verticalcontainer>"
                                   "<radiobutton label=\"in a tab page\"/></verticalcontainer></tabcontainer>"
                                   "<groupcontainer><radiobutton label=\"in a group\"/></groupcontainer></radio>"))
                .ok);
    QCOMPARE(console().count(QStringLiteral("Found <radiobutton> element that's not within a <radio> element")), 2);
    QCOMPARE(root()->findChildren<QRadioButton *>().size(), 1);
    QCOMPARE(find<ButtonGroup>(QStringLiteral("R"))->buttons().size(), 1);
}

void TestPanelReader::radioButtonsRunTheirOwnActions()
{
    QVERIFY(read(verticalPanelText("<radio define=\"R\">"
                                   "<radiobutton label=\"a\" setdef=\"X=1\"/>"
                                   "<radiobutton label=\"b\" setdef=\"X=2\">"
                                   "<action event=\"unselected\" cmd=\"setdef\" data=\"Y=0\"/></radiobutton>"
                                   "</radio>"))
                .ok);
    auto *group = find<ButtonGroup>(QStringLiteral("R"));
    QSignalSpy setDefs(signalsOf(group), &ElementSignals::selected_setDef);
    QSignalSpy unselected(signalsOf(group), &ElementSignals::unselected_setDef);
    group->initialize();
    group->loadValue(QStringLiteral("0"));
    group->button(1)->click();
    QCOMPARE(setDefs.count(), 1);
    QCOMPARE(setDefs.first().first().toString(), QStringLiteral("X=2"));
    group->button(0)->click();
    QCOMPARE(setDefs.last().first().toString(), QStringLiteral("X=1"));
    QCOMPARE(unselected.count(), 1);
    QCOMPARE(unselected.first().first().toString(), QStringLiteral("Y=0"));
}

void TestPanelReader::treeBranches()
{
    QVERIFY(read(verticalPanelText("<treecontainer>"
                                   "<checkbox uielement=\"branch\" define=\"OUTER\" label=\"Outer\" expand=\"1\">"
                                   "<checkbox uielement=\"branch\" label=\"Nameless 1\"/>"
                                   "<checkbox uielement=\"branch\" label=\"Nameless 2\" expand=\"yes\"><checkbox define=\"LEAF\"/></checkbox>"
                                   "</checkbox>"
                                   "<togglebutton uielement=\"branch\" define=\"TOGGLE\" lockon=\"A=1\"/>"
                                   "<radio define=\"R\"><radiobutton uielement=\"branch\" label=\"One\" value=\"1\"/></radio>"
                                   "<branch label=\"Plain\"><spinbox define=\"IN_PLAIN\"/></branch>"
                                   "</treecontainer>"
                                   "<checkbox uielement=\"branch\" define=\"OUTSIDE\"/>"))
                .ok);
    QTreeWidget *view = root()->findChild<TreeWidget *>()->view();
    QCOMPARE(view->topLevelItemCount(), 4);
    auto *outer = dynamic_cast<TreeWidgetItem *>(view->topLevelItem(0));
    QCOMPARE(outer->name(), QStringLiteral("OUTER"));
    QCOMPARE(outer->text(0), QStringLiteral("Outer"));
    QVERIFY(outer->isExpanded());
    QCOMPARE(view->itemWidget(outer, 1), find<CheckBox>(QStringLiteral("OUTER")));
    QCOMPARE(outer->childCount(), 2);
    auto *first = dynamic_cast<TreeWidgetItem *>(outer->child(0));
    auto *second = dynamic_cast<TreeWidgetItem *>(outer->child(1));
    const int n = first->name().mid(7).toInt();
    QVERIFY(first->name().startsWith(QStringLiteral("BRANCH_")));
    QCOMPARE(second->name(), QStringLiteral("BRANCH_%1").arg(n + 1));
    QVERIFY(!second->isExpanded());
    QCOMPARE(second->childCount(), 1);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("LEAF")));

    auto *toggle = view->itemWidget(view->topLevelItem(1), 1);
    QCOMPARE(toggle->objectName(), QStringLiteral("TOGGLE"));
    QCOMPARE(elementPropertyOf(toggle, "locks").toMap().value("0").toStringList(), QStringList{"A=1"});
    auto *radio = qobject_cast<QRadioButton *>(view->itemWidget(view->topLevelItem(2), 1));
    QVERIFY(radio);
    QCOMPARE(radio->group(), find<ButtonGroup>(QStringLiteral("R")));
    QCOMPARE(radio->property("userData").toString(), QStringLiteral("1"));
    QCOMPARE(view->topLevelItem(3)->childCount(), 1);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("IN_PLAIN")));

    // A branch needs a tree: nothing is built or registered for it.
    QCOMPARE(console().count(QStringLiteral("XML Warning: Branch outside a tree container is not read: OUTSIDE")), 1);
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("OUTSIDE")));
}

// A container in a tree row joins its row once it is built: titled by its
// label, hidden when it says so (until the view shows its row), and laid out
// when its tree is shown, also on a tab page that was behind another while
// the panel was read.
void TestPanelReader::treeRowContainersAreCompleteAndLaidOutWhenShown()
{
    QVERIFY(read(verticalPanelText(
                     "<tabcontainer>"
                     "<treecontainer label=\"Front\" headerlabels=\"A;B\">"
                     "<horizontalcontainer label=\"Shown\"><text label=\"front caption\"/>"
                     "<spinbox define=\"FRONT_VALUE\"/></horizontalcontainer>"
                     "</treecontainer>"
                     "<treecontainer label=\"Back\" headerlabels=\"A;B\"><branch label=\"Register\">"
                     "<horizontalcontainer label=\"Field\"><text label=\"back caption\"/>"
                     "<spinbox define=\"BACK_VALUE\"/></horizontalcontainer>"
                     "<horizontalcontainer label=\"Gone\" visible=\"false\"><text label=\"gone\"/></horizontalcontainer>"
                     "</branch></treecontainer>"
                     "</tabcontainer>"))
                .ok);
    auto *tabs = root()->findChild<TabWidget *>();
    QCOMPARE(tabs->count(), 2);
    QTreeWidget *front = qobject_cast<TreeWidget *>(tabs->widget(0))->view();
    QTreeWidget *back = qobject_cast<TreeWidget *>(tabs->widget(1))->view();
    auto *frontSpin = find<SpinBox>(QStringLiteral("FRONT_VALUE"));
    auto *backSpin = find<SpinBox>(QStringLiteral("BACK_VALUE"));
    QVERIFY(frontSpin && backSpin);
    QTreeWidgetItem *shownRow = front->topLevelItem(0);
    QCOMPARE(shownRow->text(0), QStringLiteral("Shown"));
    QCOMPARE(front->itemWidget(shownRow, 1), frontSpin->parentWidget());
    QTreeWidgetItem *registerRow = back->topLevelItem(0);
    QCOMPARE(registerRow->childCount(), 2);
    QCOMPARE(registerRow->child(0)->text(0), QStringLiteral("Field"));
    QCOMPARE(back->itemWidget(registerRow->child(0), 1), backSpin->parentWidget());
    QCOMPARE(registerRow->child(1)->text(0), QStringLiteral("Gone"));
    QWidget *gone = back->itemWidget(registerRow->child(1), 1);
    QVERIFY(gone && gone->isHidden());

    QWidget *window = root()->window();
    window->resize(800, 600);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const auto apart = [](QWidget *spin) {
        const QWidget *text = spin->parentWidget()->findChild<Text *>();
        return text && !text->geometry().isEmpty() && !spin->geometry().isEmpty()
            && !text->geometry().intersects(spin->geometry())
            && spin->parentWidget()->rect().contains(spin->geometry());
    };
    QTRY_VERIFY(apart(frontSpin));

    tabs->setCurrentIndex(1);
    registerRow->setExpanded(true);
    QTRY_VERIFY(backSpin->isVisible());
    QTRY_VERIFY(apart(backSpin));
}

// ---------------------------------------------------------------------------
// Combo boxes

void TestPanelReader::comboBoxes()
{
    QVERIFY(read(verticalPanelText("<combo define=\"MODE\" label=\"Mode\" default=\"label=B\" setdef=\"S=1\" lockon=\"A=1\">"
                                   "<item label=\"A\"/><other><item label=\"nested\"/></other><item label=\"B\"/></combo>"
                                   "<combo label=\"Nameless\"/>"))
                .ok);
    auto *combo = find<ComboBox>(QStringLiteral("MODE"));
    QVERIFY(combo);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("MODE")), static_cast<ActiveElement *>(combo));
    QCOMPARE(combo->host(), static_cast<ElementHost *>(&fx->panel));
    QCOMPARE(combo->count(), 2); // children other than items are skipped whole
    QCOMPARE(combo->elementProperty("my_default").toString(), QStringLiteral("label=B"));
    QCOMPARE(combo->elementProperty("default_setdef").toStringList(), QStringList{"S=1"});
    QVERIFY(combo->elementProperty("isRaised").isValid());
    QVERIFY(!combo->elementProperty("isRaised").toBool());
    QVERIFY(!combo->elementProperty("locks").isValid());
    QCOMPARE(console().count(QStringLiteral("XML Warning: \"lockon\" is not allowed for combobox:")), 1);
    QCOMPARE(console().count(QStringLiteral("XML Error: Combobox without define is not allowed:")), 1);
    QVERIFY(fx->panel.wiring().reportsChangedByUser(combo));
    QVERIFY(fx->panel.wiring().runsRefresh(signalsOf(combo), &Panel::on_updateLED));
    QVERIFY(takeConnection(signalsOf(combo), &ElementSignals::selected_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(!takeConnection(signalsOf(combo), &ElementSignals::sendLock, &fx->panel, &Panel::on_sendLock));
}

void TestPanelReader::comboItems()
{
    fx->options.defines = QStringLiteral("V=1");
    QVERIFY(read(verticalPanelText("<combo define=\"C\">"
                                   "<item label=\"X\"/>"
                                   "<item label=\"Dropped\" startcond=\"V==2\"><action event=\"selected\" cmd=\"setDef\" data=\"D=1\"/></item>"
                                   "<item hide=\"3\"/>"
                                   "<item label=\"Y\"/>"
                                   "<item label=\"Hex\" value=\"0x10\"/>"
                                   "<item label=\"Bin\" value=\"0b101\"/>"
                                   "<item label=\"Off\" override=\"7\"/>"
                                   "<item label=\"Fast\" overridevalue=\"FAST\" value=\"9\"/>"
                                   "<item label=\"Both\" override=\"A\" overridevalue=\"B\" hide=\"C\"/>"
                                   "<item label=\"Z\"/>"
                                   "</combo>"))
                .ok);
    auto *combo = find<ComboBox>(QStringLiteral("C"));
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i) + QLatin1Char('=') + combo->itemData(i).toString();
    // The hidden entry is not counted: automatic values stay without gaps.
    QCOMPARE(entries, QStringList({"X=0", "Y=1", "Hex=16", "Bin=5", "$$$OVERRIDE$$$7=4", "$$$OVERRIDE$$$FAST=9",
                                   "$$$OVERRIDE$$$A=6", "Z=7"}));
    QCOMPARE(combo->elementProperty("itemText").toStringList(),
             QStringList({"X#$#0", "$$$HIDE$$$3#$#1", "Y#$#1", "Hex#$#16", "Bin#$#5", "$$$OVERRIDE$$$7#$#4",
                          "$$$OVERRIDE$$$FAST#$#9", "$$$OVERRIDE$$$A#$#6", "Z#$#7"}));
    const QVariantMap overrides = combo->elementProperty("override").toMap();
    QCOMPARE(overrides.keys(), QStringList({"3", "7", "A", "FAST"}));
    QCOMPARE(overrides.value("3").toString(), QStringLiteral("$$$HIDE$$$"));
    QCOMPARE(overrides.value("7").toString(), QStringLiteral("Off"));
    QCOMPARE(overrides.value("FAST").toString(), QStringLiteral("Fast"));
    QCOMPARE(overrides.value("A").toString(), QStringLiteral("Both"));
    QVERIFY(!combo->elementProperty("data").isValid()); // the dropped item's action went with it
}

void TestPanelReader::comboItemSetDefsLocksAndActions()
{
    QVERIFY(read(verticalPanelText("<combo define=\"C\">"
                                   "<item label=\"A\" setDef=\"X=1\" setdef=\"Y=2;Z=3\" cond=\"Q\" lockon=\"L=1;M=2\"/>"
                                   "<item label=\"B\" setDef=\"W=1\">"
                                   "<action event=\"unselected\" cmd=\"sendUSB\" data=\"5\" recdata=\"r\" delay=\"2\"/>"
                                   "<note/><action event=\"checked\" cmd=\"setDef\" data=\"N=1\"/></item>"
                                   "<item label=\"C\" lockon=\"L=0\"/>"
                                   "</combo>"))
                .ok);
    auto *combo = find<ComboBox>(QStringLiteral("C"));
    const QVariantMap data = combo->elementProperty("data").toMap();
    QCOMPARE(data.keys(), QStringList({"0", "1"}));
    QCOMPARE(data.value("0").toStringList(), QStringList({"selected_setDef", "Q", "Y=2;Z=3"}));
    QCOMPARE(data.value("1").toStringList(), QStringList({"selected_setDef", "", "W=1", "unselected_sendUSB", "",
                                                          "5", "r", "2", "checked_setDef", "", "N=1"}));
    const QVariantMap locks = combo->elementProperty("locks").toMap();
    QCOMPARE(locks.keys(), QStringList({"0", "2"}));
    QCOMPARE(locks.value("0").toStringList(), QStringList({"L=1", "M=2"}));
    QCOMPARE(locks.value("2").toStringList(), QStringList{"L=0"});
    QCOMPARE(console().count(QStringLiteral("XML Warning: Can't use event \"checked\" in UI element \"ComboBox\"")), 1);
    QVERIFY(takeConnection(signalsOf(combo), &ElementSignals::sendLock, &fx->panel, &Panel::on_sendLock));
    QVERIFY(takeConnection(signalsOf(combo), &ElementSignals::sendUnlock, &fx->panel, &Panel::on_sendUnlock));
    QVERIFY(takeConnection(signalsOf(combo), &ElementSignals::selected_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(takeConnection(signalsOf(combo), &ElementSignals::unselected_sendUSB, &fx->panel, &Panel::sendUSB));
}

void TestPanelReader::hiddenComboItemKeepsNothing()
{
    QVERIFY(read(verticalPanelText("<combo define=\"C\">"
                                   "<item hide=\"0\" setdef=\"X=1\" lockon=\"L=1\"><action event=\"selected\" cmd=\"setDef\" data=\"Y=1\"/></item>"
                                   "<item label=\"A\"/>"
                                   "<item hide=\"5\"><action event=\"selected\" cmd=\"setDef\" data=\"Z=1\"/></item>"
                                   "<item hide=\"6\"/>"
                                   "</combo>"))
                .ok);
    auto *combo = find<ComboBox>(QStringLiteral("C"));
    QCOMPARE(combo->count(), 1);
    // Neither under the key -1 nor under the entry before: a hidden item is never chosen.
    QVERIFY(!combo->elementProperty("data").isValid());
    QVERIFY(!combo->elementProperty("locks").isValid());
    QCOMPARE(console().count(QStringLiteral("XML Warning: setdef, lockon and actions of a hidden combobox item are not used: C")), 2);
}

void TestPanelReader::comboItemsRunTheirOwnActions()
{
    QVERIFY(read(verticalPanelText("<combo define=\"C\">"
                                   "<item label=\"A\" setdef=\"X=1\"/>"
                                   "<item label=\"B\" value=\"0x10\" setdef=\"X=2\" lockon=\"L=1\"/>"
                                   "</combo>"))
                .ok);
    auto *combo = find<ComboBox>(QStringLiteral("C"));
    QSignalSpy setDefs(signalsOf(combo), &ElementSignals::selected_setDef);
    QSignalSpy locks(signalsOf(combo), &ElementSignals::sendLock);
    combo->initialize();
    combo->setValue(QStringLiteral("16"), KeywordValue);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(setDefs.count(), 1);
    QCOMPARE(setDefs.first().first().toString(), QStringLiteral("X=2"));
    QCOMPARE(locks.count(), 1);
}

// ---------------------------------------------------------------------------
// Spin boxes

void TestPanelReader::spinBoxes_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("range");  // "min..max" of the widget afterwards
    QTest::addColumn<QString>("step");
    QTest::addColumn<QStringList>("console");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("default out of range")
        << QByteArray("<spinbox define=\"S\" range=\"0;100\" default=\"150\"/>") << "0..100" << "1" << QStringList()
        << QStringList{"Default value for S (150) is out of allowed range: 0..100"};
    QTest::newRow("hex bounds") << QByteArray("<spinbox define=\"S\" range=\"0x10;0x20\"/>") << "16..32" << "1"
                                << QStringList() << QStringList();
    QTest::newRow("one part only")
        << QByteArray("<spinbox define=\"S\" range=\"5\"/>") << "initial" << "1"
        << QStringList{"XML Error: max range in spinbox is not a valid number S", "XML Error: min > max in spinbox S"}
        << QStringList();
    QTest::newRow("text minimum") << QByteArray("<spinbox define=\"S\" range=\"abc;10\"/>") << "0..10" << "1"
                                  << QStringList{"XML Error: min range in spinbox is not a valid number S"}
                                  << QStringList();
    // A bound beyond int is clamped to the int range, not dropped to 0.
    QTest::newRow("bound beyond int") << QByteArray("<spinbox define=\"S\" range=\"0;0xFFFFFFFF\"/>")
                                      << "0..2147483647" << "1" << QStringList() << QStringList();
    QTest::newRow("hex default") << QByteArray("<spinbox define=\"S\" range=\"0;10\" default=\"0x1F\"/>") << "0..10"
                                 << "1" << QStringList()
                                 << QStringList{"Default value for S (31) is out of allowed range: 0..10"};
    QTest::newRow("fraction step") << QByteArray("<spinbox define=\"S\" step=\"0.5\"/>") << "" << "0"
                                   << QStringList{"XML Warning: \"step\" attribute invalid. S"} << QStringList();
    QTest::newRow("hex step") << QByteArray("<spinbox define=\"S\" step=\"0x10\"/>") << "" << "16" << QStringList()
                              << QStringList();
    QTest::newRow("hexspinbox range")
        << QByteArray("<hexspinbox define=\"S\" range=\"9;1\" default=\"3\"/>") << "initial" << "1"
        << QStringList{"XML Error: min > max in hexspinbox S"} << QStringList();
    QTest::newRow("hexspinbox without define")
        << QByteArray("<hexspinbox/>") << "" << "1"
        << QStringList{"XML Error: Hexspinbox without define is not allowed:"} << QStringList();
    QTest::newRow("double fraction step") << QByteArray("<doublespinbox define=\"S\" step=\"0.5\"/>") << ""
                                          << "0.5" << QStringList() << QStringList();
    QTest::newRow("double negative fraction is text")
        << QByteArray("<doublespinbox define=\"S\" range=\"-1.5;2\"/>") << "0..2" << "1"
        << QStringList{"XML Error: min range in doublespinbox is not a valid number S"} << QStringList();
    QTest::newRow("double default truncated in the message")
        << QByteArray("<doublespinbox define=\"S\" range=\"0.5;2.5\" default=\"3.7\"/>") << "0.5..2.5" << "1"
        << QStringList() << QStringList{"Default value for S (3) is out of allowed range: 0..2"};
    QTest::newRow("double step word")
        << QByteArray("<doublespinbox define=\"S\" step=\"fine\"/>") << "" << "0"
        << QStringList{"XML Warning: \"step\" attribute invalid. S"} << QStringList();
    QTest::newRow("spinbox without define")
        << QByteArray("<spinbox/>") << "" << "1"
        << QStringList{"XML Error: Spinbox without define is not allowed:"} << QStringList();
}

void TestPanelReader::spinBoxes()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, range);
    QFETCH(QString, step);
    QFETCH(QStringList, console);
    QFETCH(QStringList, reported);

    QVERIFY(read(verticalPanelText(element)).ok);
    QAbstractSpinBox *box = root()->findChild<QAbstractSpinBox *>();
    QVERIFY(box);
    if (range == QLatin1String("initial")) {
        // A failed range leaves the range a new spin box has.
        const SpinBox fresh(QStringLiteral("fresh"));
        range = QStringLiteral("%1..%2").arg(fresh.minimum()).arg(fresh.maximum());
    }
    if (auto *integer = qobject_cast<QSpinBox *>(box)) {
        if (!range.isEmpty())
            QCOMPARE(QStringLiteral("%1..%2").arg(integer->minimum()).arg(integer->maximum()), range);
        QCOMPARE(QString::number(integer->singleStep()), step);
    } else {
        auto *floating = qobject_cast<QDoubleSpinBox *>(box);
        if (!range.isEmpty())
            QCOMPARE(QStringLiteral("%1..%2").arg(floating->minimum()).arg(floating->maximum()), range);
        QCOMPARE(QString::number(floating->singleStep()), step);
    }
    QCOMPARE(elementPropertyOf(box, "isRaised"), QVariant(false));
    for (const QString &line : qAsConst(console))
        QVERIFY2(this->console().count(line) == 1, qPrintable(this->console()));
    QCOMPARE(this->console().count(QStringLiteral("XML ")), console.size());
    QCOMPARE(transcript(), reported);
}

// ---------------------------------------------------------------------------
// Includes

void TestPanelReader::placeholderSubstitution_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QByteArray("CH$port$_EN") << QByteArray("port=\"2\"") << QByteArray("CH2_EN");
    QTest::newRow("escaped value") << QByteArray("label=\"$l$\"") << QByteArray("l=\"a&lt;b&amp;&quot;c'\"")
                                   << QByteArray("label=\"a&lt;b&amp;&quot;c&apos;\"");
    QTest::newRow("later attribute replaces again") << QByteArray("$a$") << QByteArray("a=\"x$b$\" b=\"y\"")
                                                    << QByteArray("xy");
    QTest::newRow("earlier attribute does not") << QByteArray("$b$") << QByteArray("a=\"1\" b=\"$a$\"")
                                                << QByteArray("$a$");
    QTest::newRow("unknown name stays") << QByteArray("$c$") << QByteArray("a=\"1\"") << QByteArray("$c$");
    QTest::newRow("multibyte value") << QByteArray("$v$") << QByteArray("v=\"\xc3\xa4\"") << QByteArray("\xc3\xa4");
}

void TestPanelReader::placeholderSubstitution()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, attributes);
    QFETCH(QByteArray, expected);

    QXmlStreamReader reader("<include " + attributes + "/>");
    QVERIFY(reader.readNextStartElement());
    bool tooLarge = true;
    QCOMPARE(PanelXmlReader::substitutePlaceholders(text, reader.attributes(), &tooLarge), expected);
    QVERIFY(!tooLarge);
}

void TestPanelReader::includedFragmentsAndPanels()
{
    write("parts/channel.xml", "<groupcontainer label=\"$name$\">"
                               "<checkbox define=\"CH$port$_EN\" label=\"$name$\"/></groupcontainer>");
    write("parts/full.xml",
          signedPanelText("<version label=\"9.9\"/><loadsaveallowed value=\"0\"/><checkbox define=\"FULL\"/>"
                          "<svd file=\"nowhere.svd\"/>"));
    write("parts/stale.xml", signedPanelText("<checkbox define=\"STALE\"/>").replace("STALE\"", "STALE2\""));
    const ReadOutcome outcome = read(signedPanelText(
        "<version label=\"1.0\"/><verticalcontainer>"
        "<include port=\"2\" name=\"A&lt;B &amp; &quot;C&quot;\">parts/channel.xml</include>"
        "<header file=\"g.h\"><include>parts\\full.xml</include></header>"
        "<include>parts/stale.xml</include>"
        "<include startcond=\"X==1\" port=\"9\">parts/channel.xml</include>"
        "<checkbox define=\"AFTER\"/>"
        "</verticalcontainer>"));
    QVERIFY(outcome.ok);
    // A fragment is read to its end: no stream fault, nothing stopped early.
    QCOMPARE(outcome.stoppedEarly, QString());
    QVERIFY2(!console().contains(QStringLiteral("not well-formed")), qPrintable(console()));
    auto *channel = find<CheckBox>(QStringLiteral("CH2_EN"));
    QVERIFY(channel);
    QCOMPARE(channel->text(), QStringLiteral("A<B & \"C\""));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("CH9_EN")));
    // A complete panel keeps the enclosing header; its version does not stay.
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("FULL"))->header(), QStringLiteral("g.h"));
    QCOMPARE(fx->panel.header().xmlVersion, QStringLiteral("1.0"));
    QVERIFY(outcome.loadSaveAllowed);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("STALE2")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QCOMPARE(fx->panel.header().xmlFile, path("panel.xml"));
    QCOMPARE(transcript(), QStringList{QStringLiteral("File %1 has been manipulated\nDo not use it!")
                                           .arg(path("parts/stale.xml"))});
    // Messages raised inside an included file point into it.
    QCOMPARE(console().count(QStringLiteral("XML Warning: SVD file is missing.")), 1);
    QVERIFY(fx->consoleHtml().contains(
        PanelXmlReader::positionLink(path("parts/full.xml"), 0, 0).section(QStringLiteral("$-n"), 0, 0)));
}

void TestPanelReader::includePathsFromTheCommandLine()
{
    write("a/only_a.xml", "<checkbox define=\"IN_A\"/>");
    write("b/only_b.xml", "<checkbox define=\"IN_B\"/>");
    write("panels/main.xml", signedPanelText("<verticalcontainer>"
                                             "<include x=\"1\">only_b.xml</include>"
                                             "<include x=\"1\">only_a.xml</include></verticalcontainer>"));
    fx->options.includePaths = QStringLiteral("../a;") + path("b");
    QVERIFY(readFile(path("panels/main.xml")).ok);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("IN_A")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("IN_B")));
}

void TestPanelReader::includeFailuresFailTheReadWithoutReplacingThePanel_data()
{
    QTest::addColumn<QString>("included");
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<QByteArray>("includedText");
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("logged");

    // Each attribute multiplies the text by 64: 64^4 copies of "$e$" at the end.
    QByteArray bomb;
    const char names[] = "abcde";
    for (int i = 0; i < 4; ++i)
        bomb += QByteArray(" ") + names[i] + "=\"" + (QByteArray("$") + names[i + 1] + "$").repeated(64) + "\"";
    bomb += " e=\"0123456789\"";

    QTest::newRow("missing file") << "missing.xml" << QByteArray() << QByteArray()
                                  << "Cannot open file $PATH:\nNo such file or directory" << "";
    QTest::newRow("a directory") << "sub" << QByteArray() << QByteArray() << "Cannot open file $PATH:\nNot a regular file"
                                 << "";
    QTest::newRow("wrong root") << "wrong.xml" << QByteArray()
                                << signedPanelText("<checkbox define=\"W\"/>").replace("zelmlcfg", "other")
                                << "Error: Wrong version of Quillmate.\nwrong.xml requires minimum Quillmate 2.0.0\n"
                                   "Current version of Quillmate is $VERSION\n"
                                << "Error: Wrong Version of Quillmate.";
    QTest::newRow("broken before its root") << "broken.xml" << QByteArray() << QByteArray("<?xml version=\"1.0\"?><<")
                                            << "" << "Cannot read file $PATH:";
    QTest::newRow("includes itself") << "self.xml" << QByteArray(" k=\"1\"")
                                     << QByteArray("<include y=\"1\">self.xml</include>") << ""
                                     << "The file includes itself.";
    QTest::newRow("includes the panel") << "back.xml" << QByteArray(" k=\"1\"")
                                        << QByteArray("<include y=\"1\">panel.xml</include>") << ""
                                        << "The file includes itself.";
    QTest::newRow("placeholders beyond the size limit")
        << "bomb.xml" << bomb << QByteArray("<checkbox define=\"$a$\"/>") << ""
        << "Its placeholders make it larger than 16777216 bytes.";
}

void TestPanelReader::includeFailuresFailTheReadWithoutReplacingThePanel()
{
    QFETCH(QString, included);
    QFETCH(QByteArray, attributes);
    QFETCH(QByteArray, includedText);
    QFETCH(QString, reported);
    QFETCH(QString, logged);
    const QString includedPath = path(included);
    reported.replace(QStringLiteral("$PATH"), includedPath).replace(QStringLiteral("$VERSION"), programVersionShortText());
    logged.replace(QStringLiteral("$PATH"), includedPath);

    QDir(dir->path()).mkpath(QStringLiteral("sub"));
    if (!includedText.isEmpty())
        write(included, includedText);
    const ReadOutcome outcome = read(verticalPanelText("<checkbox define=\"BEFORE\"/><include" + attributes + ">" + included.toUtf8()
                                                       + "</include><checkbox define=\"AFTER\"/>"));
    QVERIFY(!outcome.ok);
    QCOMPARE(transcript(), reported.isEmpty() ? QStringList() : QStringList{reported});
    if (!logged.isEmpty())
        QVERIFY2(console().contains(logged), qPrintable(console()));
    // The read stops at the include; the panel built so far stays shown until
    // the caller falls back, and the panel names the panel file again.
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("BEFORE")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QCOMPARE(root()->objectName(), QStringLiteral("VERT_ROOT"));
    QCOMPARE(fx->panel.header().xmlFile, path("panel.xml"));
    QVERIFY(outcome.errorLink.contains(PanelXmlReader::positionLink(path("panel.xml"), 0, 0).section("$-n", 0, 0)));
}

void TestPanelReader::includeNestingLimit()
{
    // level_k.xml includes level_{k+1}.xml; the last one holds a check box.
    const auto writeChain = [this](int levels) {
        for (int k = 1; k <= levels; ++k) {
            const QByteArray next = k == levels ? QByteArray("<checkbox define=\"BOTTOM\"/>")
                                                : "<include n=\"1\">level_" + QByteArray::number(k + 1) + ".xml</include>";
            write(QStringLiteral("chain/level_%1.xml").arg(k), "<verticalcontainer>" + next + "</verticalcontainer>");
        }
    };
    writeChain(PanelXmlReader::maxIncludeDepth);
    write("chain/top.xml", verticalPanelText("<include n=\"1\">level_1.xml</include>"));
    QVERIFY(readFile(path("chain/top.xml")).ok);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("BOTTOM")));

    writeChain(PanelXmlReader::maxIncludeDepth + 1);
    QVERIFY(!readFile(path("chain/top.xml")).ok);
    QVERIFY(console().contains(QStringLiteral("Includes are nested deeper than 16 levels.")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("BOTTOM")));
}

void TestPanelReader::brokenIncludedFragmentKeepsTheRest()
{
    write("half.xml", "<groupcontainer><checkbox define=\"FIRST\"/><checkbox define=\"SECOND\"");
    write("v1.xml", signedPanelText("<checkbox define=\"OLD\"/>", QString(), "0.5"));
    QVERIFY(read(verticalPanelText("<include x=\"1\">half.xml</include><include>v1.xml</include>"
                                   "<checkbox define=\"AFTER\"/>"))
                .ok);
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("FIRST")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("SECOND")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("OLD")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QCOMPARE(console().count(QStringLiteral("XML Error: XML not well-formed:")), 1);
    QCOMPARE(transcript(), QStringList{"Error: The selected configuration is supported by Quillmate V1.x only.\n"
                                       "Please refer to the Orvanta homepage to download Quillmate V1.x."});
}

QTEST_MAIN(TestPanelReader)
#include "tst_panelreader.moc"
