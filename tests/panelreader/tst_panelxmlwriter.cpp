// The panel XML writer on panels built by the reader: what each element kind
// and header value becomes in the saved text, and the signing.
#include "panelxmlwriter.h"
#include "readerfixture.h"

#include <QtTest>

#include <algorithm>

class TestPanelXmlWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void savedText_data();
    void savedText();
    void recordsOfManyChildren_data();
    void recordsOfManyChildren();
    void headerValues();
    void signedWithCrLfLines();
    void failedWriteKeepsTheOldFile();

private:
    QByteArray readAndWrite(const QString &elements, const QString &header = QString());
    std::unique_ptr<ReaderFixture> fx;
};

void TestPanelXmlWriter::init()
{
    fx = std::make_unique<ReaderFixture>();
}

QByteArray TestPanelXmlWriter::readAndWrite(const QString &elements, const QString &header)
{
    if (!fx->readPanelFile(fx->env.path("panel.xml"), verticalPanelText(elements, header)))
        return QByteArray();
    PanelXmlWriter writer(&fx->panel, fx->root());
    return writer.toXml();
}

// Each row: the elements read, and lines the saved text must hold (after
// trimming), or must not hold when they start with "!".
void TestPanelXmlWriter::savedText_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("variable bindings kept")
        << R"(<var define="speed" address="0x20000000" size="4" interval="100"/><var define="$VALUE$"/>)"
        << QStringList{R"(<var define="speed" address="0x20000000" size="4" interval="100"/>)",
                       "!$VALUE$"};
    QTest::newRow("radio group from its group")
        << R"(<radio define="R" default="2" header="r.h"><radiobutton label="A" value="0"/>)"
           R"(<radiobutton label="B" value="2" setdef="X=1" cond="Y&gt;0" lockon="Z=1"/></radio>)"
        << QStringList{R"(<radio define="R" default="2" header="r.h">)",
                       R"(<radiobutton label="A" value="0"/>)",
                       R"(<radiobutton label="B" value="2" setdef="X=1" cond="Y&gt;0" lockon="Z=1"/>)",
                       "</radio>"};
    QTest::newRow("combo items with hide, override and actions")
        << R"(<combo define="C"><item label="Fast" value="0x3"/><item label="x" hide="7"/>)"
           R"(<item label="Named" override="5"/><item label="Send">)"
           R"(<action event="selected" cmd="sendUSB" data="0x01;0x10" recdata="?" delay="300"/></item></combo>)"
        << QStringList{R"(<item label="Fast" value="3"/>)", R"(<item hide="7" value="1"/>)",
                       R"(<item label="Named" override="5" value="1"/>)", R"(<item label="Send" value="2">)",
                       R"(<action event="selected" cmd="sendUSB" data="0x01;0x10" recdata="?" delay="300"/>)"};
    QTest::newRow("attributes the reader keeps only in the element")
        << R"(<checkbox define="CB" role="inverted" tooltip="tip" enabled="0"/><edit define="E" validator="[0-9]*"/>)"
        << QStringList{R"(<checkbox define="CB" role="inverted" tooltip="tip" enabled="0"/>)",
                       R"(<edit define="E" validator="[0-9]*"/>)"};
    QTest::newRow("texts escaped")
        << R"(<text label="a &lt; b &amp; &quot;c&quot;"/>)"
        << QStringList{R"(<text label="a &lt; b &amp; &quot;c&quot;"/>)"};
    QTest::newRow("LED keeps its define, not its generated name")
        << R"(<spinbox define="IN"/><led define="LAMP" data="IN" bitmask="0x1"/>)"
        << QStringList{R"(<led define="LAMP" data="IN" bitmask="0x1"/>)"};
    QTest::newRow("log with its columns")
        << R"(<spinbox define="IN"/><log define="L" label="Log" filename="out.csv" delimiter="59">)"
           R"(<logitem data="IN" label="In"/><logitem data="OUT" label="Out">)"
           R"(<action event="changed" cmd="setDef" data="IN=1"/></logitem></log>)"
        << QStringList{R"(<log define="L" label="Log" filename="out.csv" delimiter="59">)",
                       R"(<logitem data="IN" label="In"/>)", R"(<logitem data="OUT" label="Out">)",
                       R"(<action event="changed" cmd="setDef" data="IN=1"/>)", "</logitem>", "</log>"};
    QTest::newRow("hidden formula in its container, with its live define")
        << R"(<spinbox define="IN"/><math define="H" formula="IN+1" visible="false"/>)"
        << QStringList{R"(<math define="H" formula="IN+1" visible="false"/>)"};
}

void TestPanelXmlWriter::savedText()
{
    QFETCH(QString, elements);
    QFETCH(QStringList, lines);
    const QByteArray saved = readAndWrite(elements);
    QVERIFY(!saved.isEmpty());
    QStringList savedLines;
    for (const QByteArray &line : saved.split('\n'))
        savedLines << QString::fromUtf8(line).trimmed();
    const QString text = savedLines.join('\n');
    for (const QString &line : lines) {
        if (line.startsWith('!'))
            QVERIFY2(!text.contains(line.mid(1)), qPrintable(text));
        else
            QVERIFY2(savedLines.contains(line), qPrintable(line + "\n----\n" + text));
    }
}

