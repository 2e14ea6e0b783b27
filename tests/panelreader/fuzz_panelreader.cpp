// Mutated panels for the panel reader, whose sources are built under
// AddressSanitizer and UndefinedBehaviorSanitizer: broken XML, cut-off files,
// stray tags, absurd numbers, deep nesting and includes (fragments with
// placeholders, complete panels, cycles). A fixed seed keeps every run the
// same; the count keeps it to a few seconds.

#include "readerfixture.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Our own small panels, each reaching other parts of the reader.
const char *const seedBodies[] = {
    "<version label=\"1.0\"/><tooltipconfig value=\"0x3\"/><ioconfig port=\"tyk\"/><iocheck mode=\"3\"/>"
    "<verticalcontainer stretch=\"3\"><checkbox define=\"A\" default=\"1\" lockon=\"B=1;C.index=2\" "
    "setDef=\"B=1\" setDefInv=\"B=0\"><action event=\"checked\" cmd=\"sendUSB\" data=\"1;2\" recdata=\"3\" "
    "delay=\"5\"/></checkbox><spinbox define=\"B\" range=\"0;10\" default=\"3\" step=\"0x2\"/></verticalcontainer>",

    "<tabcontainer label=\"T\" resize=\"1\"><groupcontainer label=\"G\" selectsetdef=\"A=1\" desc=\"d\">"
    "<radio define=\"R\" readonly=\"1\"><radiobutton label=\"a\" value=\"1\" setdef=\"A=1\"/>"
    "<radiobutton label=\"b\" lockon=\"A=0\"><action event=\"selected\" cmd=\"setDef\" data=\"x\"/>"
    "</radiobutton></radio></groupcontainer><gridcontainer columns=\"2\" unselectsetdef=\"A=0\">"
    "<hexspinbox define=\"H\" range=\"0x0;0xFF\" prefix=\"0x\"/><doublespinbox define=\"D\" range=\"0.5;9.5\" "
    "default=\"1.5\" step=\"0.25\"/></gridcontainer></tabcontainer>",

    "<treecontainer headerlabels=\"a;b\" columnwidths=\"100;50\"><checkbox uielement=\"branch\" define=\"T1\" "
    "expand=\"1\"><togglebutton uielement=\"branch\" define=\"T2\"/><branch label=\"x\"><spinbox define=\"T3\"/>"
    "</branch></checkbox><radio define=\"TR\"><radiobutton uielement=\"branch\" label=\"r\"/></radio>"
    "</treecontainer>",

    "<horizontalcontainer color=\"1;2;3\" size=\"100;-1\" sizepolicy=\"expanding;fixed\" font=\"Sans,9\">"
    "<header file=\"h.h\"><button define=\"BT\" enabled=\"0\" tooltip=\"t\"><action event=\"clicked\" "
    "cmd=\"resetGUI\"/></button><editbox define=\"E\" readonly=\"1\"/><stretch label=\"s\"/><horizontalline/>"
    "</header><include n=\"7\" label=\"a&amp;b\">frag.xml</include><include>full.xml</include>"
    "<absolutecontainer><checkbox define=\"P\" pos=\"5;6\" visible=\"false\" startcond=\"CHIP==B\"/>"
    "</absolutecontainer></horizontalcontainer>",

    "<verticalcontainer><include k=\"1\">self.xml</include><include k=\"1\">mut.xml</include>"
    "<svd file=\"none.svd\"/><migration file=\"m\"/><item/><combo define=\"C\"><item/></combo>"
    "</verticalcontainer>",

    "<verticalcontainer><spinbox define=\"IN\" range=\"0;100\"/><math define=\"M1\" formula=\"IN*2/(IN-3)\" "
    "format=\"%4.1f dB\" unit=\"V\"><action event=\"changed\" cmd=\"setDef\" data=\"IN=1\"/></math>"
    "<math define=\"M2\" formula=\"M1--M2\" format=\"%s%n\" passive=\"1\" visible=\"false\"/>"
    "<math define=\"R.F[3:0]\" formula=\"0x10&amp;IN\" format=\"%g\"/>"
    "<led define=\"L\" data=\"IN\" bitmask=\"0b101\" oncolor=\"255;0;0\"/><led/>"
    "<plot oszi=\"1\" history=\"0\" maxX=\"99999\" minY=\"-1.5\" maxY=\"x\" autoScaleMaxY=\"1\" grid=\"3\" "
    "xScaleFormat=\"1\" xFactor=\"0.5\"><curve label=\"a\" data=\"IN\" color=\"1;2;3\" width=\"300\"/>"
    "<curve data=\"M1\"/><bogus/></plot><plot maxX=\"0\"/>"
    "<thermo data=\"IN\" min=\"0x10\" max=\"(100u)\" orientation=\"1\" alarmlevel=\"x\"/>"
    "<timer define=\"TM\" interval=\"0\" run=\"1\" singleShot=\"1\" visible=\"false\"/>"
    "<log define=\"LG\" file=\"\" delimiter=\";\"><logitem data=\"IN\" label=\"in\"/>"
    "<logitem data=\"IN\" label=\"again\"/><logitem/></log>"
    "<image define=\"IMG\" file=\"..\\\\none.png\"/><svgembed define=\"SV\" passive=\"0\" size=\"10;10\">"
    "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>$IN$</text></svg></svgembed></verticalcontainer>",
};

