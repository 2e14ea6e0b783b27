// The formula label builder against small panels of our own.

#include "readerfixture.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "mathlabel.h"
#include "quillpanel.h"
#include "panelconnections.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "spinbox.h"

#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestMathBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void formulasArePreparedAndRegistered_data();
    void formulasArePreparedAndRegistered();
    void formats_data();
    void formats();
    void attributesAndActions();
    void invisibleLabelsHaveNoWidget();
    void passiveLabelsReachNoDisplay();
    void inputChangeRefreshesTheLabel();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    // Reads the elements (and header elements) as a panel into the fixture's
    // panel; true when the read succeeded.
    bool read(const QByteArray &elements, const QString &header = QString());
    MathLabel *find(const QString &name) const
    {
        return fx->root() ? fx->root()->findChild<MathLabel *>(name) : nullptr;
    }
    // The console's XML lines, one a line, without their file positions.
    QStringList xmlLines() const;
    bool connected(MathLabel *label, RefreshSlot slot) const
    {
        return fx->panel.wiring().runsRefresh(signalsOf(label), slot);
    }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestMathBuilder::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestMathBuilder::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
    fx->env.installPrompt({});
}

void TestMathBuilder::cleanupTestCase()
{
    fx.reset();
}

bool TestMathBuilder::read(const QByteArray &elements, const QString &header)
{
    return fx->readPanelFile(path("panel.xml"), verticalPanelText(QString::fromUtf8(elements), header));
}

QStringList TestMathBuilder::xmlLines() const
{
    return fx->xmlLines();
}

void TestMathBuilder::formulasArePreparedAndRegistered_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QStringList>("postfix");
    QTest::addColumn<QStringList>("literals");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("registeredUnder");

    QTest::newRow("names and a literal") << "A + B*2" << QStringList{"A", "B", "2", "*", "+"} << QStringList{"2"}
                                         << QStringList{"A", "B"} << QStringList{"A", "B"};
    QTest::newRow("minus a negative number") << "X - -3" << QStringList{"X", "3", "+"} << QStringList{"3"}
                                             << QStringList{"X"} << QStringList{"X"};
    QTest::newRow("a name once") << "A*A" << QStringList{"A", "A", "*"} << QStringList() << QStringList{"A"}
                                 << QStringList{"A"};
    QTest::newRow("no names") << "3*4" << QStringList{"3", "4", "*"} << QStringList{"3", "4"} << QStringList()
                              << QStringList{"dummy_define"};
    QTest::newRow("references and white space")
        << " MODE.index  +  GAIN " << QStringList{"MODE.index", "GAIN", "+"} << QStringList()
        << QStringList{"MODE.index", "GAIN"} << QStringList{"MODE", "GAIN"};
    QTest::newRow("its own name is no input") << "SUM+1" << QStringList{"SUM", "1", "+"} << QStringList{"1"}
                                              << QStringList{"SUM"} << QStringList();
}

void TestMathBuilder::formulasArePreparedAndRegistered()
{
    QFETCH(QString, formula);
    QFETCH(QStringList, postfix);
    QFETCH(QStringList, literals);
    QFETCH(QStringList, names);
    QFETCH(QStringList, registeredUnder);

    QVERIFY(read(QStringLiteral("<math define=\"SUM\" formula=\"%1\"/>").arg(formula).toUtf8()));
    MathLabel *sum = find(QStringLiteral("SUM"));
    QVERIFY(sum);
    QCOMPARE(sum->postfixTokens(), postfix);
    QCOMPARE(sum->literals(), literals);
    QCOMPARE(sum->variables(), names);
    QCOMPARE(sum->elementProperty("expression").toString(), formula);
    QStringList keys;
    for (auto it = fx->panel.registries().mathLabelsByDefine.cbegin(); it != fx->panel.registries().mathLabelsByDefine.cend(); ++it) {
        QCOMPARE(it.value(), QList<MathLabel *>{sum});
        keys.append(it.key());
    }
    keys.sort();
    registeredUnder.sort();
    QCOMPARE(keys, registeredUnder);
    QCOMPARE(xmlLines(), QStringList());
}

