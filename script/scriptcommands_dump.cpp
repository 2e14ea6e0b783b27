// VERSION, the dumps of variables and elements, LOGSETDEFS and the
// generator of random test input.
#include "activeelement.h"
#include "dataclass.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "scriptengine.h"
#include "scripthost.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cmath>

// Fills %1 .. %n of pattern in one pass, so that a value holding "%" is
// never taken for a placeholder.
static QString fillPlaceholders(const QString &pattern, const QStringList &values)
{
    QString result;
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == QLatin1Char('%') && i + 1 < pattern.size() && pattern.at(i + 1).isDigit()) {
            int number = pattern.at(i + 1).digitValue();
            int length = 2;
            if (i + 2 < pattern.size() && pattern.at(i + 2).isDigit()) {
                const int two = number * 10 + pattern.at(i + 2).digitValue();
                if (two >= 1 && two <= values.size()) {
                    number = two;
                    length = 3;
                }
            }
            if (number >= 1 && number <= values.size()) {
                result += values.at(number - 1);
                i += length - 1;
                continue;
            }
        }
        result += pattern.at(i);
    }
    return result;
}

static QString nameOf(ActiveElement *element)
{
    QObject *object = objectOf(element);
    return object ? object->objectName() : QString();
}

static bool version(ScriptEngine &engine, const ScriptCall &)
{
    if (!engine.host())
        return true;
    QStringList texts = engine.host()->versionTexts();
    while (texts.size() < 10)
        texts.append(QString());
    for (QString &text : texts)
        text = text.toHtmlEscaped();
    engine.consolePrint(fillPlaceholders(
        QStringLiteral("Version    : %1<br>Executable : %2<br>Current dir: %3<br>Script dir : %4<br>"
                       "Work dir   : %5<br>XML dir    : %6<br>Tyk dir    : %7<br>Current XML: %8<br>"
                       "Current svd: %9<br>Current mig: %10<br>"),
        texts));
    return true;
}

static bool dumpVariables(ScriptEngine &engine, const ScriptCall &)
{
    if (!engine.host())
        return true;
    const QHash<QString, DataClass *> variables = engine.host()->scriptVariables();
    for (auto it = variables.cbegin(); it != variables.cend(); ++it) {
        if (it.value())
            engine.consolePrint(QStringLiteral("%1 == %2<br>").arg(it.key().toHtmlEscaped(), QString::number(it.value()->value())));
    }
    return true;
}

static bool dumpObjects(ScriptEngine &engine, const ScriptCall &)
{
    if (!engine.host())
        return true;
    for (ActiveElement *element : engine.host()->scriptElements()) {
        engine.consolePrint(QStringLiteral("%1(%2) == %3<br>")
                                .arg(nameOf(element).toHtmlEscaped(), element->value(KeywordTypeInfo, 1).toHtmlEscaped(),
                                     element->value(KeywordValue, 1).toHtmlEscaped()));
        QCoreApplication::processEvents();
    }
    return true;
}

static bool dump(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    const QString name = call.parameter(0);
    if (DataClass *variable = host->scriptVariables().value(name)) {
        engine.consolePrint(QStringLiteral("Dump(%1<b>) == %2<br>").arg(name.toHtmlEscaped(), QString::number(variable->value())));
        return true;
    }
    static const int keywords[] = {KeywordValue, KeywordDefineValue, KeywordLabel, KeywordIndex, KeywordTypeInfo};
    static const char *const words[] = {"Value", "DefineValue", "Label", "Index", "TypeInfo"};
    int kind = call.parameter(1).toInt();
    if (kind < 0 || kind > 4)
        kind = 0;
    ActiveElement *element = nullptr;
    for (ActiveElement *candidate : host->scriptElements()) {
        if (nameOf(candidate) == name) {
            element = candidate;
            break;
        }
    }
    if (!element)
        return true;
    const QString lockedBy = element->lockedByNames().join(QStringLiteral(", "));
    const QString locking = element->lockingNames().join(QStringLiteral(", "));
    const QString part4 = lockedBy.isEmpty() ? QStringLiteral(" ") : QStringLiteral("Locked by: ") + lockedBy;
    const QString part5 = locking.isEmpty() ? QStringLiteral(" ") : QStringLiteral("Locking: ") + locking;
    engine.consolePrint(QStringLiteral("Dump(%1.%2<b>) == %3 <font color=\"red\">  %4 %5</b></font><br>")
                            .arg(name.toHtmlEscaped(), QLatin1String(words[kind]),
                                 element->value(keywords[kind], 1).toHtmlEscaped(), part4.toHtmlEscaped(),
                                 part5.toHtmlEscaped()));
    return true;
}

