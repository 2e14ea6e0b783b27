// The panel reader's builders of toggle buttons, texts, line edits and edit
// boxes, and the icon attributes of push and toggle buttons, on small panels
// of our own.

#include "readerfixture.h"
#include "errorreporter.h"
#include "lineedit.h"
#include "quillpanel.h"
#include "panelconnections.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "pushbutton.h"
#include "text.h"
#include "textedit.h"
#include "togglebutton.h"
#include "widgets.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString baseSheet = QStringLiteral(
    "QPushButton{ border: 1px solid gray; height: 22px; background: palette(button);}"
    "QPushButton:checked{ border: 1px solid gray; height: 22px; background: palette(mid);}"
    "QPushButton:pressed{ border: 1px solid gray; height: 22px; background: palette(mid);}");

QString checkedSheet(const QString &rgb)
{
    return QStringLiteral("QPushButton:checked{background-color: rgb(%1);border-style: inset;border-width: 1px;"
                          "border-color: black;}")
        .arg(rgb);
}

} // namespace

class TestButtonsEditsBuilders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void toggleButtons();
    void toggleButtonStyleSheets_data();
    void toggleButtonStyleSheets();
    void buttonIcons();
    void pushButtonActionsThatShareTheClickedSignal();
    void lineEdits();
    void lineEditValidator();
    void texts();
    void editBoxes();

private:
    bool read(const QByteArray &elements);
    QWidget *root() const { return fx->root(); }
    template <class T>
    T *find(const QString &name) const
    {
        return root() ? root()->findChild<T *>(name) : nullptr;
    }
    QString console() const { return fx->consoleText(); }
    // Whether the element's signal is connected to the panel's slot; drops it.
    template <typename Slot>
    bool connected(QObject *element, void (ElementSignals::*signal)(), Slot slot) const
    {
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }
    // An element's display refreshes are listed by its signals, and its user
    // changes reported to the panel, without a connection per element.
    bool connected(QObject *element, void (ElementSignals::*signal)(), Panel::RefreshSlot slot) const
    {
        if (signal == &ElementSignals::updateMathLabels)
            return fx->panel.wiring().runsRefresh(signalsOf(element), slot);
        if (signal == &ElementSignals::changedByUser && slot == &Panel::changed)
            return fx->panel.wiring().reportsChangedByUser(element);
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }
    template <typename Slot>
    bool connected(QObject *element, ElementSignals::TextSignal signal, Slot slot) const
    {
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestButtonsEditsBuilders::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QImage picture(16, 12, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("pics")));
    QVERIFY(picture.save(dir->filePath(QStringLiteral("pics/icon.png"))));
}

void TestButtonsEditsBuilders::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
}

void TestButtonsEditsBuilders::cleanupTestCase()
{
    fx.reset();
}

bool TestButtonsEditsBuilders::read(const QByteArray &elements)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                             verticalPanelText(QString::fromUtf8(elements)));
}

// ---------------------------------------------------------------------------
// Toggle buttons