// Every element of a long run of children in one container keeps its own
// record, in order, whether it builds a widget, a tab page, a tree row or
// nothing of its own (var): a record given to a neighbour or lost shows as a
// missing or misplaced line.
void TestPanelXmlWriter::recordsOfManyChildren_data()
{
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("element");
    QTest::newRow("check boxes and vars in one container")
        << QString() << QString()
        << R"(<checkbox define="CB%1" tooltip="t%1"/><var define="V%1" address="0x%1" size="4"/>)";
    QTest::newRow("pages of a tab container")
        << "<tabcontainer>" << "</tabcontainer>"
        << R"(<verticalcontainer label="P%1" tooltip="t%1"><spinbox define="S%1" tooltip="s%1"/></verticalcontainer>)";
    QTest::newRow("rows of a tree container")
        << R"(<treecontainer headerlabels="A;B">)" << "</treecontainer>"
        << R"(<branch label="B%1" tooltip="t%1"><spinbox define="S%1" tooltip="s%1"/></branch>)";
}

void TestPanelXmlWriter::recordsOfManyChildren()
{
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(QString, element);
    const int count = 120;
    QString elements = open;
    for (int i = 0; i < count; ++i)
        elements += element.arg(i + 10);
    elements += close;
    const QString saved = QString::fromUtf8(readAndWrite(elements));
    QVERIFY(!saved.isEmpty());
    QStringList written;
    for (const QString &line : saved.split('\n'))
        written << line.trimmed();
    // Each element's own lines, in the order read among those of its kind
    // (the writer puts a container's inline elements first).
    QHash<QString, int> from;
    for (int i = 0; i < count; ++i) {
        const QString one = element.arg(i + 10);
        QXmlStreamReader xml(QStringLiteral("<r>%1</r>").arg(one));
        xml.readNextStartElement();
        while (xml.readNextStartElement()) {
            const QString tooltip = xml.attributes().value("tooltip").toString();
            const QString define = xml.attributes().value("define").toString();
            const QString key = !tooltip.isEmpty() ? QStringLiteral("tooltip=\"%1\"").arg(tooltip)
                                                   : QStringLiteral("define=\"%1\"").arg(define);
            const QString tag = xml.name().toString();
            const auto found = std::find_if(written.cbegin() + from.value(tag), written.cend(),
                                            [&](const QString &line) {
                                                return line.startsWith(QLatin1Char('<') + tag) && line.contains(key);
                                            });
            QVERIFY2(found != written.cend(), qPrintable(one + "\n----\n" + saved));
            from.insert(tag, int(found - written.cbegin()) + 1);
            if (xml.name() != QLatin1String("verticalcontainer") && xml.name() != QLatin1String("branch"))
                xml.skipCurrentElement();
        }
    }
}

void TestPanelXmlWriter::headerValues()
{
    QVERIFY(!readAndWrite(R"(<spinbox define="S"/>)",
                          R"(<version label="V&amp;1"/><fwversion min="1.0.0" max="3.0.0"/>)"
                          R"(<ioconfig port="TYK" settings="9600"/><pinmapping file="pins.xml"/>)")
                 .isEmpty());
    // The window takes this flag over from the reader.
    fx->panel.editHeader().loadSaveAllowed = false;
    QByteArray saved = PanelXmlWriter(&fx->panel, fx->root()).toXml();
    QVERIFY(saved.contains(R"(<version label="V&amp;1"/>)"));
    // The stored range, not a fixed one.
    QVERIFY(saved.contains(R"(<fwversion min="1.0.0" max="3.0.0"/>)"));
    QVERIFY(saved.contains(R"(<loadsaveallowed value="0"/>)"));
    QVERIFY(saved.contains(R"(<ioconfig port="TYK" settings="9600"/>)"));
    // Header elements the panel keeps no value of come from the file read.
    QVERIFY(saved.contains(R"(<pinmapping file="pins.xml"/>)"));
    // The root tag names the first three parts of the program's version.
    QVERIFY(QRegularExpression(R"(<zelmlcfg version="\d+\.\d+\.\d+">)").match(QString::fromUtf8(saved)).hasMatch());

    fx->panel.editHeader().loadSaveAllowed = true;
    saved = readAndWrite(R"(<spinbox define="S"/>)");
    QVERIFY(!saved.contains("<fwversion"));
    QVERIFY(saved.contains(R"(<loadsaveallowed value="1"/>)"));
}

void TestPanelXmlWriter::signedWithCrLfLines()
{
    const QByteArray saved = readAndWrite(R"(<spinbox define="S"/>)");
    QVERIFY(!saved.isEmpty());
    QCOMPARE(saved.count("\r\n"), saved.count('\n'));
    QByteArray plain = saved;
    plain.replace('\r', QByteArray());
    const int start = plain.indexOf("<checksum>") + 10;
    QCOMPARE(plain.mid(start, 64), PanelXmlReader::checksumOf(plain));
    // The reader accepts it as signed: no manipulation warning.
    QVERIFY(fx->readPanelFile(fx->env.path("again.xml"), saved));
    QVERIFY(!fx->consoleText().contains("manipulated", Qt::CaseInsensitive));
}

void TestPanelXmlWriter::failedWriteKeepsTheOldFile()
{
    QVERIFY(!readAndWrite(R"(<spinbox define="S"/>)").isEmpty());
    PanelXmlWriter writer(&fx->panel, fx->root());
    QString error;
    // A folder in place of the file: nothing can be written there.
    const QString path = fx->env.path("folder.xml");
    QVERIFY(QDir().mkpath(path));
    QVERIFY(!writer.save(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(path).isDir());
    // A good path is written whole.
    QVERIFY(writer.save(fx->env.path("good.xml"), &error));
    QFile good(fx->env.path("good.xml"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    QCOMPARE(good.readAll(), writer.toXml());
}

QTEST_MAIN(TestPanelXmlWriter)
#include "tst_panelxmlwriter.moc"