// Pieces that mean something to the reader, spliced in at random.
const char *const dictionary[] = {
    "<verticalcontainer>", "</verticalcontainer>", "<groupcontainer stretch=\"2\">", "</groupcontainer>",
    "<tabcontainer>", "</tabcontainer>", "<treecontainer>", "</treecontainer>", "<gridcontainer columns=\"-5\">",
    "<checkbox define=\"A\">", "</checkbox>", "<checkbox uielement=\"branch\"/>", "<radio define=\"R\">",
    "</radio>", "<radiobutton/>", "<radiobutton uielement=\"branch\">", "<spinbox range=\"", "<doublespinbox ",
    "<include k=\"$k$\">frag.xml</include>", "<include>self.xml</include>", "<include>full.xml</include>",
    "<action event=\"checked\" cmd=\"sendUSB\"/>", "<action event=\"x_y\" cmd=\"setdef\"/>", "startcond=\"A==1\"",
    "lockon=\"", "size=\"", "pos=\"", "color=\"", ";", "0x", "-1", "99999999999999999999", "1e308", "\"", "<", ">",
    "/>", "&amp;", "&lt;", "$a$", "<![CDATA[", "]]>", "<!--", "-->", "<!DOCTYPE x [<!ENTITY e \"ee\">]>", "&e;",
    "</checksum>", "<checksum>", "\r\n", "\xc3\xa4", "\xff", "<header file=\"h\">", "</header>", "<version/>",
    "<math formula=\"", "<plot maxX=\"", "<curve data=\"IN\"/>", "</plot>", "<svgembed>", "</svgembed>",
    "<led data=\"IN\" bitmask=\"", "<timer interval=\"", "<log file=\"", "<logitem data=\"IN\" label=\"l\"/>",
    "</log>", "format=\"%", "<thermo min=\"", "<image file=\"",
};

class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }

    // A position just before a tag most of the time, so that spliced pieces
    // tend to stay well-formed and reach the builders.
    int position(const QByteArray &text)
    {
        const int at = below(text.size() + 1);
        if (below(4) == 0)
            return at;
        const int tag = text.indexOf('<', at);
        return tag < 0 ? at : tag;
    }

    QByteArray mutate(QByteArray text)
    {
        const int steps = 1 + below(6);
        for (int s = 0; s < steps; ++s) {
            const int at = position(text);
            switch (below(12)) {
            case 0:
                text.insert(at, char(below(256)));
                break;
            case 1:
                text.remove(at, 1 + below(12));
                break;
            case 2:
                if (at < text.size())
                    text[at] = char(below(256));
                break;
            case 3: { // duplicate a tag or a piece, nesting what it holds
                const int from = position(text);
                const int close = text.indexOf('>', from);
                text.insert(at, text.mid(from, close < 0 || below(2) ? 1 + below(80) : close - from + 1));
                break;
            }
            case 4: // cut off
                text.truncate(at + below(text.size() - at + 1));
                break;
            default:
                text.insert(at, dictionary[below(int(std::size(dictionary)))]);
                break;
            }
        }
        return text;
    }

private:
    QRandomGenerator m_random;
};

} // namespace

class FuzzPanelReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mutatedPanelsReadSafely();
    void cleanupTestCase();

