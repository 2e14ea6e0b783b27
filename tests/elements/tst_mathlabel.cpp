// The formula label: its display formats, keywords and actions, and the
// panel's formula refresh that feeds it (range check, circles, worker threads).
#include "dataclass.h"
#include "elementfixture.h"
#include "expression.h"
#include "mathlabel.h"

#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <limits>

class TestMathLabel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The label on its own
    void shownValues_data();
    void shownValues();
    void unusableFormatsFallBack_data();
    void unusableFormatsFallBack();
    void keywordValues();
    void bitRangeSetsTheHighestValue_data();
    void bitRangeSetsTheHighestValue();
    void unnamedLabelsAreCounted();
    void valueChangeRunsEveryActionThenAnnounces();
    void sendUsbWaitsOutItsDelay();
    void resetToDefault_data();
    void resetToDefault();

    // The panel's formula refresh
    void formulaResults_data();
    void formulaResults();
    void rangeCheckWarnsOnceAndClears();
    void labelsFeedLabels();
    void circlesEndAndAreReported();
    void workerThreadValuesArriveInOrder();

private:
    // A label under the test's top widget, hosted by the fixture's panel.
    MathLabel *label(const QString &name, const QByteArray &format);
    // The same with its formula parsed as the reader does it, registered
    // under the formula's names and announcing its changes to the panel.
    MathLabel *formulaLabel(const QString &name, const QString &formula,
                            const QByteArray &format = "%4.2f");
    // A target variable of the panel whose changes refresh the formulas.
    DataClass *variable(const QString &name);

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
};

void TestMathLabel::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestMathLabel::init()
{
    fx->reset();
    top = std::make_unique<QWidget>();
}

void TestMathLabel::cleanup()
{
    top.reset();
    fx->reset();
}

MathLabel *TestMathLabel::label(const QString &name, const QByteArray &format)
{
    auto *math = new MathLabel(name, top.get());
    math->setHost(&fx->panel);
    math->acceptsBitRange(-1, -1);
    math->setFormat(format);
    return math;
}

MathLabel *TestMathLabel::formulaLabel(const QString &name, const QString &formula, const QByteArray &format)
{
    MathLabel *math = label(name, format);
    const ParsedFormula parsed = parseFormula(formula);
    QStringList names = parsed.names;
    names.removeDuplicates();
    math->setPostfixTokens(parsed.postfix);
    math->setLiterals(parsed.numbers);
    math->setVariables(names);
    fx->panel.addMathLabel(names, math);
    fx->panel.wiring().connectToMathLabels(math);
    return math;
}

DataClass *TestMathLabel::variable(const QString &name)
{
    auto *data = new DataClass(name);
    fx->panel.setDataClass(name, data);
    connect(data, &DataClass::updateMathLabels, &fx->panel, &Panel::on_updateMathLabel);
    return data;
}

// ---------------------------------------------------------------------------
// The label on its own

