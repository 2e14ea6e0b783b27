// ASSERT, ASSERTTABLEVALUE, ASSERTLOCK and ASSERTENABLED: each prints one
// verdict and counts the failures that EXIT returns.
#include "activeelement.h"
#include "dataclass.h"
#include "numberliteral.h"
#include "scriptengine.h"
#include "scripthost.h"

#include <cmath>

static constexpr int registerValueSelector = 255;

// The plain line goes to the output log, the HTML line to the console.
static void verdict(ScriptEngine &engine, bool ok, const QString &plain, const QString &html)
{
    if (!ok)
        engine.addFailedAssert();
    engine.writeOutputLog(plain);
    engine.consolePrint(html);
}

// Why an assertion could not be evaluated, for its FAILED line.
static QString reasonText(const QString &reason, const ScriptCall &call)
{
    return QStringLiteral(" (%1, line %2)").arg(reason, QString::number(call.lineNumber));
}

static QString okText(bool ok)
{
    return ok ? QStringLiteral("OK") : QStringLiteral("FAILED");
}

static QString htmlVerdict(bool ok)
{
    return ok ? QStringLiteral("<font color=\"green\">OK</b></font><br>")
              : QStringLiteral("<font color=\"red\">FAILED</b></font><br>");
}

// The console verdict, with the reason when the assertion could not be evaluated.
static QString failedWith(bool ok, const QString &reason)
{
    if (ok || reason.isEmpty())
        return htmlVerdict(ok);
    return QStringLiteral("<font color=\"red\">FAILED</b></font>%1<br>").arg(reason.toHtmlEscaped());
}

static int fieldSelector(const QString &text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("value"))
        return KeywordValue;
    if (word == QLatin1String("definevalue"))
        return KeywordDefineValue;
    if (word == QLatin1String("label"))
        return KeywordLabel;
    if (word == QLatin1String("index"))
        return KeywordIndex;
    if (word == QLatin1String("typeinfo"))
        return KeywordTypeInfo;
    if (word == QLatin1String("registervalue"))
        return registerValueSelector;
    // The number forms; any other number selects the value.
    switch (word.toInt()) {
    case 1: return KeywordDefineValue;
    case 2: return KeywordLabel;
    case 3: return KeywordIndex;
    case 4: return KeywordTypeInfo;
    case 5: return registerValueSelector;
    default: return KeywordValue;
    }
}

// The numeric comparison: actual cut to the decimals of expected, then read
// as any number literal; expected is read as a plain number. A side that is
// no number fails the comparison.
static bool numericEqual(QString &actual, const QString &expected)
{
    const int dot = expected.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const int decimals = expected.size() - dot - 1;
        const int actualDot = actual.indexOf(QLatin1Char('.'));
        if (actualDot >= 0 && actual.size() - actualDot - 1 > decimals)
            actual = actual.left(actualDot + 1 + decimals);
    }
    actual = parseNumberLiteral(actual);
    bool actualOk = false;
    bool expectedOk = false;
    const double a = actual.toDouble(&actualOk);
    const double e = expected.toDouble(&expectedOk);
    return actualOk && expectedOk && std::fabs(a - e) < 0.00001;
}

static bool assertValue(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    const QString name = call.parameter(0);
    const int selector = fieldSelector(call.parameter(1));
    QString expected = call.parameter(2).trimmed();

    auto print = [&](bool ok, const QString &actual, const QString &reason = QString()) {
        verdict(engine, ok, QStringLiteral("Assert(%1(%2) == %3) %4%5\n").arg(name, actual, expected, okText(ok), reason),
                QStringLiteral("Assert(%1(%2)<b> ==  %3) %4")
                    .arg(name.toHtmlEscaped(), actual.toHtmlEscaped(), expected.toHtmlEscaped(),
                         failedWith(ok, reason)));
    };

    if (DataClass *variable = host->scriptVariables().value(name)) {
        const uint actual = variable->value();
        bool isNumber = false;
        const uint wanted = expected.toUInt(&isNumber);
        print(isNumber && actual == wanted, QString::number(actual));
        return true;
    }
    ActiveElement *element = host->elementByDefine(name);
    if (!element) {
        // Nothing to compare: the assertion cannot hold.
        print(false, QString(), reasonText(QStringLiteral("no element or variable %1").arg(name), call));
        return true;
    }
    const QString typeName = element->value(KeywordTypeInfo, 1);
    QString actual;
    if (selector == registerValueSelector) {
        QObject *object = objectOf(element);
        if (!object || !host->registerValueText(object->objectName(), &actual)) {
            // No register to read: the assertion cannot hold.
            print(false, QString(), reasonText(QStringLiteral("no register for %1").arg(name), call));
            return true;
        }
    } else {
        actual = element->value(selector, 0);
    }
    if (ActiveElement *other = host->elementByDefine(expected))
        expected = other->value(KeywordValue, 1);

    bool ok;
    if (selector == KeywordLabel || selector == KeywordTypeInfo) {
        ok = actual.compare(expected, Qt::CaseInsensitive) == 0;
    } else if (typeName == QLatin1String("LineEdit") || typeName == QLatin1String("EditBox")) {
        ok = actual == expected;
    } else {
        expected = expected.trimmed();
        ok = numericEqual(actual, expected);
    }
    print(ok, actual);
    return true;
}