void TestButtonsEditsBuilders::toggleButtons()
{
    QVERIFY(read("<header file=\"group.h\">"
                 "<togglebutton define=\"POWER\" label=\"Power\" role=\"inverted\" header=\"own.h\" default=\"1\""
                 " lockon=\"A=1;B=2\">"
                 "<action event=\"unchecked\" cmd=\"runScript\" data=\"S\"/>"
                 "<action event=\"checked\" cmd=\"setDef\" data=\"X=1\"/></togglebutton>"
                 "<togglebutton define=\"OFF\" enabled=\"false\"/>"
                 "<togglebutton define=\"ZERO\" enabled=\"0\"/>"
                 "<togglebutton define=\"PLAIN\" role=\"Inverted\"/>"
                 "</header>"
                 "<togglebutton label=\"Nameless\"/>"));
    auto *power = find<ToggleButton>(QStringLiteral("POWER"));
    QVERIFY(power);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("POWER")), static_cast<ActiveElement *>(power));
    QCOMPARE(power->text(), QStringLiteral("Power"));
    QVERIFY(power->isCheckable());
    QVERIFY(power->elementProperty("inverted").toBool());
    QCOMPARE(power->header(), QStringLiteral("own.h"));
    QCOMPARE(power->elementProperty("my_default").toString(), QStringLiteral("1"));
    QCOMPARE(power->elementProperty("locks").toMap().value("0").toStringList(), QStringList({"A=1", "B=2"}));
    QCOMPARE(power->elementProperty("data").toMap().value("0").toStringList(),
             QStringList({"unchecked_runScript", "", "S", "checked_setDef", "", "X=1"}));
    QVERIFY(power->isEnabled());

    QVERIFY(connected(power, &ElementSignals::checked_setDef, &Panel::setDef));
    // An unchecked runScript goes out through checked_runScript: connected
    // although the panel has no checked runScript action.
    QVERIFY(connected(power, &ElementSignals::checked_runScript, &Panel::runScript));
    QVERIFY(connected(power, &ElementSignals::sendLock, &Panel::on_sendLock));
    QVERIFY(connected(power, &ElementSignals::sendUnlock, &Panel::on_sendUnlock));
    QVERIFY(connected(power, &ElementSignals::changedByUser, &Panel::changed));
    for (const char *slot : {"on_updateMathLabel", "on_updateLED", "on_updateSvgImage",
                             "on_updateCurve", "on_updateDial", "on_updateThermo",
                             "on_updateLog"})
        QVERIFY2(connected(power, &ElementSignals::updateMathLabels, refreshSlot(slot)), slot);

    QVERIFY(!find<ToggleButton>(QStringLiteral("OFF"))->isEnabled());
    QVERIFY(!find<ToggleButton>(QStringLiteral("ZERO"))->isEnabled());
    auto *plain = find<ToggleButton>(QStringLiteral("PLAIN"));
    QVERIFY(!plain->elementProperty("inverted").toBool());
    QCOMPARE(plain->header(), QStringLiteral("group.h"));
    // Without "lockon" there is nothing to send.
    QVERIFY(!plain->elementProperty("locks").isValid());
    QVERIFY(!connected(plain, &ElementSignals::sendLock, &Panel::on_sendLock));

    QCOMPARE(console().count(QStringLiteral("XML Error: Togglebutton without define is not allowed:")), 1);
    // The lock targets A and B name no element of this panel.
    QCOMPARE(console().count(QStringLiteral("XML Error: lockon of POWER names no element:")), 2);
    QCOMPARE(console().count(QStringLiteral("XML")), 3);
    QCOMPARE(root()->findChildren<ToggleButton *>().size(), 5);
}

void TestButtonsEditsBuilders::toggleButtonStyleSheets_data()
{
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("offColor"); // property "OffColor"
    QTest::addColumn<QString>("onColor");  // property "OnColor"

    // Without a colour of the panel's, "on" takes the palette's highlight colours.
    const QString paletteLook = QStringLiteral("{background-color: palette(highlight);color: palette(highlighted-text);"
                                               "border-style: inset;border-width: 1px;border-color: black;}");
    const QString defaultChecked =
        QStringLiteral("QPushButton:checked") + paletteLook + QStringLiteral("QPushButton:pressed") + paletteLook;
    const QString off = QStringLiteral("QPushButton{background-color: rgb(1,2,3);}");
    QTest::newRow("no colours") << QByteArray() << baseSheet + defaultChecked << "" << "";
    QTest::newRow("off colour") << QByteArray("offcolor=\"1;2;3\"") << off + defaultChecked << "1;2;3" << "";
    QTest::newRow("on colour") << QByteArray("oncolor=\"4;5;6\"") << baseSheet + checkedSheet("4,5,6") << ""
                               << "4;5;6";
    QTest::newRow("both") << QByteArray("offcolor=\"1;2;3\" oncolor=\"4;5;6\"") << off + checkedSheet("4,5,6")
                          << "1;2;3" << "4;5;6";
}