void TestMathLabel::shownValues_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("kind");

    const double infinity = std::numeric_limits<double>::infinity();
    // Binary: grouped by four from the right, after justifying.
    QTest::newRow("binary zero fill") << QByteArray("%08b") << 5.0 << "" << "0000 0101" << int(MathFormatBinary);
    QTest::newRow("binary with text") << QByteArray("Bits %b") << 10.0 << "" << "Bits 1010" << int(MathFormatBinary);
    QTest::newRow("binary blank fill") << QByteArray("%6b") << 5.0 << "" << "    101" << int(MathFormatBinary);
    QTest::newRow("binary groups") << QByteArray("%b") << 4660.0 << "" << "1 0010 0011 0100" << int(MathFormatBinary);
    QTest::newRow("binary of a negative: low 32 bits")
        << QByteArray("%b") << -1.0 << "" << "1111 1111 1111 1111 1111 1111 1111 1111" << int(MathFormatBinary);
    QTest::newRow("binary keeps its zeros") << QByteArray("%b.0") << 4.0 << "" << "100.0" << int(MathFormatBinary);
    // Doubles, and the trailing-zero rule.
    QTest::newRow("fixed half") << QByteArray("%.3f") << 2.5 << "" << "2.5" << int(MathFormatFixed);
    QTest::newRow("fixed whole") << QByteArray("%.3f") << 2.0 << "" << "2" << int(MathFormatFixed);
    QTest::newRow("no point, no cut") << QByteArray("%.0f") << 100.0 << "" << "100" << int(MathFormatFixed);
    QTest::newRow("width kept") << QByteArray("%5.1f") << 10.0 << "" << " 10" << int(MathFormatFixed);
    QTest::newRow("default format") << QByteArray("%4.2f") << 3.14159 << "" << "3.14" << int(MathFormatFixed);
    QTest::newRow("unit after") << QByteArray("%.1f") << 21.5 << "°C" << "21.5°C" << int(MathFormatFixed);
    QTest::newRow("text after the number") << QByteArray("%.1f dB") << 12.5 << "" << "12.5 dB" << int(MathFormatFixed);
    QTest::newRow("percent sign") << QByteArray("%.2f %%") << 50.0 << "" << "50.00 %" << int(MathFormatFixed);
    QTest::newRow("exponent") << QByteArray("%e") << 1500.0 << "" << "1.500000e+03" << int(MathFormatGeneral);
    QTest::newRow("general") << QByteArray("%g") << 0.5 << "" << "0.5" << int(MathFormatGeneral);
    QTest::newRow("long modifier on a double") << QByteArray("%lf") << 1.25 << "" << "1.25" << int(MathFormatFixed);
    // Integers: truncated toward zero, the low 32 bits unless "ll".
    QTest::newRow("decimal with text") << QByteArray("%d bytes") << 10.0 << "" << "10 bytes" << int(MathFormatInteger);
    QTest::newRow("toward zero") << QByteArray("%d") << -3.7 << "" << "-3" << int(MathFormatInteger);
    QTest::newRow("low 32 bits") << QByteArray("%d") << 4294967297.0 << "" << "1" << int(MathFormatInteger);
    QTest::newRow("low 32 bits signed") << QByteArray("%i") << 2147483648.0 << "" << "-2147483648"
                                        << int(MathFormatInteger);
    QTest::newRow("all 64 bits") << QByteArray("%lld") << 4294967297.0 << "" << "4294967297" << int(MathFormatInteger);
    QTest::newRow("unsigned of a negative") << QByteArray("%u") << -1.0 << "" << "4294967295" << int(MathFormatInteger);
    QTest::newRow("beyond 64 bits") << QByteArray("%lld") << 1e30 << "" << "9223372036854775807"
                                    << int(MathFormatInteger);
    QTest::newRow("hex") << QByteArray("%x") << 255.0 << " V" << "0xff V" << int(MathFormatHex);
    QTest::newRow("hex upper, zero fill") << QByteArray("%08X") << 48879.0 << "" << "0x0000BEEF" << int(MathFormatHex);
    QTest::newRow("hex in the format too") << QByteArray("0x%04X") << 255.0 << "" << "0x0x00FF" << int(MathFormatHex);
    // No number stands for these.
    QTest::newRow("infinity fixed") << QByteArray("%4.2f") << infinity << "" << " inf" << int(MathFormatFixed);
    QTest::newRow("infinity decimal") << QByteArray("%d mV") << -infinity << "" << "-inf mV" << int(MathFormatInteger);
    QTest::newRow("nan binary") << QByteArray("%b") << std::nan("") << "" << "nan" << int(MathFormatBinary);
}

void TestMathLabel::shownValues()
{
    QFETCH(QByteArray, format);
    QFETCH(double, value);
    QFETCH(QString, unit);
    QFETCH(QString, shown);
    QFETCH(int, kind);

    MathLabel *math = label("M", format);
    math->setElementProperty("suffix", unit);
    math->setValue(value);
    QCOMPARE(math->text(), shown);
    QCOMPARE(int(math->formatKind()), kind);
    QCOMPARE(math->format(), format);
    QCOMPARE(fx->consoleHtml(), QString());
    if (std::isnan(value))
        QVERIFY(std::isnan(math->currentValue()));
    else
        QCOMPARE(math->currentValue(), value);
}

