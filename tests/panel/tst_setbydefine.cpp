// Setting elements by define (-d, scripts) on a small panel of our own: the
// number literals each kind takes, the values it refuses with their report,
// and the line edit's typing rule for define, project and typed values alike.
#include "lineedit.h"
#include "shellfixture.h"

#include <QtTest>

static const char panelBody[] =
    "<verticalcontainer>"
    "<checkbox define=\"CB\" default=\"1\"/>"
    "<togglebutton define=\"TB\" label=\"T\" default=\"0\"/>"
    "<spinbox define=\"SB\" range=\"-10;100\" default=\"5\"/>"
    "<hexspinbox define=\"HX\" range=\"0;0xFF\" default=\"0x10\"/>"
    "<doublespinbox define=\"DB\" range=\"-2;2000\" default=\"1.25\"/>"
    "<slider define=\"SL\" range=\"0;50\" default=\"5\"/>"
    "<knob define=\"KN\" range=\"0;100\" default=\"10\"/>"
    "<combo define=\"CO\"><item label=\"A\" value=\"10\"/><item label=\"B\" value=\"20\"/>"
    "<item label=\"C\" value=\"30\"/></combo>"
    "<radio define=\"RA\"><radiobutton label=\"A\"/><radiobutton label=\"B\"/></radio>"
    "<edit define=\"ED\" default=\"start\"/>"
    "<edit define=\"NUM\" numeric=\"1\" default=\"7\"/>"
    "<edit define=\"VAL\" validator=\"[0-9A-F]{0,4}\" default=\"AB\"/>"
    "</verticalcontainer>";

// 2^70, beyond every 64-bit type, in two notations.
static const char beyond64[] = "1180591620717411303424";
static const char beyond64Hex[] = "0x400000000000000000";

class TestSetByDefine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void values_data();
    void values();
    void toggleButtonTakesOnlyABit_data();
    void toggleButtonTakesOnlyABit();
    void lineEditRuleHoldsForProjectAndTypedValues_data();
    void lineEditRuleHoldsForProjectAndTypedValues();

private:
    std::unique_ptr<ShellFixture> f;
};

void TestSetByDefine::init()
{
    f = std::make_unique<ShellFixture>();
    QVERIFY(f->load(QLatin1String(panelBody)));
    f->shell->modified = false;
    f->clearConsole();
    f->clearErrors();
}

void TestSetByDefine::cleanup()
{
    f.reset();
}

// A row with an empty "shown" is a refused value: reported with define and
// value, and the element keeps what it showed and stored.
void TestSetByDefine::values_data()
{
    QTest::addColumn<QString>("define");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");

    const auto taken = [](const char *row, const char *define, const QString &value, const char *shown,
                          const char *stored) {
        QTest::newRow(row) << define << value << shown << stored;
    };
    const auto refused = [](const char *row, const char *define, const QString &value) {
        QTest::newRow(row) << define << value << QString() << QString();
    };

    // Integer elements: every integer notation of the panel files, within the range.
    taken("spin box: hex", "SB", "0x1F", "31", "31");
    taken("spin box: hex as C headers write it", "SB", "(0x20u)", "32", "32");
    taken("spin box: binary", "SB", "0b101", "5", "5");
    taken("spin box: negative decimal", "SB", "-7", "-7", "-7");
    taken("spin box: zero in hex", "SB", "0x0", "0", "0");
    taken("hex spin box: hex", "HX", "0x1F", "31", "31");
    taken("hex spin box: decimal", "HX", "200", "200", "200");
    taken("slider: binary", "SL", "0b11", "3", "3");
    taken("knob: hex", "KN", "0x20", "32", "32");
    refused("spin box: text", "SB", "abc");
    refused("spin box: beyond 64 bits", "SB", beyond64);
    refused("spin box: beyond 64 bits in hex", "SB", beyond64Hex);
    refused("spin box: above the range", "SB", "101");
    refused("spin box: below the range", "SB", "-11");
    refused("spin box: a fraction", "SB", "2.5");
    refused("spin box: a float form", "SB", "1e3");
    refused("spin box: empty", "SB", "");
    refused("hex spin box: above the range", "HX", "0x100");
    refused("slider: above the range", "SL", "51");
    refused("slider: below the range", "SL", "-1");
    refused("slider: a fraction", "SL", "2.5");
    refused("knob: a fraction", "KN", "7.5");
    refused("knob: a float form", "KN", "1e1");

    // Floating-point elements: integer literals and float forms, finite and within the range.
    taken("double spin box: fraction", "DB", "2.5", "2.50", "2.5");
    taken("double spin box: exponent", "DB", "1e3", "1000.00", "1000");
    taken("double spin box: hex", "DB", "0x10", "16.00", "16");
    taken("double spin box: negative fraction", "DB", "-1.5", "-1.50", "-1.5");
    refused("double spin box: nan", "DB", "nan");
    refused("double spin box: inf", "DB", "inf");
    refused("double spin box: text", "DB", "fast");
    refused("double spin box: above the range", "DB", "3000");
    refused("double spin box: beyond a double", "DB", "1e400");
    refused("double spin box: beyond 64 bits in binary", "DB",
            QStringLiteral("0b1") + QString(70, QLatin1Char('0')));
    refused("knob: above the range", "KN", "101");
    refused("knob: nan", "KN", "nan");

    // Check boxes: 0 or 1 in any integer notation.
    taken("check box: 0", "CB", "0", "0", "0");
    taken("check box: 1 in hex", "CB", "0x1", "1", "1");
    refused("check box: true", "CB", "true");
    refused("check box: 2", "CB", "2");
    refused("check box: -1", "CB", "-1");

    // Choices: an index in any integer notation; text is no index.
    taken("combo: index in hex", "CO", "0x2", "30", "30");
    taken("radio group: index in binary", "RA", "0b1", "1", "1");
    refused("combo: text", "CO", "abc");
    refused("combo: beyond 64 bits", "CO", beyond64);
    refused("radio group: text", "RA", "x");

    // Line edits: any text, unless the field's typing rule refuses it.
    taken("line edit: any text", "ED", "any text", "any text", "any text");
    taken("numeric edit: hex", "NUM", "0x10", "16", "0x10");
    taken("numeric edit: exponent", "NUM", "1e3", "1e3", "1e3");
    taken("numeric edit: nothing", "NUM", "", "", "");
    taken("edit with validator: matching text", "VAL", "1F", "1F", "1F");
    refused("numeric edit: text", "NUM", "abc");
    refused("numeric edit: beyond 64 bits", "NUM", beyond64);
    refused("numeric edit: nan", "NUM", "nan");
    refused("edit with validator: other characters", "VAL", "xyz");
    refused("edit with validator: too long", "VAL", "12345");
}

