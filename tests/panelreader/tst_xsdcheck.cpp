// The check against QLM.xsd: its console lines, and its verdicts next to
// xmllint's on the same schema and files (the examples, the home panel, the
// test fixtures, hand-broken panels and every element and attribute of the
// demo renamed once).
#include "errorreporter.h"
#include "panelxml.h"
#include "testenvironment.h"
#include "xsdcheck.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString schema = QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/QLM.xsd");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every element of the document in document order.
QList<QDomElement> allElements(const QDomDocument &document)
{
    QList<QDomElement> elements;
    QList<QDomElement> stack{document.documentElement()};
    while (!stack.isEmpty()) {
        const QDomElement element = stack.takeLast();
        elements.append(element);
        QList<QDomElement> children;
        for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
            children.prepend(child);
        stack.append(children);
    }
    return elements;
}

} // namespace

class TstXsdCheck : public QObject
{
    Q_OBJECT

public:
    TstXsdCheck()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_console << html; });
    }
    ~TstXsdCheck() override { ErrorReporter::instance().setConsoleSink(nullptr); }

private slots:
    void initTestCase();
    void validFileGivesThreeLines();
    void missingOrBrokenSchema();
    void invalidFileLine();
    void linkEscapesColonsAndOddFolders();
    void messagesArePlainText();
    void nothingOutsideTheFileIsRead();
    void agreesWithXmllint_data();
    void agreesWithXmllint();
    void renamedElementsAndAttributes();

private:
    bool check(const QString &path, const QString &schemaPath = schema);
    // xmllint's verdict: 0 valid, 3 invalid (other codes: not well-formed, unreadable).
    int xmllint(const QString &path, const QString &schemaPath = schema);

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QStringList m_console;
};

bool TstXsdCheck::check(const QString &path, const QString &schemaPath)
{
    m_console.clear();
    return checkPanelAgainstSchema(path, schemaPath);
}

int TstXsdCheck::xmllint(const QString &path, const QString &schemaPath)
{
    QProcess process;
    process.start(QStringLiteral("xmllint"), {"--noout", "--schema", schemaPath, path});
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitCode();
}