void TestMathLabel::unusableFormatsFallBack_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no conversion") << QByteArray("level") << QByteArray() << "12.5";
    QTest::newRow("text conversion") << QByteArray("%s") << QByteArray() << "12.5";
    QTest::newRow("write-back conversion") << QByteArray("%n") << QByteArray() << "12.5";
    QTest::newRow("two conversions") << QByteArray("%d of %d") << QByteArray() << "12.5";
    QTest::newRow("width from the arguments") << QByteArray("%*d") << QByteArray() << "12.5";
    QTest::newRow("short modifier") << QByteArray("%hd") << QByteArray() << "12.5";
    QTest::newRow("huge width") << QByteArray("%100000d") << QByteArray() << "12.5";
    QTest::newRow("huge precision") << QByteArray("%.500f") << QByteArray() << "12.5";
    QTest::newRow("lone percent") << QByteArray("50%") << QByteArray() << "12.5";
    QTest::newRow("alternate decimal") << QByteArray("%#d") << QByteArray() << "12.5";
    QTest::newRow("upper binary") << QByteArray("%B") << QByteArray() << "12.5";
    QTest::newRow("left binary") << QByteArray("%-8b") << QByteArray() << "12.5";
    QTest::newRow("empty") << QByteArray() << QByteArray() << "12.5";
    QTest::newRow("register fallback") << QByteArray("%s") << QByteArray("%d") << "12";
}

void TestMathLabel::unusableFormatsFallBack()
{
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, fallback);
    QFETCH(QString, shown);

    auto *math = new MathLabel("GAIN:1", top.get());
    if (fallback.isEmpty())
        math->setFormat(format);
    else
        math->setFormat(format, fallback);
    QCOMPARE(fx->shell.console,
             QStringList{"<font color=\"red\"> <b>XML Error: </b></font><b>Unknown format in "
                         "<a href=\"GAIN$$$COLON$$$1\">GAIN:1</a><br>"});
    QCOMPARE(math->format(), fallback.isEmpty() ? MathLabel::defaultFormat() : fallback);
    math->setValue(12.5);
    QCOMPARE(math->text(), shown);
}

void TestMathLabel::keywordValues()
{
    MathLabel *hex = label("H", "%x");
    hex->setElementProperty("suffix", QStringLiteral("V"));
    hex->setValue(255.9);
    QCOMPARE(hex->value(KeywordValue, 1), QStringLiteral("255.9"));
    QCOMPARE(hex->value(KeywordValue, 0), QStringLiteral("0xff V"));
    QCOMPARE(hex->value(KeywordDefineValue, 0), QStringLiteral("255"));
    QCOMPARE(hex->value(KeywordTypeInfo, 0), QStringLiteral("MathLabel"));

    // The display of a binary label is its decimal integer.
    MathLabel *bits = label("B", "%08b");
    bits->setValue(5);
    QCOMPARE(bits->text(), QStringLiteral("0000 0101"));
    QCOMPARE(bits->value(KeywordValue, 0), QStringLiteral("5 "));
    QCOMPARE(bits->value(KeywordDefineValue, 0), QStringLiteral("5"));

    // A label bound to bits gives its define value shifted into place.
    MathLabel *field = label("F", "%d");
    field->setElementProperty("lsb", 4);
    field->setValue(3.7);
    QCOMPARE(field->value(KeywordDefineValue, 0), QStringLiteral("48"));

    MathLabel *fixed = label("X", "%.2f mV");
    fixed->setValue(2.5);
    // No trailing zero to cut: the text ends in the unit.
    QCOMPARE(fixed->value(KeywordDefineValue, 0), QStringLiteral("2.50 mV"));

    QCOMPARE(fixed->value(KeywordLabel, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"label\" from \"X\"")));
    QCOMPARE(fixed->storedValueText(), QString());
}

void TestMathLabel::bitRangeSetsTheHighestValue_data()
{
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<qlonglong>("max");

    QTest::newRow("byte") << 7 << 0 << qlonglong(255);
    QTest::newRow("field") << 11 << 8 << qlonglong(15);
    QTest::newRow("whole define") << -1 << -1 << qlonglong(-1);
    QTest::newRow("32 bits") << 31 << 0 << qlonglong(4294967295LL);
    QTest::newRow("64 bits: every bit") << 63 << 0 << qlonglong(-1);
}