void TestSetByDefine::values()
{
    QFETCH(QString, define);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(QString, stored);

    ActiveElement *element = f->element(define);
    QVERIFY(element);
    const QString shownBefore = f->value(define);
    const QString storedBefore = element->storedValueText();
    const bool accepted = !shown.isNull();

    QCOMPARE(f->panel->setElementByDefine(define, value), accepted);
    if (accepted) {
        QCOMPARE(f->value(define), shown);
        QCOMPARE(element->storedValueText(), stored);
        QCOMPARE(f->errors(), QStringList());
    } else {
        QCOMPARE(f->value(define), shownBefore);
        QCOMPARE(element->storedValueText(), storedBefore);
        QCOMPARE(f->errors(), QStringList{QStringLiteral("Can not set %1 to invalid value \"%2\"").arg(define, value)});
    }
    // Only a change the panel took marks the project modified.
    QCOMPARE(f->shell->modified, accepted);
}

void TestSetByDefine::toggleButtonTakesOnlyABit_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown"); // after the event loop ran; empty: refused

    QTest::newRow("1") << "1" << "1";
    QTest::newRow("1 in binary") << "0b1" << "1";
    QTest::newRow("2") << "2" << QString();
    QTest::newRow("true") << "true" << QString();
}

void TestSetByDefine::toggleButtonTakesOnlyABit()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);

    const bool accepted = !shown.isNull();
    QCOMPARE(f->panel->setElementByDefine(QStringLiteral("TB"), value), accepted);
    QCoreApplication::processEvents();
    QCOMPARE(f->value(QStringLiteral("TB")), accepted ? shown : QStringLiteral("0"));
    QCOMPARE(f->errors(), accepted ? QStringList()
                                   : QStringList{QStringLiteral("Can not set TB to invalid value \"%1\"").arg(value)});
}

// The field's rule, whatever brings the value: a project file (loadValue),
// a script or action (setValue) or the keyboard.
void TestSetByDefine::lineEditRuleHoldsForProjectAndTypedValues_data()
{
    QTest::addColumn<QString>("define");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("numeric: hex") << "NUM" << "0x1F" << true;
    QTest::newRow("numeric: binary in parentheses") << "NUM" << "(0b101u)" << true;
    QTest::newRow("numeric: negative fraction") << "NUM" << "-2.5" << true;
    QTest::newRow("numeric: text") << "NUM" << "abc" << false;
    QTest::newRow("numeric: inf") << "NUM" << "inf" << false;
    QTest::newRow("validator: matching") << "VAL" << "0A" << true;
    QTest::newRow("validator: lower case") << "VAL" << "0a" << false;
    QTest::newRow("no rule: anything") << "ED" << "abc; 0x" << true;
}

void TestSetByDefine::lineEditRuleHoldsForProjectAndTypedValues()
{
    QFETCH(QString, define);
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    auto *edit = f->widget<LineEdit>(define);
    QVERIFY(edit);
    const QString before = edit->text();
    const QString storedBefore = edit->storedValueText();

    edit->loadValue(text);
    QCOMPARE(edit->text(), accepted ? text : before);
    QCOMPARE(edit->storedValueText(), accepted ? text : storedBefore);
    edit->loadValue(before);

    edit->setValue(text, KeywordValue);
    QCOMPARE(edit->text(), accepted ? text : before);

    QCOMPARE(f->errors(), accepted ? QStringList()
                                   : QStringList({QStringLiteral("Trying to load \"%1\" with invalid value \"%2\"").arg(define, text),
                                                  QStringLiteral("Trying to set \"%1\" to invalid value \"%2\"").arg(define, text)}));

    // Typed, the refused text does not get into the field whole.
    edit->clear();
    QTest::keyClicks(edit, text);
    QCOMPARE(edit->text() == text && edit->hasAcceptableInput(), accepted);
}

QTEST_MAIN(TestSetByDefine)
#include "tst_setbydefine.moc"
