// The script engine on its own: comments, the unknown-command line, files,
// ";"-separated action texts, and the macro recorder.
#include "errorreporter.h"
#include "scriptengine.h"
#include "testenvironment.h"

#include <QTemporaryDir>
#include <QtTest>

class TestScriptEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void commentsAreEchoedAndUnknownCommandsReported();
    void filesRunLineByLineAndKnowTheirName();
    void unreadableFileIsReported();
    void actionTextsRunEachPart();
    void recorderWritesOnlyWithAStreamAndAddsTheComment();

private:
    QStringList echoed;  // what the engine echoes itself (comments, recorder)
    QStringList console; // the error reporter's console sink
    std::unique_ptr<TestEnvironment> env;
    ScriptEngine engine;
};

void TestScriptEngine::init()
{
    env = std::make_unique<TestEnvironment>();
    echoed.clear();
    console.clear();
    engine.setEcho([this](const QString &html) { echoed << html; });
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { console << html; });
}

void TestScriptEngine::cleanup()
{
    ErrorReporter::instance().setConsoleSink(nullptr);
    engine.recorder().stop();
    engine.recorder().setComment(QString());
}

void TestScriptEngine::commentsAreEchoedAndUnknownCommandsReported()
{
    QVERIFY(engine.executeLine("   // only a note <b>", 3));
    QCOMPARE(echoed, QStringList{"// only a note &lt;b&gt;<br>"});
    QVERIFY(console.isEmpty());

    QVERIFY(engine.executeLine("WAIT(5) // later", 7));
    QCOMPARE(echoed.last(), QStringLiteral("// later<br>"));
    QCOMPARE(console,
             QStringList{"<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: WAIT(5) in line "
                         "WAIT(5) // later <b><a href=\"$xmlopen$$-n7$-c1\">file</a> line 7</b><b><br>"});
    QVERIFY(engine.executeLine("   ", 8)); // nothing to do
    QCOMPARE(console.size(), 1);
}

void TestScriptEngine::filesRunLineByLineAndKnowTheirName()
{
    const QString path = env->path("run.script");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("// first\nLOAD(a.xml)\n");
    file.close();

    QVERIFY(engine.runFile(path));
    QCOMPARE(echoed, QStringList{"// first<br>"});
    QCOMPARE(console.size(), 1);
    // The position links to the running file, its colons written for a link.
    QVERIFY(console.first().contains(QStringLiteral("$xmlopen$%1$-n2$-c1").arg(QFileInfo(path).absoluteFilePath())));
    QVERIFY(engine.scriptFile().isEmpty()); // outside a run again
}

void TestScriptEngine::unreadableFileIsReported()
{
    QVERIFY(!engine.runFile(env->path("missing.script")));
    QCOMPARE(console.size(), 1);
    QVERIFY(console.first().startsWith(QStringLiteral("Cannot open file ")));
}

void TestScriptEngine::actionTextsRunEachPart()
{
    engine.runText("A(1);// two;B(2)");
    QCOMPARE(echoed, QStringList{"// two<br>"});
    QCOMPARE(console.size(), 2);
    QVERIFY(console.at(0).contains("Unknown command: A(1) ") && console.at(0).contains("line 0</b>"));
    QVERIFY(console.at(1).contains("Unknown command: B(2) ") && console.at(1).contains("line 2</b>"));
}

void TestScriptEngine::recorderWritesOnlyWithAStreamAndAddsTheComment()
{
    MacroRecorder &recorder = engine.recorder();
    QVERIFY(!recorder.isRecording());
    recorder.record("Set(A, 1)", "Set(A, 1)");
    QVERIFY(echoed.isEmpty());

    QString recorded;
    recorder.stream().setString(&recorded);
    recorder.setComment("step <1>");
    recorder.record("Set(A, 0x10)", "Set(A, 16)");
    QCOMPARE(recorded, QStringLiteral("Set(A, 0x10)//step <1>\n"));
    QCOMPARE(echoed, QStringList{"Set(A, 16)//step &lt;1&gt;<br>"});

    recorder.stop();
    QVERIFY(!recorder.isRecording());
}

QTEST_MAIN(TestScriptEngine)
#include "tst_scriptengine.moc"