void TestMathLabel::bitRangeSetsTheHighestValue()
{
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(qlonglong, max);

    MathLabel *math = label("M", "%d");
    QVERIFY(math->acceptsBitRange(msb, lsb));
    QCOMPARE(math->elementProperty("max").toLongLong(), max);
}

void TestMathLabel::unnamedLabelsAreCounted()
{
    MathLabel first(QString{});
    MathLabel second(QString{});
    QVERIFY(first.objectName().startsWith(QLatin1String("MATH_")));
    const int n = first.objectName().mid(5).toInt();
    QCOMPARE(second.objectName(), QStringLiteral("MATH_%1").arg(n + 1));
    QCOMPARE(MathLabel(QStringLiteral("SUM")).objectName(), QStringLiteral("SUM"));
}

void TestMathLabel::valueChangeRunsEveryActionThenAnnounces()
{
    MathLabel *math = label("M", "%d");
    math->setElementProperty("data",
                             actionData({"changed_setDef", "", "X=1",            // runs
                                         "changed_sendUSB", "0", "02", "r2", "", // condition false
                                         "clicked_setDef", "1", "Y=2",           // any event runs
                                         "changed_sendUSB", "1", "01", "r1", "",
                                         "changed_runScript", "", "s.txt", // not a label's action
                                         "broken", "", "Z=3"}));           // a key without "_"
    SignalLog log(math);
    math->setValue(7);
    QCOMPARE(log.entries, QStringList({"changed_setDef(X=1)", "changed_setDef(Y=2)", "changed_sendUSB(01)",
                                       "changed_recData(r1)", "updateMathLabels()"}));
    QCOMPARE(math->text(), QStringLiteral("7"));

    // A label without a name announces nothing.
    math->setElementProperty("data", QVariant());
    math->setObjectName(QString());
    log.clear();
    math->setValue(8);
    QCOMPARE(log.entries, QStringList());
}

void TestMathLabel::sendUsbWaitsOutItsDelay()
{
    MathLabel *math = label("M", "%d");
    math->setElementProperty("data", actionData({"changed_sendUSB", "", "01", "r", "150",
                                                 "changed_setDef", "", "X=1"}));
    SignalLog log(math);
    math->setValue(1);
    QCOMPARE(log.entries, QStringList({"changed_sendUSB(01)", "changed_recData(r)", "changed_setDef(X=1)",
                                       "updateMathLabels()"}));
    QVERIFY(log.times.at(1) < 100);
    QVERIFY2(log.times.at(2) >= 140, qPrintable(QString::number(log.times.at(2))));
}

void TestMathLabel::resetToDefault_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("shown");

    QTest::newRow("number") << "7.5" << "7.5";
    QTest::newRow("not a number") << "abc" << "0";
    QTest::newRow("none keeps the value") << "" << "3";
}

void TestMathLabel::resetToDefault()
{
    QFETCH(QString, defaultText);
    QFETCH(QString, shown);

    MathLabel *math = label("M", "%.2f");
    math->setValue(3);
    math->setElementProperty("my_default", defaultText);
    math->resetToDefault();
    QCOMPARE(math->text(), shown);
    // A project file restores nothing into a formula.
    math->loadValue(QStringLiteral("99"));
    QCOMPARE(math->text(), shown);
}

// ---------------------------------------------------------------------------
// The panel's formula refresh

void TestMathLabel::formulaResults_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reported");

    QTest::newRow("arithmetic") << "A+B*2" << QByteArray("%4.2f") << "26" << "";
    QTest::newRow("hex literal") << "A&0x0F" << QByteArray("%d") << "6" << "";
    QTest::newRow("division by zero") << "A/0" << QByteArray("%4.2f") << " inf" << "";
    QTest::newRow("division by zero, integer format") << "A/(B-B)" << QByteArray("%d") << "inf" << "";
    QTest::newRow("zero by zero") << "(A-A)/0" << QByteArray("%.1f") << "-nan" << "";
    QTest::newRow("remainder by zero") << "A%0" << QByteArray("%d") << "-1" << "";
    QTest::newRow("unknown operand") << "A+NOBODY" << QByteArray("%d") << "22"
                                     << "Invalid value in formula: \"NOBODY\"";
    QTest::newRow("operator without a rule") << "A~B" << QByteArray("%d") << "0" << "Invalid formula: \"R\"";
}