void TestMathBuilder::formats_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("console");

    QTest::newRow("plain define") << QByteArray("<math define=\"M\" formula=\"1\"/>") << "" << QByteArray("%4.2f")
                                  << int(MathFormatFixed) << QStringList();
    QTest::newRow("register field") << QByteArray("<math define=\"REG.FIELD[3:0]\" formula=\"1\"/>") << ""
                                    << QByteArray("%d") << int(MathFormatInteger) << QStringList();
    QTest::newRow("register field with %g")
        << QByteArray("<math define=\"REG.FIELD[3:0]\" formula=\"1\" format=\"%g\"/>") << "" << QByteArray("%g")
        << int(MathFormatGeneral)
        << QStringList{"XML Warning: Register combined with \"%g\" format: REG.FIELD[3:0]"};
    QTest::newRow("a g in the text is no %g")
        << QByteArray("<math define=\"REG.FIELD[3:0]\" formula=\"1\" format=\"%d kg\"/>") << ""
        << QByteArray("%d kg") << int(MathFormatInteger) << QStringList();
    QTest::newRow("panel with SVD") << QByteArray("<math define=\"LEVEL\" formula=\"1\"/>")
                                    << "<svd file=\"panel.xml\"/>" << QByteArray("%d") << int(MathFormatInteger)
                                    << QStringList();
    QTest::newRow("SVD switched off") << QByteArray("<math define=\"LEVEL\" formula=\"1\" svd=\"0\"/>")
                                      << "<svd file=\"panel.xml\"/>" << QByteArray("%4.2f") << int(MathFormatFixed)
                                      << QStringList();
    QTest::newRow("hex") << QByteArray("<math define=\"M\" formula=\"1\" format=\"%04x\"/>") << ""
                         << QByteArray("%04x") << int(MathFormatHex) << QStringList();
    QTest::newRow("text around a float") << QByteArray("<math define=\"M\" formula=\"1\" format=\"%.1f dB\"/>") << ""
                                         << QByteArray("%.1f dB") << int(MathFormatFixed) << QStringList();
    QTest::newRow("unusable format")
        << QByteArray("<math define=\"M\" formula=\"1\" format=\"%s\"/>") << "" << QByteArray("%4.2f")
        << int(MathFormatFixed) << QStringList{"XML Error: Unknown format in M"};
    QTest::newRow("unusable register format")
        << QByteArray("<math define=\"REG.FIELD[3:0]\" formula=\"1\" format=\"%d%n\"/>") << "" << QByteArray("%d")
        << int(MathFormatInteger) << QStringList{"XML Error: Unknown format in REG.FIELD[3:0]"};
}

void TestMathBuilder::formats()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, header);
    QFETCH(QByteArray, format);
    QFETCH(int, kind);
    QFETCH(QStringList, console);

    QVERIFY(read(element, header));
    auto *math = fx->root()->findChild<MathLabel *>();
    QVERIFY(math);
    QCOMPARE(math->format(), format);
    QCOMPARE(int(math->formatKind()), kind);
    QCOMPARE(xmlLines(), console);
}

void TestMathBuilder::attributesAndActions()
{
    QVERIFY(read("<header file=\"m.h\"><spinbox define=\"SPEED\"/>"
                 "<math define=\"RPM\" label=\"Rotation\" formula=\"SPEED*60\" unit=\" rpm\" default=\"5\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"X=1\" cond=\"RPM&gt;100\"/>"
                 "<action event=\"changed\" cmd=\"sendUSB\" data=\"01\" recdata=\"r\" delay=\"10\"/>"
                 "<action event=\"clicked\" cmd=\"setDef\" data=\"Y=1\"/>"
                 "</math>"
                 "<math define=\"RPM\" formula=\"1\"/></header>"));
    const QList<MathLabel *> labels = fx->root()->findChildren<MathLabel *>(QStringLiteral("RPM"));
    QCOMPARE(labels.size(), 2);
    MathLabel *rpm = labels.first();
    QCOMPARE(rpm->elementProperty("suffix").toString(), QStringLiteral(" rpm"));
    QCOMPARE(rpm->elementProperty("my_default").toString(), QStringLiteral("5"));
    QCOMPARE(rpm->header(), QStringLiteral("m.h"));
    QCOMPARE(rpm->host(), static_cast<ElementHost *>(&fx->panel));
    QCOMPARE(rpm->elementProperty("data").toMap().value("0").toStringList(),
             QStringList({"changed_setDef", "RPM>100", "X=1", "changed_sendUSB", "", "01", "r", "10",
                          "clicked_setDef", "", "Y=1"}));
    QVERIFY(QObject::disconnect(signalsOf(rpm), &ElementSignals::changed_setDef, &fx->panel, &Panel::setDef));
    QVERIFY(QObject::disconnect(signalsOf(rpm), &ElementSignals::changed_sendUSB, &fx->panel, &Panel::sendUSB));
    QVERIFY(QObject::disconnect(signalsOf(rpm), &ElementSignals::changed_recData, &fx->panel, &Panel::recData));
    QCOMPARE(xmlLines(), QStringList({"XML Warning: Can't use event \"clicked\" in UI element \"Math\" RPM",
                                      "XML Error: Duplicate define RPM"}));
}

