// Mutated project, panel and header texts through the recognition of files
// by their content and the write guard's kind check, under the sanitizers.
#include "mutation.h"
#include "writeguard.h"
#include "xmlfilekind.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <iterator>

namespace {

const char *const pieces[] = {
    "",
    "\xFF\xFE",
    "\xFE\xFF",
    "\xEF\xBB\xBF",
    "\r",
    "\r\n",
    "<?xml version='1.0' encoding='ISO-8859-1'?>",
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
    "<?xml version=\"1.0\" encoding=\"no-such-codec\"?>",
    "<qlmpxml>",
    "<zelmlcfg version=\"2.0.0\">",
    "<!--",
    "-->",
    "<![CDATA[",
    "<!DOCTYPE x [<!ENTITY a \"b\">]>",
    "&a;",
    "#define X 1\n",
    "\xC3",
    "<Table><define>T</define></Table>",
    "<ActiveElements>",
    "</ActiveElements>",
    "LOAD(x.qlmp)\n",
    "// note\n",
};

const QByteArray seeds[] = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"2.5.0\">\r\n<XmlFile>p.xml</XmlFile>\r\n</qlmpxml>",
    "<?xml version=\"1.0\"?>\n<zelmlcfg version=\"2.0.0\"><checksum>0</checksum><verticalcontainer/></zelmlcfg>\n",
    "/* header */\n#ifndef CFG_H\n#define CFG_H\n#define A (1)\n#endif\n",
    // The root beyond the first kilobytes of a file.
    "<?xml version=\"1.0\"?>\n<!--" + QByteArray(6000, 'c') + "-->\n<qlmpxml version=\"2.5.0\"><XmlFile>p.xml</XmlFile></qlmpxml>",
    QByteArray(3000, ' ') + "\n<zelmlcfg version=\"2.0.0\"><verticalcontainer/></zelmlcfg>\n",
    // The root's start tag across the end of the first four kilobytes.
    "<?xml version=\"1.0\"?>\n<!--" + QByteArray(4060, 'c') + "-->\n<qlmpxml version=\"2.5.0\"><XmlFile>p.xml</XmlFile></qlmpxml>",
    // A table file, and a script.
    "<?xml version=\"1.0\"?>\n<qlmpxml version=\"1.0\"><XmlFile>p.xml</XmlFile><ActiveElements>\n"
    "<Table><define>T</define><value>R,0,0,1,0,;</value></Table>\n</ActiveElements></qlmpxml>\n",
    "// run\nSETOUTPUTOPTIONS(1,)\nLOAD(x.qlmp)\nASSERT(A, 1)\nEXIT(2)\n",
};

// The root element as the whole decoded text gives it.
QString rootOfWholeText(const QByteArray &bytes)
{
    QXmlStreamReader xml(XmlFileKind::decodedText(bytes));
    return xml.readNextStartElement() ? xml.name().toString() : QString();
}

} // namespace

class FuzzXmlFileKind : public QObject
{
    Q_OBJECT

private slots:
    void mutatedTextsAreRecognisedWithoutFaults()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("target"));
        QRandomGenerator random(33);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = mutateText(seeds[round % int(std::size(seeds))], random, pieces);
            const QString text = XmlFileKind::decodedText(bytes);
            QVERIFY(text.isEmpty() || !text.at(0).isSpace());
            QVERIFY(!text.contains(QLatin1Char('\r')));
            QCOMPARE(XmlFileKind::looksLikeXml(bytes), text.startsWith(QLatin1Char('<')));
            const QString root = XmlFileKind::rootElement(bytes);
            QCOMPARE(root, rootOfWholeText(bytes));
            QVERIFY(root.isEmpty() || XmlFileKind::looksLikeXml(bytes));

            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
            out.close();
            // The file's head gives the same root as the whole text.
            QCOMPARE(XmlFileKind::rootElementOfFile(file), root);
            WriteTarget target;
            target.fileName = file;
            // A table file is a project file too, never the other way round
            // unless it holds one Table entry only.
            const bool table = XmlFileKind::isTableFile(bytes);
            QVERIFY(!table || root == QLatin1String("qlmpxml"));
            for (WrittenKind kind : {WrittenKind::Project, WrittenKind::Table, WrittenKind::Panel, WrittenKind::Header}) {
                target.kind = kind;
                const QString refusal = WriteGuard::refusal(target);
                if (kind == WrittenKind::Project && root == QLatin1String("qlmpxml"))
                    QVERIFY(refusal.isEmpty());
                if (kind == WrittenKind::Table)
                    QCOMPARE(refusal.isEmpty(), table);
                if (kind == WrittenKind::Panel && root != QLatin1String("zelmlcfg"))
                    QVERIFY(!refusal.isEmpty());
            }
            // The log rule's recognisers take any bytes.
            XmlFileKind::looksLikeScript(bytes);
            XmlFileKind::looksLikeCHeader(bytes);
            WriteGuard::logRefusal(file);
        }
    }

    // Line ends made LF in the bytes' own encoding, and the place of the
    // first byte that does not decode.
    void mutatedTextsKeepTheirTextWithLineFeeds()
    {
        QRandomGenerator random(44);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = mutateText(seeds[round % int(std::size(seeds))], random, pieces);
            const QByteArray fed = XmlFileKind::withLineFeeds(bytes);
            const XmlFileKind::DecodeFault fault = XmlFileKind::firstDecodeFault(bytes);
            if (fault.found) {
                QVERIFY(fault.line >= 1);
                QVERIFY(fault.column >= 1);
            }
            // Bytes that decode give the same text either way, and no CR is
            // left; a CR alone ends its line as CR LF does. (A UTF-16
            // declaration on bytes without a byte-order mark names no
            // encoding they are in: those are left out.)
            const bool wideByDeclaration = !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")
                && bytes.left(400).contains("UTF-16");
            if (!fault.found && !wideByDeclaration) {
                QCOMPARE(XmlFileKind::decodedText(fed), XmlFileKind::decodedText(bytes));
                QVERIFY(!XmlFileKind::decodedText(fed).contains(QLatin1Char('\r')));
                QCOMPARE(XmlFileKind::withLineFeeds(fed), fed);
            }
        }
    }
};

QTEST_APPLESS_MAIN(FuzzXmlFileKind)
#include "fuzz_xmlfilekind.moc"
