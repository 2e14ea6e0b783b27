// Mutated older headers and migration maps through the window's import, with
// the import's own sources built under AddressSanitizer and
// UndefinedBehaviorSanitizer: broken define lines, odd values for bit fields
// and whole defines, markers in odd places, maps with cycles and garbage. A
// fixed seed keeps every run the same; the count keeps it to a few seconds.

#include "mutation.h"
#include "oldheader.h"
#include "panelfixture.h"
#include "unresolveddialog.h"

#include <QRandomGenerator>

#include <iterator>

namespace {

const char *const seedHeader =
    "/* settings */\n#ifndef OLD_H\n#define OLD_H\n#define ZELQuillmate_Version 1\n#define Config_File panel.xml\n"
    "#define R_CFG (0x5A) /*decimal 90*/\n#define SPEED 7\n#define LOW_POWER 1\n#define NAME some text\n"
    "#define OLD_SPEED 3\n#define A 1\n#define B 2\n#endif\n";

const char *const seedMap = "Config_File_Version 1\nOLD_SPEED SPEED\nA B\nB A\nGONE\nX R.CFG\nY R.NOPE\n";

const char *const dictionary[] = {
    "#define ", "#define Config_File ", "#define Config_File_Version 3\n", "panel.xml", "\n", "\r\n", " ", "\t",
    "_", ".", "R_CFG ", "SPEED ", "0x", "0b101", "-1", "(", ")", "u", "99999999999999999999999", "1.5", "1e308",
    "nan", "/*", "*/", "[3:0]", "\xc3\xa4", "\xff", "\0",
};

} // namespace

class FuzzOldHeader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mutatedHeadersImportSafely();
    void textRulesOnRandomLines();
    void cleanupTestCase();

private:
    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }
    QByteArray mutate(QByteArray text);

    std::unique_ptr<PanelFixture> m_fixture;
    QRandomGenerator m_random{1122};
};

void FuzzOldHeader::initTestCase()
{
    m_fixture = std::make_unique<PanelFixture>();
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"R.CFG[3:0]\" range=\"0;15\"/>"
                            "<spinbox define=\"R.CFG[7:4]\" range=\"0;15\"/><spinbox define=\"SPEED\" range=\"0;100\"/>"
                            "<checkbox define=\"LOW_POWER\"/><edit define=\"NAME\"/>"
                            "<doublespinbox define=\"F\" range=\"0;1\" step=\"0.1\"/></verticalcontainer>",
                            "<migration file=\"map.txt\"/>"));
}

void FuzzOldHeader::cleanupTestCase()
{
    m_fixture.reset();
}

QByteArray FuzzOldHeader::mutate(QByteArray text)
{
    return mutateText(std::move(text), m_random, dictionary);
}

void FuzzOldHeader::mutatedHeadersImportSafely()
{
    const QString header = m_fixture->env->path("old.h");
    for (int round = 0; round < 150; ++round) {
        writeTestFile(m_fixture->env->path("map.txt"), mutate(seedMap));
        QByteArray text = mutate(seedHeader);
        // Most rounds keep the panel's line, so the import gets past it.
        if (below(4) != 0)
            text.prepend("#define Config_File panel.xml\n");
        writeTestFile(header, text);
        QFile::remove(header + ".bak");
        if (auto *dialog = m_fixture->window->findChild<UnresolvedDialog *>())
            dialog->hide();
        m_fixture->window->loadOld(header);
        m_fixture->clearConsole();
    }
}

void FuzzOldHeader::textRulesOnRandomLines()
{
    for (int round = 0; round < 20000; ++round) {
        const QString line = QString::fromUtf8(mutate("#define Config_File x.xml /* c */ 1"));
        panelFileFromHeaderText(line);
        const QStringList words = oldHeaderDefineWords(line);
        QVERIFY(words.isEmpty() || words.size() == 3);
        isHeaderMarkerDefine(line);
        for (const QString &word : migrationMapWords(line))
            QVERIFY(!word.isEmpty());
    }
}

QTEST_MAIN(FuzzOldHeader)
#include "fuzz_oldheader.moc"
