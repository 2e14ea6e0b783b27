// Random and mutated script lines and files for the interpreter, run under
// AddressSanitizer and UndefinedBehaviorSanitizer. A fixed seed keeps every
// run the same; the counts keep it to a few seconds. Commands that wait or
// end the process are taken out of the generated lines.
#include "dataclass.h"
#include "errorreporter.h"
#include "fakeelement.h"
#include "scriptengine.h"
#include "scripttesthost.h"
#include "testenvironment.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *const seeds[] = {
    "VERSION()", "DUMPVARIABLES", "DUMPOBJECTS()", "DUMPALL(all.txt)", "DUMP(A, 2)", "DUMP(V, 0)",
    "LOGSETDEFS(1)", "SETTRIGGER(1)", "GENERATETESTINPUT(gen.script, 3)", "SETOUTPUTOPTIONS(1,)",
    "SETSINGLESTEP(0)", "SETTYKLOGGING(1, 0, tyk.log)", "SETTYKCHECK(1, 1)", "LOOPSTART(V, 0, 1, 3)",
    "LOOPSTOP", "DIRLOOPSTART(*.txt)", "DIRLOOPSTOP", "MessageBox(a // b)", "ASSERT(A, value, 1)",
    "ASSERT(A, registervalue, 0x10)", "ASSERT(V, label, 5)", "ASSERTTABLEVALUE(A, 1, 2, x)",
    "ASSERTLOCK(A.label, 1)", "ASSERTENABLED(B, 0)", "// comment", "NOSUCH(1)", "SET (a, 1)",
    "ASSERT(A, 99, 1.5)", "ASSERT(B, value, 10.123)", "DUMP(,)", "((((", "))))", "\"unterminated",
};

const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcxyz0123456789(),;/ .-_$*\"\\\t");

class Fuzzer
{
public:
    explicit Fuzzer(quint32 seed) : m_random(seed) {}
    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }

    QChar randomChar()
    {
        const int kind = below(10);
        if (kind < 7)
            return alphabet.at(below(alphabet.size()));
        if (kind < 9)
            return QChar(ushort(32 + below(95)));
        return QChar(ushort(below(0x10000)));
    }

    QString randomText(int maxLength)
    {
        QString text;
        const int length = below(maxLength + 1);
        for (int i = 0; i < length; ++i)
            text += randomChar();
        return text;
    }

    QString mutate(QString text)
    {
        const int edits = 1 + below(4);
        for (int i = 0; i < edits; ++i) {
            const int at = below(text.size() + 1);
            switch (below(4)) {
            case 0: text.insert(at, randomChar()); break;
            case 1: text.remove(at, 1 + below(3)); break;
            case 2: text.insert(at, text.mid(below(text.size()), below(8))); break;
            default: text.insert(at, QString::number(qint64(m_random.generate64()))); break;
            }
        }
        return text;
    }

    QString line()
    {
        switch (below(4)) {
        case 0: return randomText(60);
        case 1: return QString::fromLatin1(seeds[below(int(std::size(seeds)))]);
        default: return mutate(QString::fromLatin1(seeds[below(int(std::size(seeds)))]));
        }
    }

private:
    QRandomGenerator m_random;
};

// Lines that would wait, ask, or end the process have no place in a bounded pass;
// loops only with small numbers.
bool allowed(const QString &line)
{
    const QString text = line.trimmed().toUpper();
    for (const char *keyword : {"WAIT", "SETWAITTIME", "EXIT", "SETSINGLESTEP", "MESSAGEBOX"}) {
        if (text.startsWith(QLatin1String(keyword)))
            return false;
    }
    static const QRegularExpression smallLoop(QStringLiteral("^LOOPSTART\\(\\w*, ?\\d{1,2}, ?[1-9], ?\\d{1,2}\\)$"));
    if (text.startsWith(QLatin1String("LOOPSTART")))
        return smallLoop.match(line.trimmed()).hasMatch();
    return true;
}

} // namespace