void TestMathLabel::formulaResults()
{
    QFETCH(QString, formula);
    QFETCH(QByteArray, format);
    QFETCH(QString, shown);
    QFETCH(QString, reported);

    DataClass *a = variable("A");
    variable("B")->setValue(2);
    MathLabel *result = formulaLabel("R", formula, format);
    a->setValue(22);
    // glibc writes a NaN of 0/0 with its sign; either is a NaN.
    QCOMPARE(result->text().remove(QLatin1Char('-')), QString(shown).remove(QLatin1Char('-')));
    if (reported.isEmpty())
        QCOMPARE(fx->transcript(), QStringList());
    else
        QVERIFY2(fx->reported(reported), qPrintable(fx->transcript().join(QLatin1Char('\n'))));
}

void TestMathLabel::rangeCheckWarnsOnceAndClears()
{
    DataClass *a = variable("A");
    MathLabel *level = formulaLabel("LEVEL", "A-100", "%d");
    QVERIFY(level->acceptsBitRange(7, 0));
    const QString overflow = "<font color=\"red\"><b>Warning: </font></b> <a href=\"A\">A</a> has caused an %1 in "
                             "<a href=\"LEVEL\">LEVEL</a>. Highest possible value: 255<br>";
    const QString cleared = "<font color=\"green\"><b>Conflict cleared: </font></b> Over-/Underflow in: "
                            "<a href=\"LEVEL\">LEVEL</a>. (0 conflicts in current project)<br>";

    struct Step {
        uint value;
        QStringList lines;
        bool conflicted;
    };
    const Step steps[] = {
        {400, {overflow.arg("overflow")}, true},
        {500, {}, true}, // still out of range: no second warning
        {200, {cleared}, false},
        {300, {}, false},
        {50, {overflow.arg("underflow")}, true},
        {100, {cleared}, false},
    };
    for (const Step &step : steps) {
        fx->shell.console.clear();
        a->setValue(step.value);
        QCOMPARE(fx->shell.console, step.lines);
        QCOMPARE(fx->panel.locks().overflowConflicts().contains(level), step.conflicted);
        QCOMPARE(level->text(), QString::number(int(step.value) - 100));
    }

    // While a panel loads nothing is checked, unless the panel is being reset.
    fx->panel.editFlags().loading = true;
    fx->shell.console.clear();
    a->setValue(1000);
    QCOMPARE(fx->shell.console, QStringList());
    QVERIFY(fx->panel.locks().overflowConflicts().isEmpty());
    fx->panel.editFlags().guiResetInProgress = true;
    a->setValue(1000);
    QCOMPARE(fx->shell.console, QStringList{overflow.arg("overflow")});
    QCOMPARE(fx->panel.locks().conflictCount(), 1);
}

void TestMathLabel::labelsFeedLabels()
{
    DataClass *a = variable("A");
    MathLabel *twice = formulaLabel("TWICE", "A*2");
    fx->panel.registerElement("TWICE", twice);
    MathLabel *more = formulaLabel("MORE", "TWICE+1", "%d");
    a->setValue(3);
    QCOMPARE(twice->text(), QStringLiteral("6"));
    QCOMPARE(more->text(), QStringLiteral("7"));

    fx->panel.checkFormulaCycles();
    QCOMPARE(fx->shell.console, QStringList());
}

