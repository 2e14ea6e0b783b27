// What the panel reader hands to Python, seen through a bridge of our own
// that records it: the usesPython header element starts Python (a start that
// fails ends the read with the "Python integration" warning), and the
// builders publish elements, push buttons, variables, LEDs, images, texts and
// timers under their defines with "." turned into "_" once Python runs.
#include "pythonbridge.h"
#include "readerfixture.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

class RecordingBridge final : public PythonBridge
{
public:
    bool startPython(QString *error) override
    {
        ++starts;
        if (!canStart) {
            *error = QStringLiteral("no interpreter here");
            return false;
        }
        started = true;
        return true;
    }
    bool pythonStarted() const override { return started; }
    void addObject(const QString &name, QObject *object, const QString &define) override
    {
        published.insert(name, QStringLiteral("%1 %2").arg(QLatin1String(object->metaObject()->className()), define));
    }

    bool canStart = true;
    bool started = false;
    int starts = 0;
    QMap<QString, QString> published; // Python name -> "class define"
};

const char elements[] =
    "<checkbox define=\"A.B\"/>"
    "<spinbox define=\"SP\" range=\"0;9\"/>"
    "<combo define=\"CO\"><item label=\"x\" value=\"1\"/></combo>"
    "<radio define=\"RG\"><radiobutton label=\"a\"/></radio>"
    "<edit define=\"ED\"/>"
    "<button define=\"PB.GO\" label=\"Go\"/>"
    "<button label=\"no define\"/>"
    "<var define=\"V.X\"/>"
    "<led define=\"L.1\" data=\"SP\"/>"
    "<led data=\"SP\"/>"
    "<image define=\"IM\" file=\"none.png\"/>"
    "<text define=\"TX\" label=\"t\"/>"
    "<text label=\"plain\"/>"
    "<timer define=\"TM\" interval=\"10\"/>"
    "<timer visible=\"false\" interval=\"10\"/>";

} // namespace

class TestPythonPublish : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void publishedUnderTheirDefines();
    void nothingIsPublishedWithoutPython();
    void aStartThatFailsEndsTheRead();
    void withoutABridgeThePanelIsNotRead();

private:
    bool read(const QString &header);
    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RecordingBridge> bridgeOwner;
    RecordingBridge *b = nullptr;
};

void TestPythonPublish::init()
{
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    bridgeOwner = std::make_unique<RecordingBridge>();
    b = bridgeOwner.get();
    fx->panel.python().setBridge(b);
}

void TestPythonPublish::cleanup()
{
    fx.reset();
    dir.reset();
    bridgeOwner.reset();
}

bool TestPythonPublish::read(const QString &header)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                             verticalPanelText(QLatin1String(elements), header));
}

void TestPythonPublish::publishedUnderTheirDefines()
{
    QVERIFY(read(QStringLiteral("<usesPython/>")));
    QCOMPARE(b->starts, 1);
    const QMap<QString, QString> expected{
        {QStringLiteral("A_B"), QStringLiteral("CheckBox A.B")},
        {QStringLiteral("SP"), QStringLiteral("SpinBox SP")},
        {QStringLiteral("CO"), QStringLiteral("ComboBox CO")},
        {QStringLiteral("ED"), QStringLiteral("LineEdit ED")},
        {QStringLiteral("PB_GO"), QStringLiteral("PushButton PB.GO")},
        {QStringLiteral("V_X"), QStringLiteral("DataClass V.X")},
        {QStringLiteral("L_1"), QStringLiteral("Led L.1")},
        {QStringLiteral("IM"), QStringLiteral("Image IM")},
        {QStringLiteral("TX"), QStringLiteral("Text TX")},
        {QStringLiteral("TM"), QStringLiteral("TimerLabel TM")},
    };
    // The radio group is no widget; nothing without a define is published.
    QCOMPARE(b->published, expected);

    // A later panel repeats the start (Python itself starts once) and is
    // published as well, with or without usesPython.
    b->published.clear();
    QVERIFY(read(QString()));
    QCOMPARE(b->starts, 1);
    QCOMPARE(b->published.size(), expected.size());
    QVERIFY(read(QStringLiteral("<usesPython/>")));
    QCOMPARE(b->starts, 2);
}

void TestPythonPublish::nothingIsPublishedWithoutPython()
{
    QVERIFY(read(QString()));
    QCOMPARE(b->starts, 0);
    QVERIFY(b->published.isEmpty());
    QVERIFY(!fx->transcript().join(QLatin1Char('\n')).contains(QStringLiteral("Python integration")));
}

void TestPythonPublish::aStartThatFailsEndsTheRead()
{
    b->canStart = false;
    QVERIFY(!read(QStringLiteral("<usesPython/>")));
    QCOMPARE(b->starts, 1);
    QVERIFY(b->published.isEmpty());
    QVERIFY(!fx->root());
    QVERIFY2(fx->transcript().join(QLatin1Char('\n')).contains(QStringLiteral("Python integration")),
             qPrintable(fx->transcript().join(QLatin1Char('\n'))));
    QVERIFY2(fx->consoleText().contains(QStringLiteral("Python Error: no interpreter here")),
             qPrintable(fx->consoleText()));
}

void TestPythonPublish::withoutABridgeThePanelIsNotRead()
{
    fx->panel.python().setBridge(nullptr);
    QVERIFY(!read(QStringLiteral("<usesPython/>")));
    QVERIFY(fx->transcript().join(QLatin1Char('\n')).contains(QStringLiteral("The script can not be executed.")));
    QVERIFY(read(QString()));
}

QTEST_MAIN(TestPythonPublish)
#include "tst_pythonpublish.moc"