void TestButtonsEditsBuilders::toggleButtonStyleSheets()
{
    QFETCH(QByteArray, attributes);
    QFETCH(QString, sheet);
    QFETCH(QString, offColor);
    QFETCH(QString, onColor);

    QVERIFY(read("<togglebutton define=\"T\" " + attributes + "/>"));
    auto *button = find<ToggleButton>(QStringLiteral("T"));
    QVERIFY(button);
    QCOMPARE(button->styleSheet(), sheet);
    QCOMPARE(button->elementProperty("OffColor").toString(), offColor);
    QCOMPARE(button->elementProperty("OnColor").toString(), onColor);
}

// ---------------------------------------------------------------------------
// Icons

void TestButtonsEditsBuilders::buttonIcons()
{
    QVERIFY(read("<button define=\"PLAIN_ICON\" icon=\"pics\\icon.png\"/>"
                 "<button define=\"MISSING\" icon=\"none.png\"/>"
                 "<button define=\"SIZED\" icon=\"pics/icon.png\" size=\"32;24\"/>"
                 "<button define=\"BAD_SIZE\" icon=\"pics/icon.png\" size=\"x\"/>"
                 "<button define=\"COLOURED\" icon=\"pics/icon.png\" nograyout=\"1\"/>"
                 "<button define=\"GREYED\" icon=\"pics/icon.png\" nograyout=\"0\"/>"
                 "<togglebutton define=\"TOGGLE\" icon=\"pics/icon.png\" nograyout=\"1\"/>"
                 "<button define=\"NO_ICON\"/>"));
    const auto button = [this](const char *name) { return fx->panel.registries().pushButtonsByName.value(QLatin1String(name)); };

    PushButton *plain = button("PLAIN_ICON");
    QCOMPARE(elementPropertyOf(plain, "Icon").toString(), QStringLiteral("pics\\icon.png"));
    QVERIFY(!plain->icon().isNull());
    QVERIFY(plain->isFlat());
    QCOMPARE(plain->iconSize(), QSize(16, 12));
    QCOMPARE(plain->minimumSize(), QSize(16, 12));
    QCOMPARE(plain->maximumSize(), QSize(16, 12));
    QVERIFY(!elementPropertyOf(plain, "nograyout").isValid());
    QVERIFY(!button("NO_ICON")->isFlat());

    // A picture that is not there: the warning, and a button of no size.
    QVERIFY(button("MISSING")->icon().isNull());
    QCOMPARE(button("MISSING")->maximumSize(), QSize(0, 0));
    QCOMPARE(console().count(QStringLiteral("XML Warning: Icon file not found in UI element MISSING")), 1);

    QCOMPARE(button("SIZED")->iconSize(), QSize(32, 24));
    QCOMPARE(button("SIZED")->maximumSize(), QSize(32, 24));
    // The icon reader and the common step each find the size invalid.
    QCOMPARE(console().count(QStringLiteral("XML Warning: \"size\" attribute invalid. BAD_SIZE")), 2);

    const QRgb red = qRgb(255, 0, 0);
    QCOMPARE(elementPropertyOf(button("COLOURED"), "nograyout").toUInt(), 1u);
    QCOMPARE(button("COLOURED")->icon().pixmap(16, 12, QIcon::Disabled).toImage().pixel(8, 6), red);
    QCOMPARE(elementPropertyOf(button("GREYED"), "nograyout").toUInt(), 0u);
    QVERIFY(button("GREYED")->icon().pixmap(16, 12, QIcon::Disabled).toImage().pixel(8, 6) != red);

    auto *toggle = find<ToggleButton>(QStringLiteral("TOGGLE"));
    QCOMPARE(toggle->elementProperty("Icon").toString(), QStringLiteral("pics/icon.png"));
    QCOMPARE(toggle->elementProperty("nograyout").toUInt(), 1u);
    QCOMPARE(toggle->icon().pixmap(16, 12, QIcon::Disabled).toImage().pixel(8, 6), red);
    QCOMPARE(console().count(QStringLiteral("XML")), 3);
}