void TstXsdCheck::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty())
        QFAIL("xmllint (libxml2-utils) is needed for the cross-check");
    QCOMPARE(xmllint(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml")), 0);
}

void TstXsdCheck::validFileGivesThreeLines()
{
    const QString path = QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml");
    QVERIFY(check(path));
    QCOMPARE(m_console,
             QStringList({QStringLiteral("<font color=\"blue\">  <b>Starting xsd check:</b></font> File: %1<br>").arg(path),
                          QStringLiteral("<font color=\"green\"> <b>Document is valid.</b></font><br>"),
                          QStringLiteral("<font color=\"blue\"> <b>Finished xsd check.</b></font><br>")}));
}

void TstXsdCheck::missingOrBrokenSchema()
{
    const QString path = QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml");
    const QStringList expected{
        QStringLiteral("<font color=\"blue\">  <b>Starting xsd check:</b></font> File: %1<br>").arg(path),
        QStringLiteral("<font color=\"red\"> <b>XSD is not valid.</b></font> <br>")};
    QVERIFY(!check(path, m_dir.filePath(QStringLiteral("none/QLM.xsd"))));
    QCOMPARE(m_console, expected);

    const QString broken = writeTestFile(m_dir.filePath(QStringLiteral("broken/QLM.xsd")),
                                         "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element/>");
    QVERIFY(!check(path, broken));
    QCOMPARE(m_console, expected);
}

void TstXsdCheck::invalidFileLine()
{
    // Two findings (lines 5 and 6): the last one is shown.
    const QString path = writeTestFile(m_dir.filePath(QStringLiteral("bad.xml")),
                                       verticalPanelText(QStringLiteral("<checkbox define=\"A\" colour=\"red\"/>\n  <bogus/>")));
    QVERIFY(!check(path));
    QCOMPARE(m_console.size(), 3);
    // The engine's markup is gone: only the text of its message is left.
    static const QRegularExpression line(QStringLiteral(
        "^<font color=\"red\"> <b>xsd-ERROR: xml <a href=\"\\$xmlopen\\$(.*)\\$-n6\\$-c(\\d+)\">file</a> is invalid "
        "at line 6, column (\\d+)</b></font><b>: ([^<>]+)<br>$"));
    const QRegularExpressionMatch match = line.match(m_console.at(1));
    QVERIFY2(match.hasMatch(), qPrintable(m_console.at(1)));
    QCOMPARE(match.captured(2), match.captured(3));
    // The column lies on the element's start tag ("  <bogus/>").
    QVERIFY2(match.captured(3).toInt() >= 3 && match.captured(3).toInt() <= 10, qPrintable(match.captured(3)));
    QVERIFY2(match.captured(4).contains(QLatin1String("bogus")), qPrintable(match.captured(4)));
    QCOMPARE(m_console.at(2), QStringLiteral("<font color=\"blue\"> <b>Finished xsd check.</b></font><br>"));

    // Not well-formed and unreadable files fail the same way, the parser's
    // finding with its position.
    const QString cut = writeTestFile(m_dir.filePath(QStringLiteral("cut.xml")),
                                      "<zelmlcfg version=\"2.0.0\">\n<verticalcontainer>\n<checkbox define=\"A\">\n</zelmlcfg>\n");
    QVERIFY(!check(cut));
    QCOMPARE(m_console.size(), 3);
    QVERIFY2(m_console.at(1).contains(QLatin1String("xsd-ERROR: xml <a href=")), qPrintable(m_console.at(1)));
    QVERIFY2(m_console.at(1).contains(QLatin1String("is invalid at line 5, column 1</b>")), qPrintable(m_console.at(1)));
    QVERIFY(!check(m_dir.filePath(QStringLiteral("missing.xml"))));
    QVERIFY(m_console.at(1).contains(QLatin1String("xsd-ERROR")));
    QVERIFY(m_console.at(1).contains(QLatin1String("is invalid at line 0, column 0")));
    QCOMPARE(m_console.size(), 3);
}

void TstXsdCheck::linkEscapesColonsAndOddFolders()
{
    // A folder name with a colon (a drive letter elsewhere), a "#", a "%" and
    // blanks: the schema and the file still load, and the link carries the
    // colon escaped.
    const QString folder = m_dir.filePath(QStringLiteral("D:/odd #1 100%/"));
    const QString odd = writeTestFile(folder + QStringLiteral("QLM.xsd"), readAll(schema));
    QVERIFY(!odd.isEmpty());
    const QString valid = writeTestFile(folder + QStringLiteral("a.xml"), verticalPanelText(QStringLiteral("<text label=\"x\"/>")));
    QVERIFY(check(valid, odd));
    QVERIFY(m_console.at(1).contains(QLatin1String("Document is valid.")));

    const QString invalid = writeTestFile(folder + QStringLiteral("b.xml"), verticalPanelText(QStringLiteral("<nope/>")));
    QVERIFY(!check(invalid, odd));
    QString expectedPath = invalid;
    expectedPath.replace(QLatin1Char(':'), QLatin1String("$$$COLON$$$"));
    QVERIFY2(m_console.at(1).contains(QStringLiteral("<a href=\"$xmlopen$%1$-n5$-c").arg(expectedPath)),
             qPrintable(m_console.at(1)));
}

void TstXsdCheck::messagesArePlainText()
{
    // A value with markup in it is quoted in the message: the console shows
    // it as text, it adds no markup of its own.
    const QString path = writeTestFile(m_dir.filePath(QStringLiteral("markup.xml")),
                                       verticalPanelText(QStringLiteral("<checkbox define=\"A\" svd=\"&lt;i&gt;x&lt;/i&gt;\"/>")));
    QVERIFY(!check(path));
    QVERIFY2(m_console.at(1).contains(QLatin1String("&lt;i&gt;x&lt;/i&gt;")), qPrintable(m_console.at(1)));
    QVERIFY2(!m_console.at(1).contains(QLatin1String("<i>")), qPrintable(m_console.at(1)));
    QVERIFY2(!m_console.at(1).contains(QLatin1Char('\n')), qPrintable(m_console.at(1)));
}

void TstXsdCheck::nothingOutsideTheFileIsRead()
{
    // An external DTD on a local server and an external entity naming a file
    // whose content would make the panel invalid: neither is fetched. A panel
    // that only declares them is valid (as for xmllint), one that uses the
    // entities is refused, without the file's content. (xmllint itself would
    // fetch the entity from the server.)
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    writeTestFile(m_dir.filePath(QStringLiteral("entity/part.txt")), "<secretelement/>");
    const QByteArray doctype = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE zelmlcfg SYSTEM \"http://127.0.0.1:%1/panel.dtd\" [\n"
                                              "<!ENTITY part SYSTEM \"part.txt\">\n<!ENTITY far SYSTEM \"http://127.0.0.1:%1/far.xml\">\n]>\n")
                                   .arg(server.serverPort())
                                   .toUtf8();
    const QString declared = writeTestFile(m_dir.filePath(QStringLiteral("entity/declared.xml")),
                                           doctype + "<zelmlcfg version=\"2.0.0\"><verticalcontainer/></zelmlcfg>\n");
    const QString used = writeTestFile(m_dir.filePath(QStringLiteral("entity/used.xml")),
                                       doctype + "<zelmlcfg version=\"2.0.0\"><verticalcontainer>&part;&far;</verticalcontainer></zelmlcfg>\n");
    QVERIFY(check(declared));
    QCOMPARE(xmllint(declared), 0);
    QVERIFY(!check(used));
    QCOMPARE(m_console.size(), 3);
    QVERIFY2(m_console.at(1).contains(QLatin1String("line 6, column ")), qPrintable(m_console.at(1)));
    QVERIFY2(m_console.at(1).contains(QLatin1String("&amp;far;")), qPrintable(m_console.at(1)));
    QVERIFY2(!m_console.join(QString()).contains(QLatin1String("secretelement")), qPrintable(m_console.at(1)));
    QVERIFY(!server.waitForNewConnection(200));
}