void TestMathLabel::circlesEndAndAreReported()
{
    DataClass *a = variable("A");
    MathLabel *p = formulaLabel("P", "Q+A");
    MathLabel *q = formulaLabel("Q", "P+1");
    fx->panel.registerElement("P", p);
    fx->panel.registerElement("Q", q);
    SignalLog log(q);

    a->setValue(1);
    // Each refresh of one runs the other's, up to the depth limit, then stops.
    QCOMPARE(log.entries.size(), Panel::maxFormulaDepth / 2);
    QCOMPARE(fx->shell.console,
             QStringList{"<font color=\"red\"><b>Warning: </font></b> Formula refresh stopped at "
                         "<a href=\"Q\">Q</a>: formulas read each other in a circle.<br>"});
    // Reported once.
    fx->shell.console.clear();
    a->setValue(2);
    QCOMPARE(fx->shell.console, QStringList());

    // The check after a load names the circle; labels reported there are not
    // reported again by the refresh.
    MathLabel *x = formulaLabel("X", "Y+Z");
    MathLabel *y = formulaLabel("Y", "X");
    formulaLabel("Z", "A");
    fx->panel.registerElement("X", x);
    fx->panel.registerElement("Y", y);
    fx->panel.checkFormulaCycles();
    QCOMPARE(fx->shell.console,
             QStringList({"<font color=\"red\"> <b>XML Error: </b></font><b>Circular formula P --> Q --> P.<br>",
                          "<font color=\"red\"> <b>XML Error: </b></font><b>Circular formula X --> Y --> X.<br>"}));
    fx->shell.console.clear();
    a->setValue(3);
    QCOMPARE(fx->shell.console, QStringList());
}

namespace {

// Plays the polling thread: sets its variable, which announces the change
// from the worker thread, and waits until the panel has shown it.
class Poller : public QObject
{
    Q_OBJECT
public:
    Poller(DataClass *data, QList<uint> values, QSemaphore *shown)
        : m_data(data)
        , m_values(std::move(values))
        , m_shown(shown)
    {
    }
    bool allShown = true;

public slots:
    void run()
    {
        for (uint value : qAsConst(m_values)) {
            m_data->setValue(value);
            if (!m_shown->tryAcquire(1, 5000)) {
                allShown = false;
                break;
            }
        }
        emit finished();
    }

signals:
    void finished();

private:
    DataClass *m_data;
    QList<uint> m_values;
    QSemaphore *m_shown;
};

} // namespace

void TestMathLabel::workerThreadValuesArriveInOrder()
{
    // The variable lives in the worker thread; its signal reaches the panel queued.
    auto *speed = new DataClass(QStringLiteral("SPEED"));
    fx->panel.setDataClass(QStringLiteral("SPEED"), speed);
    // It belongs to the worker thread, not to the panel.
    speed->setParent(nullptr);
    QVERIFY(connect(speed, &DataClass::updateMathLabels, &fx->panel, &Panel::on_updateMathLabel,
                    Qt::QueuedConnection));
    MathLabel *rpm = formulaLabel("RPM", "SPEED*60", "%d");
    rpm->setElementProperty("suffix", QStringLiteral(" rpm"));

    QSemaphore shown;
    QStringList texts;
    QList<Qt::HANDLE> threads;
    connect(signalsOf(rpm), &ElementSignals::updateMathLabels, this, [&] {
        texts.append(rpm->text());
        threads.append(QThread::currentThreadId());
        shown.release();
    });

    QThread worker;
    speed->moveToThread(&worker);
    Poller poller(speed, {1, 2, 3, 5, 8}, &shown);
    poller.moveToThread(&worker);
    connect(&worker, &QThread::started, &poller, &Poller::run);
    connect(&worker, &QThread::finished, speed, &QObject::deleteLater);
    QSignalSpy finished(&poller, &Poller::finished);
    worker.start();
    QVERIFY(finished.wait(10000));
    worker.quit();
    QVERIFY(worker.wait(5000));

    QVERIFY(poller.allShown);
    QCOMPARE(texts, QStringList({"60 rpm", "120 rpm", "180 rpm", "300 rpm", "480 rpm"}));
    for (Qt::HANDLE thread : qAsConst(threads))
        QCOMPARE(thread, QThread::currentThreadId());
    fx->panel.removeVariable(QStringLiteral("SPEED"));
}

QTEST_MAIN(TestMathLabel)
#include "tst_mathlabel.moc"