void TestButtonsEditsBuilders::pushButtonActionsThatShareTheClickedSignal()
{
    QVERIFY(read("<button define=\"P\"><action event=\"pressed\" cmd=\"runScript\" data=\"S\"/>"
                 "<action event=\"released\" cmd=\"loadFile\" data=\"f.xml\"/>"
                 "<action event=\"pressed\" cmd=\"setDef\" data=\"X=1\"/></button>"
                 "<button define=\"Q\"><action event=\"pressed\" cmd=\"setDef\" data=\"X=1\"/></button>"));
    PushButton *p = fx->panel.registries().pushButtonsByName.value(QStringLiteral("P"));
    QVERIFY(connected(p, &ElementSignals::clicked_runScript, &Panel::runScript));
    QVERIFY(connected(p, &ElementSignals::clicked_loadFile, &Panel::loadFile));
    QVERIFY(connected(p, &ElementSignals::pressed_setDef, &Panel::setDef));
    QVERIFY(!connected(p, &ElementSignals::clicked_setDef, &Panel::setDef));
    QVERIFY(!connected(p, &ElementSignals::clicked_startProgram, &Panel::startProgram));
    PushButton *q = fx->panel.registries().pushButtonsByName.value(QStringLiteral("Q"));
    QVERIFY(!connected(q, &ElementSignals::clicked_setDef, &Panel::setDef));
}

// ---------------------------------------------------------------------------
// Line edits, texts and edit boxes

void TestButtonsEditsBuilders::lineEdits()
{
    QVERIFY(read("<header file=\"e.h\">"
                 "<edit define=\"NAME\" label=\"Name\" numeric=\"1\" default=\"0x10\" readonly=\"1\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"X=1\"/>"
                 "<action event=\"changed\" cmd=\"runScript\" data=\"S\"/></edit>"
                 "<edit define=\"SHOWN\" numeric=\"0\" visible=\"0\"/>"
                 "<edit define=\"HIDDEN\" numeric=\"abc\" visible=\"false\"/>"
                 "</header>"
                 "<edit label=\"Nameless\"/>"));
    auto *name = find<LineEdit>(QStringLiteral("NAME"));
    QVERIFY(name);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("NAME")), static_cast<ActiveElement *>(name));
    QVERIFY(name->isNumeric());
    QCOMPARE(name->elementProperty("numeric").toString(), QStringLiteral("1"));
    QCOMPARE(name->elementProperty("my_default").toString(), QStringLiteral("0x10"));
    QCOMPARE(name->header(), QStringLiteral("e.h"));
    QVERIFY(name->isReadOnly());
    QCOMPARE(name->elementProperty("data").toMap().value("0").toStringList(),
             QStringList({"changed_setDef", "", "X=1", "changed_runScript", "", "S"}));
    QVERIFY(connected(name, &ElementSignals::changed_setDef, &Panel::setDef));
    QVERIFY(connected(name, &ElementSignals::changed_runScript, &Panel::runScript));
    QVERIFY(connected(name, &ElementSignals::changedByUser, &Panel::changed));
    QVERIFY(connected(name, &ElementSignals::updateMathLabels, &Panel::on_updateMathLabel));
    QVERIFY(!connected(name, &ElementSignals::updateMathLabels, &Panel::on_updateLED));

    auto *shown = find<LineEdit>(QStringLiteral("SHOWN"));
    QVERIFY(!shown->isNumeric());
    QVERIFY(!shown->isHidden());
    QVERIFY(!shown->isReadOnly());
    auto *hidden = find<LineEdit>(QStringLiteral("HIDDEN"));
    QVERIFY(!hidden->isNumeric());
    QCOMPARE(hidden->elementProperty("numeric").toString(), QStringLiteral("abc"));
    QVERIFY(hidden->isHidden());

    QCOMPARE(console().count(QStringLiteral("XML Error: Lineedit without define is not allowed:")), 1);
    QCOMPARE(console().count(QStringLiteral("XML")), 1);
}