void TstXsdCheck::agreesWithXmllint_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("valid");
    // Every panel among the examples, the home panel and the panels of the
    // test fixtures.
    QStringList panels{QStringLiteral("resources/scripts/index.xml"), QStringLiteral("tests/app/fixtures/project/panel.xml"),
                       QStringLiteral("tests/app/fixtures/project/novalues.xml")};
    const QDir examples(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples"));
    for (const QString &name : examples.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
        if (readAll(examples.filePath(name)).contains("<zelmlcfg"))
            panels.append(QStringLiteral("examples/") + name);
    }
    QVERIFY(panels.size() >= 5);
    for (const QString &name : qAsConst(panels))
        QTest::newRow(qPrintable(name)) << QStringLiteral(QUILLMATE_SOURCE_DIR "/") + name << true;

    const auto add = [this](const char *name, const QByteArray &text, bool valid) {
        QTest::newRow(name) << writeTestFile(m_dir.filePath(QLatin1String(name) + QStringLiteral(".xml")), text)
                            << valid;
    };
    // Every element kind the reader builds, each in a place it may stand.
    add("every element kind",
        verticalPanelText(
            "<header file=\"h.h\"><groupcontainer label=\"g\"><gridcontainer columns=\"2\">"
            "<button label=\"b\"><action event=\"clicked\" cmd=\"resetGUI\"/></button>"
            "<checkbox define=\"C\"/><togglebutton define=\"T\"/><text label=\"t\"/><edit define=\"E\"/>"
            "<stretch/><horizontalline/><editbox define=\"EB\"/><spinbox define=\"S\" range=\"0;9\"/>"
            "<hexspinbox define=\"H\"/><doublespinbox define=\"D\"/><slider define=\"SL\"/><knob define=\"K\"/>"
            "<dial data=\"K\"/><image file=\"i.png\"/><svgembed><svg xmlns=\"http://www.w3.org/2000/svg\"><rect/></svg></svgembed>"
            "<led data=\"C\"/><math define=\"M\" formula=\"S+1\"/><plot><curve data=\"M\"/></plot><thermo data=\"M\"/>"
            "<log define=\"LG\"><logitem data=\"M\"/></log><timer define=\"TI\" interval=\"10\"/>"
            "<radio define=\"R\"><radiobutton label=\"a\" value=\"0\"/></radio>"
            "<combo define=\"CB\"><item label=\"a\"><action event=\"selected\" cmd=\"setDef\" data=\"C=1\"/></item></combo>"
            "<var define=\"V\" symbol=\"v\"/><registerview define=\"RV\"/><communication data=\"C\" interval=\"100\"/>"
            "<svdtree define=\"ST\"/><include file=\"part.xml\" name=\"anything\"/>"
            "<table define=\"TB\" numrows=\"2\"><column type=\"value\" columnwidth=\"40\"/></table>"
            "<pinmapper define=\"PM\"/><parametermap file=\"p.xml\"/><pinmapping file=\"c.xml\"/>"
            "</gridcontainer></groupcontainer></header>"
            "<tabcontainer><absolutecontainer pos=\"1;2\"/><horizontalcontainer/></tabcontainer>"
            "<treecontainer><checkbox uielement=\"branch\" define=\"BR\"><branch label=\"x\"><spinbox define=\"BS\"/></branch></checkbox></treecontainer>",
            "<version label=\"1.0\"/><svd file=\"a.svd\"/><migration file=\"m.txt\"/><disclaimer file=\"d.txt\"/>"
            "<fwversion min=\"1.0.0\" max=\"2.*\"/><infosource forumurl=\"http://x\"/><documents path=\"docs\"/>"
            "<ioconfig port=\"COM1\"/><iocheck mode=\"1\"/><loadsaveallowed value=\"1\"/><tooltipconfig value=\"0xFF\"/>"
            "<terminal port=\"/dev/ttyS0\" settings=\"115200;8;N;1\"/><elf file=\"fw.elf\"/><usesPython/>\n"),
        true);
    add("unknown element", verticalPanelText("<bogus/>"), false);
    add("unknown attribute", verticalPanelText("<checkbox define=\"A\" colour=\"red\"/>"), false);
    add("svd flag other than 0 or 1", verticalPanelText("<checkbox define=\"A\" svd=\"2\"/>"), false);
    add("uielement other than branch", verticalPanelText("<checkbox define=\"A\" uielement=\"tree\"/>"), false);
    add("item outside a combo", verticalPanelText("<item label=\"a\"/>"), false);
    add("action in a container", verticalPanelText("<action event=\"clicked\" cmd=\"resetGUI\"/>"), false);
    add("element inside a spin box", verticalPanelText("<spinbox define=\"A\"><text label=\"t\"/></spinbox>"), false);
    add("curve outside a plot", verticalPanelText("<curve data=\"A\"/>"), false);
    add("column outside a table", verticalPanelText("<column type=\"value\"/>"), false);
    add("text content in a container", verticalPanelText("words"), false);
    add("stretch that is no number", verticalPanelText("<verticalcontainer stretch=\"wide\"/>"), false);
    add("version with letters", "<zelmlcfg version=\"2.x\"><verticalcontainer/></zelmlcfg>", false);
    add("root without version", "<zelmlcfg><verticalcontainer/></zelmlcfg>", false);
    add("other root", "<panel version=\"2.0.0\"/>", false);
    add("checksum not first", "<zelmlcfg version=\"2.0.0\"><version label=\"1\"/><checksum>"
                              + QByteArray(64, 'a') + "</checksum></zelmlcfg>", false);
    add("short checksum", "<zelmlcfg version=\"2.0.0\"><checksum>abc</checksum></zelmlcfg>", false);
    add("header element inside a container", verticalPanelText("<terminal port=\"x\"/>"), false);
    add("not well-formed", "<zelmlcfg version=\"2.0.0\"><verticalcontainer>", false);
}

