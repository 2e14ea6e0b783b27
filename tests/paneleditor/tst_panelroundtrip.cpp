// A panel saved by the writer without a change opens again as the same panel:
// the same elements with the same values, defaults, headers, actions, locks
// and items, the same target variables, and byte-identical C headers. A
// second save of the reopened panel gives the same bytes as the first.
#include "activeelement.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlwriter.h"
#include "testenvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestPanelRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedPanelOpensAsTheSamePanel_data();
    void savedPanelOpensAsTheSamePanel();

private:
    struct Opened {
        QString description;
        QMap<QString, QByteArray> headers;
        QByteArray saved;
        QStringList xmlLines;
    };
    bool openAndSave(const QString &folder, const QString &file, Opened *out);

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
};

// Panels of our own, beside the examples, for the kinds the examples lack.
static const char *const fixturePanels[][2] = {
    {"combos", R"(<verticalcontainer label="Root" color="240;240;250">
<header file="combos.h">
<combo define="MODE" default="2" tooltip="The mode">
  <item label="Off" value="0"/>
  <item label="Slow" value="0x1" setdef="SPEED=1" lockon="ENABLE=1"/>
  <item label="Never" hide="9"/>
  <item label="Named" override="4"/>
  <item label="Fast" lockon="ENABLE=1;LEVEL=3">
    <action event="selected" cmd="setDef" data="SPEED=9"/>
    <action event="selected" cmd="sendUSB" data="0x01;0x10" recdata="?" delay="300"/>
  </item>
</combo>
<checkbox define="ENABLE" label="Enable" default="1" role="inverted" setDef="LEVEL=2" setDefInv="LEVEL=0"/>
<spinbox define="SPEED" range="0;10" default="3" suffix=" rpm" readonly="1"/>
<spinbox define="LEVEL" range="0;5" default="1" sizepolicy="fixed;preferred" size="80;-1"/>
</header>
</verticalcontainer>)"},
    {"radios", R"(<horizontalcontainer>
<header file="radios.h">
<groupcontainer label="Choice">
<radio define="PICK" default="1">
  <radiobutton label="A" value="0"/>
  <radiobutton label="B" value="5" setdef="OTHER=1" lockon="FLAG=1"/>
  <radiobutton label="C" value="7"><action event="selected" cmd="setDef" data="OTHER=0"/></radiobutton>
</radio>
</groupcontainer>
<absolutecontainer size="200;100">
  <checkbox define="FLAG" label="Flag" pos="10;20"/>
  <edit define="OTHER" default="4" pos="10;50" validator="[0-9]*"/>
</absolutecontainer>
</header>
<var define="speed" address="0x20000000" size="4" interval="100"/>
</horizontalcontainer>)"},
    {"displays", R"(<gridcontainer columns="3">
<header file="displays.h">
<spinbox define="IN" range="0;100" default="50"/>
<math define="TWICE" formula="IN*2" format="%d" unit=" V"/>
<led define="LAMP" data="IN" bitmask="0x1" oncolor="0;255;0" offcolor="80;80;80"/>
<math define="HIDDEN" formula="IN+1" visible="false"/>
<knob define="TURN" range="0;20" default="5"/>
<thermo data="TWICE" min="0" max="200" alarmlevel="150"/>
<timer define="TICK" interval="250" run="0"/>
<text label="A &lt;note&gt; &amp; more" wordwrap="1"/>
<stretch label="Free text"/>
<horizontalline/>
<plot minX="0" maxX="500" maxY="10" grid="1"><curve label="Twice" data="TWICE" color="10;20;30" width="3"/></plot>
</header>
</gridcontainer>)"},
};

void TestPanelRoundTrip::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    env->installPrompt({});
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
    window = std::make_unique<MainWindow>(CommandLineOptions());
}

void TestPanelRoundTrip::savedPanelOpensAsTheSamePanel_data()
{
    QTest::addColumn<QString>("source"); // a file of the examples, or the body of a fixture panel
    QTest::addColumn<QString>("body");
    QDirIterator examples(QStringLiteral(QUILLMATE_EXAMPLES), {QStringLiteral("*.xml")}, QDir::Files);
    QStringList files;
    while (examples.hasNext()) {
        // Panels only: the folder also holds catalogs and chip pictures.
        QFile candidate(examples.next());
        if (candidate.open(QIODevice::ReadOnly) && candidate.read(400).contains("<zelmlcfg"))
            files << candidate.fileName();
    }
    files.sort();
    for (const QString &file : files)
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file << QString();
    for (const auto &panel : fixturePanels)
        QTest::newRow(panel[0]) << QString() << QString::fromUtf8(panel[1]);
}

static QString mapText(const QVariant &value)
{
    QStringList parts;
    const QVariantMap map = value.toMap();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        QStringList items;
        for (const QVariant &item : it.value().toList())
            items << item.toString();
        parts << it.key() + "=[" + items.join('|') + "]";
    }
    return parts.join(',');
}