void TestButtonsEditsBuilders::lineEditValidator()
{
    QVERIFY(read("<edit define=\"HEX\" validator=\"[0-9A-F]{0,4}\"/><edit define=\"FREE\"/>"));
    auto *hex = find<LineEdit>(QStringLiteral("HEX"));
    QCOMPARE(hex->elementProperty("validator").toString(), QStringLiteral("[0-9A-F]{0,4}"));
    QTest::keyClicks(hex, QStringLiteral("1aG2F3"));
    QCOMPARE(hex->text(), QStringLiteral("12F3"));
    QTest::keyClicks(hex, QStringLiteral("4"));
    QCOMPARE(hex->text(), QStringLiteral("12F3"));

    auto *free = find<LineEdit>(QStringLiteral("FREE"));
    QVERIFY(!free->validator());
    QVERIFY(!free->elementProperty("validator").isValid());
    QTest::keyClicks(free, QStringLiteral("1aG"));
    QCOMPARE(free->text(), QStringLiteral("1aG"));
}

void TestButtonsEditsBuilders::texts()
{
    QVERIFY(read("<text define=\"SPEED\" label=\"Speed\" wordwrap=\"1\" tooltip=\"Tip\">ignored"
                 "<checkbox define=\"INSIDE\"/></text>"
                 "<text define=\"NARROW\" label=\"x\" wordwrap=\"0\"/>"
                 "<text label=\"Free\"/><checkbox define=\"AFTER\"/>"));
    auto *speed = find<Text>(QStringLiteral("SPEED"));
    QVERIFY(speed);
    QCOMPARE(speed->text(), QStringLiteral("Speed"));
    QVERIFY(speed->wordWrap());
    QCOMPARE(speed->property("wordwrap").toString(), QStringLiteral("1"));
    QCOMPARE(toolTipShown(speed), QStringLiteral("Tip"));
    // The content, elements included, is dropped; reading goes on after it.
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("INSIDE")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")));
    QVERIFY(!find<Text>(QStringLiteral("NARROW"))->wordWrap());
    QVERIFY(find<Text>(QStringLiteral("NARROW"))->toolTip().isEmpty());

    // Without a define the text names itself after its label.
    const QList<Text *> all = root()->findChildren<Text *>();
    QCOMPARE(all.size(), 3);
    const QString free = all.last()->objectName();
    QVERIFY2(free.startsWith(QStringLiteral("Free_")), qPrintable(free));
    QCOMPARE(console(), QString());
}

void TestButtonsEditsBuilders::editBoxes()
{
    QVERIFY(read("<header file=\"n.h\"><editbox define=\"NOTE\" label=\"Note\" default=\"hello\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"X=1\"/></editbox></header>"));
    auto *note = find<TextEdit>(QStringLiteral("NOTE"));
    QVERIFY(note);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("NOTE")), static_cast<ActiveElement *>(note));
    QCOMPARE(note->header(), QStringLiteral("n.h"));
    QCOMPARE(note->elementProperty("my_default").toString(), QStringLiteral("hello"));
    QVERIFY(connected(note, &ElementSignals::changed_setDef, &Panel::setDef));
    QVERIFY(connected(note, &ElementSignals::changedByUser, &Panel::changed));
    QCOMPARE(console(), QString());
}

QTEST_MAIN(TestButtonsEditsBuilders)
#include "tst_buttonsedits_builders.moc"