void TstXsdCheck::agreesWithXmllint()
{
    QFETCH(QString, path);
    QFETCH(bool, valid);
    QVERIFY(!path.isEmpty());
    QCOMPARE(check(path), valid);
    const int lint = xmllint(path);
    QCOMPARE(lint == 0, valid);
}

void TstXsdCheck::renamedElementsAndAttributes()
{
    // Each element and each attribute of the demo panel renamed once: the
    // schema refuses every such file, in both engines.
    QDomDocument demo;
    QFile file(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(demo.setContent(&file));
    const QList<QDomElement> elements = allElements(demo);
    int variants = 0;
    for (int i = 0; i < elements.size(); i += 3) {
        for (int attribute = -1; attribute < elements.at(i).attributes().size(); ++attribute) {
            QDomDocument copy = demo.cloneNode(true).toDocument();
            QDomElement element = allElements(copy).at(i);
            if (attribute < 0) {
                element.setTagName(QStringLiteral("renamed"));
            } else {
                const QDomAttr attr = element.attributes().item(attribute).toAttr();
                const QString value = attr.value();
                element.removeAttribute(attr.name());
                element.setAttribute(QStringLiteral("renamed"), value);
            }
            const QString path = writeTestFile(m_dir.filePath(QStringLiteral("renamed/%1.xml").arg(variants++)),
                                               copy.toByteArray());
            QVERIFY2(!check(path), qPrintable(path));
            QCOMPARE(xmllint(path), 3);
        }
    }
    QVERIFY2(variants > 40, qPrintable(QString::number(variants)));
}

QTEST_MAIN(TstXsdCheck)
#include "tst_xsdcheck.moc"
