// A bounded random-input pass over the check against QLM.xsd under
// AddressSanitizer and UndefinedBehaviorSanitizer: the demo panel with bytes
// flipped, cut short, and with entity declarations and references inserted.
// Every run prints exactly three lines, the last one the closing line.
#include "errorreporter.h"
#include "panelxml.h"
#include "testenvironment.h"
#include "xsdcheck.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class FuzzXsdCheck : public QObject
{
    Q_OBJECT

public:
    FuzzXsdCheck()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_console << html; });
    }
    ~FuzzXsdCheck() override { ErrorReporter::instance().setConsoleSink(nullptr); }

private slots:
    void mutatedPanels();

private:
    void run(const QByteArray &text);

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QStringList m_console;
    QRandomGenerator m_random{20261211};
};

void FuzzXsdCheck::run(const QByteArray &text)
{
    const QString path = writeTestFile(m_dir.filePath(QStringLiteral("p.xml")), text);
    QVERIFY(!path.isEmpty());
    m_console.clear();
    checkPanelAgainstSchema(path, QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/QLM.xsd"));
    QCOMPARE(m_console.size(), 3);
    QCOMPARE(m_console.last(), QStringLiteral("<font color=\"blue\"> <b>Finished xsd check.</b></font><br>"));
}

void FuzzXsdCheck::mutatedPanels()
{
    writeTestFile(m_dir.filePath(QStringLiteral("part.txt")), "<checkbox define=\"P\"/>");
    static const QByteArray pieces[] = {
        "<", ">", "/>", "\"", "&", ";", "&amp;", "&#x41;", "&#0;", "&e;", "&f;", "&p;", "<bogus/>", "]]>",
        "<![CDATA[x]]>", "<!-- c -->", "<?pi x?>", "\xc3\xa4", "\xff\xfe", "svd=\"2\"", "define=\"\"", "\n"};
    static const QByteArray doctype = "<!DOCTYPE zelmlcfg [\n<!ENTITY e \"<checkbox define='E'/>\">\n"
                                      "<!ENTITY f SYSTEM \"part.txt\">\n<!ENTITY % p \"x\">\n]>\n";
    QFile file(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    const int rootAt = original.indexOf("<zelmlcfg");
    QVERIFY(rootAt >= 0);
    for (int round = 0; round < 300; ++round) {
        QByteArray text = original;
        if (round % 3 == 0)
            text.insert(rootAt, doctype);
        const int edits = 1 + int(m_random.bounded(8));
        for (int i = 0; i < edits; ++i) {
            const int at = int(m_random.bounded(text.size()));
            switch (m_random.bounded(3)) {
            case 0: text[at] = char(m_random.bounded(256)); break;
            case 1: text.remove(at, int(m_random.bounded(20))); break;
            default: text.insert(at, pieces[m_random.bounded(int(std::size(pieces)))]); break;
            }
        }
        if (round % 10 == 0)
            text.truncate(int(m_random.bounded(text.size())));
        run(text);
    }
}

QTEST_MAIN(FuzzXsdCheck)
#include "fuzz_xsdcheck.moc"