// Everything a reader builds that a save must keep, one line per element.
static QString describe(Panel *panel)
{
    QStringList lines;
    for (ActiveElement *element : panel->getAllElements()) {
        QObject *object = objectOf(element);
        if (!object)
            continue;
        QStringList items;
        for (const QVariant &item : elementPropertyOf(object, "itemText").toList())
            items << item.toString();
        lines << QStringList{object->objectName(),
                             QString::fromLatin1(object->metaObject()->className()),
                             element->value(KeywordValue, 0),
                             elementPropertyOf(object, "header").toString(),
                             elementPropertyOf(object, "my_default").toString(),
                             mapText(elementPropertyOf(object, "data")),
                             mapText(elementPropertyOf(object, "locks")),
                             items.join('|'),
                             elementPropertyOf(object, "inverted").toString(),
                             elementPropertyOf(object, "default_setdef").toStringList().join(';'),
                             elementPropertyOf(object, "default_setdefinv").toStringList().join(';')}
                     .join(QStringLiteral(" / "));
    }
    lines.sort();
    QStringList variables = panel->registries().variablesByName.keys();
    variables.sort();
    lines << "variables: " + variables.join(',');
    QString min;
    QString max;
    panel->header().getFWVersionRange(min, max);
    lines << "header: " + QStringList{panel->header().xmlVersion, min, max, panel->header().svdFile, panel->header().ioPortName,
                                      panel->header().ioPortSettings, QString::number(panel->header().loadSaveAllowed),
                                      QString::number(panel->toolTipSections())}
                              .join(',');
    lines << "elements: " + QString::number(panel->getAllElements().size())
        + ", invisible: " + QString::number(panel->registries().invisibleElements.size());
    return lines.join('\n');
}

bool TestPanelRoundTrip::openAndSave(const QString &folder, const QString &file, Opened *out)
{
    env->installPrompt({});
    window->setWorkingDir(folder);
    if (!window->open(QDir(folder).filePath(file)))
        return false;
    window->initLoadedConfiguration(true);
    out->description = describe(window->panel());
    if (!window->exportHeaderFiles(true))
        return false;
    for (const QFileInfo &header : QDir(folder).entryInfoList({QStringLiteral("*.h")}, QDir::Files)) {
        QFile in(header.filePath());
        if (!in.open(QIODevice::ReadOnly))
            return false;
        out->headers.insert(header.fileName(), in.readAll());
    }
    auto *area = qobject_cast<QScrollArea *>(window->centralWidget());
    if (!area)
        return false;
    PanelXmlWriter writer(window->panel(), area->widget());
    out->saved = writer.toXml();
    return writer.warnings().isEmpty();
}

static void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &info : QDir(from).entryInfoList(QDir::Files))
        QFile::copy(info.filePath(), QDir(to).filePath(info.fileName()));
}

void TestPanelRoundTrip::savedPanelOpensAsTheSamePanel()
{
    QFETCH(QString, source);
    QFETCH(QString, body);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath("first");
    const QString second = dir.filePath("second");
    const QString third = dir.filePath("third");
    QString file = QStringLiteral("panel.xml");
    for (const QString &folder : {first, second, third})
        copyFolder(QStringLiteral(QUILLMATE_EXAMPLES), folder);
    if (source.isEmpty())
        QVERIFY(!writeTestFile(QDir(first).filePath(file), signedPanelText(body)).isEmpty());
    else
        file = QFileInfo(source).fileName();

    Opened original;
    QVERIFY(openAndSave(first, file, &original));
    QVERIFY(!writeTestFile(QDir(second).filePath(file), original.saved).isEmpty());
    Opened reopened;
    QVERIFY(openAndSave(second, file, &reopened));
    if (qEnvironmentVariableIsSet("ROUNDTRIP_DUMP")) {
        writeTestFile(QDir(qEnvironmentVariable("ROUNDTRIP_DUMP")).filePath(file + ".1"), original.saved);
        writeTestFile(QDir(qEnvironmentVariable("ROUNDTRIP_DUMP")).filePath(file + ".2"), reopened.saved);
    }

    QCOMPARE(reopened.description, original.description);
    QCOMPARE(reopened.headers.keys(), original.headers.keys());
    for (const QString &name : original.headers.keys())
        QVERIFY2(reopened.headers.value(name) == original.headers.value(name), qPrintable(name));
    // The saved panel is a fixed point of open and save.
    QCOMPARE(QString::fromUtf8(reopened.saved), QString::fromUtf8(original.saved));
    // Signed: the checksum stands for the text after it.
    QByteArray plain = original.saved;
    plain.replace('\r', QByteArray());
    const int start = plain.indexOf("<checksum>") + 10;
    QCOMPARE(plain.mid(start, 64), PanelXmlReader::checksumOf(plain));
}

QTEST_MAIN(TestPanelRoundTrip)
#include "tst_panelroundtrip.moc"