static bool dumpAll(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    QFile file(call.parameter(0));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text)) {
        reportCannotOpenFile(call.parameter(0), file.errorString());
        return true;
    }
    QList<ActiveElement *> elements = host->scriptElements();
    std::stable_sort(elements.begin(), elements.end(),
                     [](ActiveElement *a, ActiveElement *b) { return nameOf(a) < nameOf(b); });
    QTextStream out(&file);
    for (ActiveElement *element : qAsConst(elements)) {
        out << QStringLiteral("%1(%2) == %3 (%4/%5)\n")
                   .arg(nameOf(element), element->value(KeywordTypeInfo, 1), element->value(KeywordValue, 1),
                        element->isLocked() ? QStringLiteral("L") : QStringLiteral("U"),
                        host->elementEnabled(objectOf(element)) ? QStringLiteral("E") : QStringLiteral("D"));
    }
    const QHash<QString, DataClass *> variables = host->scriptVariables();
    QStringList names;
    for (auto it = variables.cbegin(); it != variables.cend(); ++it) {
        if (it.key() != QLatin1String("$ADDRESS$") && it.key() != QLatin1String("$FUNC$")
            && it.key() != QLatin1String("$VALUE$") && it.key() != QLatin1String("dummy_define") && it.value())
            names.append(it.key());
    }
    std::sort(names.begin(), names.end());
    for (const QString &name : qAsConst(names))
        out << name << " == " << variables.value(name)->value() << '\n';
    out.flush();
    file.close();
    return true;
}

static bool logSetDefs(ScriptEngine &engine, const ScriptCall &call)
{
    if (engine.host())
        engine.host()->setLogSetDefs(call.parameter(0).toInt() != 0);
    return true;
}

// The test-input generator's own 15-bit sequence: the same seed gives the
// same draws on every platform, each in 0..32767.
class TestInputRandom
{
public:
    explicit TestInputRandom(quint32 seed) : m_state(seed) {}
    quint32 draw()
    {
        m_state = m_state * 1103515245u + 12345u;
        return (m_state / 65536u) % 32768u;
    }
    // A fraction 0 <= r < 1.
    double fraction() { return draw() / 32768.0; }

private:
    quint32 m_state;
};

static qint64 randomInRange(TestInputRandom &random, double lo, double hi)
{
    return qint64(std::trunc(random.fraction() * (hi - lo) + lo));
}

static bool generateTestInput(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    TestInputRandom random(call.parameter(1).trimmed().toUInt());
    QFile file(call.parameter(0));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text)) {
        reportCannotOpenFile(call.parameter(0), file.errorString());
        return true;
    }
    QTextStream out(&file);
    auto set = [&out](const QString &name, qint64 value) {
        out << "Set(" << name << ", " << QString::number(value) << ")\n";
    };
    for (ActiveElement *element : host->scriptElements()) {
        QObject *object = objectOf(element);
        if (!object)
            continue;
        const QString name = object->objectName();
        for (const TestInputLine &line : element->testInputLines()) {
            if (line.form == TestInputLine::Click)
                out << (random.draw() % 2 ? "//Clicked(" : "Clicked(") << name << ")\n";
            else
                set(name, randomInRange(random, line.low, line.high));
        }
        if (holdsText(object))
            out << "Set(" << name << ", TestText)\n";
    }
    out.flush();
    file.close();
    return true;
}

QVector<ScriptCommand> dumpCommands()
{
    return {
        {QStringLiteral("VERSION"), 0, version},
        {QStringLiteral("DUMPVARIABLES"), 0, dumpVariables},
        {QStringLiteral("DUMPOBJECTS"), 0, dumpObjects},
        {QStringLiteral("DUMPALL"), 1, dumpAll},
        {QStringLiteral("DUMP"), 2, dump},
        {QStringLiteral("LOGSETDEFS"), 1, logSetDefs},
        {QStringLiteral("GENERATETESTINPUT"), 1, generateTestInput},
    };
}