class FuzzScriptEngine : public QObject
{
    Q_OBJECT

private slots:
    void randomLinesNeverCrash();
    void randomFilesNeverCrashOrHang();
    void longAndBinaryLines();
};

static void setUpHost(ScriptTestHost &host, QList<QObject *> &owned)
{
    auto *a = new FakeElement("A");
    a->values[0] = "0x10";
    a->values[4] = "SpinBox";
    auto *b = new FakeElement("B");
    b->values[0] = "text";
    b->values[4] = "LineEdit";
    auto *v = new DataClass("V");
    owned << a << b << v;
    host.add("A", a);
    host.add("B", b);
    host.variables.insert("V", v);
}

void FuzzScriptEngine::randomLinesNeverCrash()
{
    TestEnvironment env;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ScriptTestHost host;
    QList<QObject *> owned;
    setUpHost(host, owned);
    ScriptEngine engine;
    engine.setHost(&host);
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([&host](const QString &html) { host.console << html; });
    Fuzzer fuzzer(20261210);
    int ran = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString line = fuzzer.line();
        if (!allowed(line))
            continue;
        engine.executeLine(line, fuzzer.below(70000) - 2);
        if (host.console.size() > 1000)
            host.console.clear();
        ++ran;
    }
    ErrorReporter::instance().setConsoleSink(nullptr);
    closeLogFile();
    qDeleteAll(owned);
    QVERIFY(ran > 10000);
}

void FuzzScriptEngine::randomFilesNeverCrashOrHang()
{
    TestEnvironment env;
    QTemporaryDir dir;
    ScriptTestHost host;
    QList<QObject *> owned;
    setUpHost(host, owned);
    ScriptEngine engine;
    engine.setHost(&host);
    engine.addCommands({{"RUNFILE", 1, [](ScriptEngine &e, const ScriptCall &call) {
                             e.runFile(call.parameter(0));
                             return true;
                         }}});
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([&host](const QString &html) { host.console << html; });
    Fuzzer fuzzer(7);
    for (int i = 0; i < 300; ++i) {
        QStringList lines;
        const int count = 1 + fuzzer.below(20);
        // One nested run per file keeps the runs a chain, bounded by the depth.
        bool nested = false;
        while (lines.size() < count) {
            const bool nest = !nested && fuzzer.below(10) == 0;
            nested = nested || nest;
            const QString line = nest ? QStringLiteral("RUNFILE(f%1.script)").arg(fuzzer.below(5)) : fuzzer.line();
            if (allowed(line) && !line.contains('\n') && !line.contains('\r'))
                lines << line;
        }
        QFile file(dir.filePath(QStringLiteral("f%1.script").arg(i % 5)));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n').toUtf8());
        file.close();
        engine.runFile(file.fileName());
        QCOMPARE(engine.runDepth(), 0);
        host.console.clear();
    }
    ErrorReporter::instance().setConsoleSink(nullptr);
    closeLogFile();
    qDeleteAll(owned);
}

void FuzzScriptEngine::longAndBinaryLines()
{
    TestEnvironment env;
    ScriptTestHost host;
    ScriptEngine engine;
    engine.setHost(&host);
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([&host](const QString &html) { host.console << html; });
    const QString longLine = "ASSERT(" + QString(200000, 'x') + "," + QString(100000, ',') + ")";
    QVERIFY(!engine.executeLine(longLine, 1)); // the second parameter is empty
    QVERIFY(host.console.last().contains("Missing parameter"));
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char(i * 37 % 256));
    engine.executeLine(QString::fromLatin1(junk), 1);
    QVERIFY(engine.executeLine(QString(50000, '('), 1));
    engine.runText(QString(10000, ';'));
    ErrorReporter::instance().setConsoleSink(nullptr);
}

QTEST_MAIN(FuzzScriptEngine)
#include "fuzz_scriptengine.moc"