void TestMathBuilder::invisibleLabelsHaveNoWidget()
{
    QVERIFY(read("<groupcontainer label=\"G\"><math define=\"HIDDEN\" formula=\"A+1\" visible=\"false\"/>"
                 "<math define=\"SHOWN\" formula=\"A+2\" visible=\"0\"/></groupcontainer>"));
    QVERIFY(!find(QStringLiteral("HIDDEN")));
    MathLabel *shown = find(QStringLiteral("SHOWN"));
    QVERIFY(shown);
    QVERIFY(!shown->isHidden());
    QCOMPARE(fx->panel.registries().invisibleElements.size(), 1);
    QPointer<MathLabel> hidden = qobject_cast<MathLabel *>(fx->panel.registries().invisibleElements.first());
    QVERIFY(hidden);
    QVERIFY(!hidden->parent());
    QCOMPARE(hidden->objectName(), QStringLiteral("HIDDEN"));
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("HIDDEN")), static_cast<ActiveElement *>(hidden.data()));
    QCOMPARE(fx->panel.registries().mathLabelsByDefine.value("A"), QList<MathLabel *>({hidden.data(), shown}));

    // It is refreshed like any other and goes with the panel it came with.
    auto *a = new DataClass(QStringLiteral("A"));
    fx->panel.setDataClass(QStringLiteral("A"), a);
    QObject::connect(a, &DataClass::updateMathLabels, &fx->panel, &Panel::on_updateMathLabel);
    a->setValue(4);
    QCOMPARE(hidden->text(), QStringLiteral("5"));
    QCOMPARE(shown->text(), QStringLiteral("6"));
    QVERIFY(read("<math define=\"OTHER\" formula=\"1\"/>"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!hidden);
}

void TestMathBuilder::passiveLabelsReachNoDisplay()
{
    QVERIFY(read("<math define=\"ACTIVE\" formula=\"A\"/><math define=\"QUIET\" formula=\"A\" passive=\"1\"/>"
                 "<math define=\"WORD\" formula=\"A\" passive=\"yes\"/>"));
    const char *refreshSlots[] = {"on_updateMathLabel", "on_updateLED",   "on_updateSvgImage", "on_updateCurve",
                           "on_updateDial",      "on_updateThermo", "on_updateLog"};
    for (const char *slot : refreshSlots) {
        QVERIFY2(connected(find(QStringLiteral("ACTIVE")), refreshSlot(slot)), slot);
        QVERIFY2(!connected(find(QStringLiteral("QUIET")), refreshSlot(slot)), slot);
        // A passive text that is no number is no passive label.
        QVERIFY2(connected(find(QStringLiteral("WORD")), refreshSlot(slot)), slot);
    }
    // Still re-evaluated when its input changes.
    QCOMPARE(fx->panel.registries().mathLabelsByDefine.value("A").size(), 3);
    QVERIFY(!fx->panel.wiring().reportsChangedByUser(find(QStringLiteral("ACTIVE"))));
}

void TestMathBuilder::inputChangeRefreshesTheLabel()
{
    QVERIFY(read("<spinbox define=\"SPEED\" range=\"0;100\"/>"
                 "<math define=\"RPM\" formula=\"SPEED*60\" format=\"%d\"/>"
                 "<math define=\"HALF\" formula=\"RPM/2\" format=\"%.1f\"/>"
                 "<math define=\"VOLTS\" formula=\"SPEED/10\" unit=\" V\"/>"
                 "<math define=\"MILLIVOLTS\" formula=\"VOLTS*1000\" format=\"%d\"/>"));
    QVERIFY(fx->panel.setElementByDefine(QStringLiteral("SPEED"), QStringLiteral("21")));
    QCOMPARE(find(QStringLiteral("RPM"))->text(), QStringLiteral("1260"));
    QCOMPARE(find(QStringLiteral("HALF"))->text(), QStringLiteral("630"));
    QCOMPARE(find(QStringLiteral("VOLTS"))->text(), QStringLiteral("2.1 V"));
    // A formula reads another label's value, not its display with the unit.
    QCOMPARE(find(QStringLiteral("MILLIVOLTS"))->text(), QStringLiteral("2100"));
}

QTEST_MAIN(TestMathBuilder)
#include "tst_mathbuilder.moc"