private:
    bool readOnce(const QByteArray &text);
    void write(const QString &name, const QByteArray &text);

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void FuzzPanelReader::initTestCase()
{
    fx = std::make_unique<ReaderFixture>();
    fx->options.defines = QStringLiteral("A=1;CHIP=B;");
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    // Log elements write beside the process: keep their files in the folder.
    QVERIFY(QDir::setCurrent(dir->path()));
    write("frag.xml", "<groupcontainer label=\"$label$\"><checkbox define=\"F$n$\" label=\"$label$\"/>"
                      "<spinbox define=\"S$n$\" range=\"$n$;99\"/></groupcontainer>");
    write("full.xml", signedPanelText("<checkbox define=\"FULL\"/><version label=\"9\"/>"));
    write("self.xml", "<include k=\"1\">self.xml</include>");
    write("mut.xml", "<checkbox define=\"M\"/>");
}

void FuzzPanelReader::cleanupTestCase()
{
    fx.reset();
}

void FuzzPanelReader::write(const QString &name, const QByteArray &text)
{
    QVERIFY(!writeTestFile(dir->filePath(name), text).isEmpty());
}

bool FuzzPanelReader::readOnce(const QByteArray &text)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fx->clearPanelState();
    fx->env.installPrompt({});
    // Error reports go to the console, as with -q.
    ErrorReporter::instance().setSinks(false, true, false);
    fx->panel.setXMLFile(dir->filePath(QStringLiteral("panel.xml")));

    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    PanelXmlReader reader(&fx->panel, fx->options);
    const bool ok = reader.readXml(&buffer);
    reader.xmlErrorLink();
    return ok;
}

void FuzzPanelReader::mutatedPanelsReadSafely()
{
    Mutator mutator(20250211);
    QList<QByteArray> seeds;
    for (const char *body : seedBodies)
        seeds << signedPanelText(body);
    // Nesting beyond the reader's limit, in containers and in tree branches.
    seeds << signedPanelText("<verticalcontainer>" + QByteArray("<groupcontainer>").repeated(90)
                             + "<checkbox define=\"DEEP\"/>" + QByteArray("</groupcontainer>").repeated(90)
                             + "<treecontainer>" + QByteArray("<branch>").repeated(90) + QByteArray("</branch>").repeated(90)
                             + "</treecontainer></verticalcontainer>");
    QFile demo(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml"));
    QVERIFY(demo.open(QIODevice::ReadOnly));
    seeds << demo.readAll();

    // The demo reads; the other seeds include files that fail on purpose.
    QVERIFY(readOnce(seeds.last()));
    for (const QByteArray &seed : qAsConst(seeds))
        readOnce(seed);

    const int rounds = 5000;
    int accepted = 0;
    qint64 built = 0;
    QElapsedTimer slowest;
    for (int i = 0; i < rounds; ++i) {
        QByteArray text = mutator.mutate(seeds.at(mutator.below(seeds.size())));
        // Half of the inputs carry a valid signature, so that the checksum
        // does not hide what follows it.
        if (mutator.below(2) == 0 && text.contains("</checksum>")) {
            const int end = text.indexOf("</checksum>");
            if (end >= 64)
                text.replace(end - 64, 64,
                             QCryptographicHash::hash(text.mid(end), QCryptographicHash::Sha256).toHex());
        }
        // Now and then the included fragment is broken too.
        if (i % 16 == 0)
            write("mut.xml", mutator.mutate("<groupcontainer><checkbox define=\"M\" lockon=\"A=1\"/>"
                                            "<include k=\"2\">mut.xml</include></groupcontainer>"));
        slowest.start();
        accepted += readOnce(text) ? 1 : 0;
        built += fx->panel.getAllElements().size();
        QVERIFY2(slowest.elapsed() < 5000, qPrintable(QStringLiteral("round %1 took %2 ms").arg(i).arg(slowest.elapsed())));
    }
    // Mutations leave many panels readable: the pass reaches the builders.
    qInfo("%d of %d mutated panels read, %lld elements built", accepted, rounds, built);
    QVERIFY(accepted > rounds / 10);
    QVERIFY(built > rounds / 2);
}

QTEST_MAIN(FuzzPanelReader)
#include "fuzz_panelreader.moc"
