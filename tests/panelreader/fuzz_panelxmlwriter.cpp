// Mutated panels through the panel XML writer, built with the reader under
// AddressSanitizer and UndefinedBehaviorSanitizer: whatever the reader built,
// the saved text is well-formed, signed and read again, and a second save of
// what was read gives the same text. A fixed seed keeps every run the same.
#include "panelxmlwriter.h"
#include "readerfixture.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QtTest>

namespace {

const char *const seedBodies[] = {
    "<verticalcontainer><header file=\"a.h\"><checkbox define=\"A\" default=\"1\" lockon=\"B=1\" "
    "setDef=\"B=1\" role=\"inverted\"><action event=\"checked\" cmd=\"sendUSB\" data=\"1;2\" recdata=\"3\" "
    "delay=\"5\"/></checkbox><spinbox define=\"B\" range=\"0;10\" default=\"3\"/></header>"
    "<var define=\"v\" address=\"0x20000000\" size=\"4\"/></verticalcontainer>",
    "<tabcontainer label=\"T\"><groupcontainer label=\"G\"><radio define=\"R\" default=\"1\">"
    "<radiobutton label=\"a\" value=\"1\" setdef=\"A=1\"/><radiobutton label=\"b\" lockon=\"A=0\">"
    "<action event=\"selected\" cmd=\"setDef\" data=\"x\"/></radiobutton></radio></groupcontainer>"
    "<gridcontainer columns=\"2\"><combo define=\"C\"><item label=\"a\"/><item hide=\"3\"/>"
    "<item label=\"o\" override=\"4\" setdef=\"A=1\"/></combo><hexspinbox define=\"H\" range=\"0x0;0xFF\"/>"
    "</gridcontainer></tabcontainer>",
    "<treecontainer headerlabels=\"a;b\"><checkbox uielement=\"branch\" define=\"T1\" expand=\"1\">"
    "<togglebutton uielement=\"branch\" define=\"T2\"/><branch label=\"x\"><spinbox define=\"T3\"/></branch>"
    "</checkbox><radio define=\"TR\"><radiobutton uielement=\"branch\" label=\"r\"/></radio></treecontainer>",
    "<horizontalcontainer><spinbox define=\"IN\"/><math define=\"M\" formula=\"IN*2\" visible=\"false\"/>"
    "<led define=\"L\" data=\"IN\" bitmask=\"1\"/><plot maxX=\"50\"><curve data=\"IN\" color=\"1;2;3\"/></plot>"
    "<absolutecontainer><edit define=\"E\" pos=\"5;6\"/></absolutecontainer><timer define=\"TM\"/>"
    "</horizontalcontainer>",
};

const char *const dictionary[] = {
    "<verticalcontainer>", "</verticalcontainer>", "<groupcontainer>", "</groupcontainer>", "<radio define=\"R\">",
    "</radio>", "<radiobutton/>", "<checkbox define=\"A\"/>", "<spinbox define=\"S\" range=\"", "<item/>",
    "<action event=\"checked\" cmd=\"setDef\"/>", "<var define=\"v\"/>", "<header file=\"h\">", "</header>",
    "<math define=\"M\" visible=\"false\" formula=\"", "<branch label=\"b\">", "</branch>", "define=\"",
    "\"", "&amp;", "&lt;", ";", "\xc3\xa4", "<", "/>",
};

} // namespace

class FuzzPanelXmlWriter : public QObject
{
    Q_OBJECT

private slots:
    void savedPanelsReadAgain();
};

void FuzzPanelXmlWriter::savedPanelsReadAgain()
{
    QList<QByteArray> seeds;
    for (const char *body : seedBodies)
        seeds << signedPanelText(QString::fromUtf8(body));
    QRandomGenerator random(20261210);
    const auto below = [&random](int n) { return n <= 0 ? 0 : int(random.bounded(quint32(n))); };
    int read = 0;
    for (int round = 0; round < 1000; ++round) {
        QByteArray text = seeds.at(below(seeds.size()));
        // Mutations just before tags, so most panels stay readable.
        for (int step = below(4); step > 0; --step) {
            int at = text.indexOf('<', below(text.size()));
            if (at < 0)
                at = text.size();
            if (below(3) == 0) {
                const int close = text.indexOf('>', at);
                text.remove(at, close < 0 ? 1 : close - at + 1);
            } else {
                text.insert(at, dictionary[below(int(std::size(dictionary)))]);
            }
        }
        ReaderFixture fx;
        if (!fx.readPanelFile(fx.env.path("panel.xml"), text) || !fx.root())
            continue;
        ++read;
        const QByteArray first = PanelXmlWriter(&fx.panel, fx.root()).toXml();
        QXmlStreamReader check(first);
        while (!check.atEnd())
            check.readNext();
        QVERIFY2(!check.hasError(), first.constData());
        QVERIFY2(fx.readPanelFile(fx.env.path("saved.xml"), first), first.constData());
        QVERIFY(!fx.consoleText().contains("manipulated", Qt::CaseInsensitive));
        const QByteArray second = PanelXmlWriter(&fx.panel, fx.root()).toXml();
        QVERIFY2(second == first, (text + "\n----\n" + first + "\n----\n" + second).constData());
    }
    QVERIFY(read > 200);
}

QTEST_MAIN(FuzzPanelXmlWriter)
#include "fuzz_panelxmlwriter.moc"