static bool assertTableValue(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    const QString name = call.parameter(0);
    const QString row = call.parameter(1);
    const QString column = call.parameter(2);
    QString expected = call.parameter(3);
    QString cell;
    bool numeric = false;
    bool inRange = true;
    QString reason;
    if (!host->tableCell(name, row.trimmed().toInt(), column.trimmed().toInt(), &cell, &numeric, &inRange))
        reason = reasonText(QStringLiteral("no table %1").arg(name), call);
    else if (!inRange)
        reason = reasonText(QStringLiteral("no cell %1, %2 in %3").arg(row.trimmed(), column.trimmed(), name), call);
    bool ok = false;
    if (reason.isEmpty()) {
        ok = cell.compare(expected, Qt::CaseInsensitive) == 0;
        if (!ok && numeric) {
            cell = parseNumberLiteral(cell);
            expected = parseNumberLiteral(expected);
            ok = cell.compare(expected, Qt::CaseInsensitive) == 0;
        }
    }
    const QString plain = ok ? QStringLiteral("AssertTableValue(%1, %2, %3, %4) == %5) OK%6\n")
                             : QStringLiteral("AssertTableValue(%1, %2, %3, %4) == %5 FAILED%6\n");
    verdict(engine, ok, plain.arg(name, row, column, expected, cell, reason),
            QStringLiteral("AssertTableValue(%1, %2, %3, %4)<b> ==  %5) %6")
                .arg(name.toHtmlEscaped(), row.toHtmlEscaped(), column.toHtmlEscaped(), expected.toHtmlEscaped(),
                     cell.toHtmlEscaped(), failedWith(ok, reason)));
    return true;
}

static QString strippedReference(QString name)
{
    return stripKeywordSuffix(name, keywordSuffixIndexOf(name));
}

static bool assertLock(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    const QString name = strippedReference(call.parameter(0));
    const QString expected = call.parameter(1);
    ActiveElement *element = host->elementByDefine(name);
    const QString reason = element ? QString() : reasonText(QStringLiteral("no element %1").arg(name), call);
    // An element that does not exist is no proof either way: the check fails.
    const bool ok = element && element->isLocked() == (expected.toInt() != 0);
    verdict(engine, ok, QStringLiteral("AssertLock(%1 == %2) %3%4\n").arg(name, expected, okText(ok), reason),
            QStringLiteral("AssertLock(%1<b> ==  %2) %3")
                .arg(name.toHtmlEscaped(), expected.toHtmlEscaped(), failedWith(ok, reason)));
    return true;
}

static bool assertEnabled(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptHost *host = engine.host();
    if (!host)
        return true;
    const QString name = strippedReference(call.parameter(0));
    const QString expected = call.parameter(1);
    ActiveElement *element = host->elementByDefine(name);
    const QString reason = element ? QString() : reasonText(QStringLiteral("no element %1").arg(name), call);
    // An element that does not exist proves nothing: the check fails.
    const bool ok = element && host->elementEnabled(objectOf(element)) == (expected.toInt() != 0);
    verdict(engine, ok, QStringLiteral("AssertEnabled(%1 == %2) %3%4\n").arg(name, expected, okText(ok), reason),
            QStringLiteral("AssertEnabled(%1<b> ==  %2) %3")
                .arg(name.toHtmlEscaped(), expected.toHtmlEscaped(), failedWith(ok, reason)));
    return true;
}

QVector<ScriptCommand> assertionCommands()
{
    return {
        {QStringLiteral("ASSERT"), 3, assertValue},
        {QStringLiteral("ASSERTTABLEVALUE"), 4, assertTableValue},
        {QStringLiteral("ASSERTLOCK"), 2, assertLock},
        {QStringLiteral("ASSERTENABLED"), 2, assertEnabled},
    };
}
