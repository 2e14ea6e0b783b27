// Push and toggle buttons, line and text edits and static texts: names,
// values by keyword, the action walks, recorded lines, icons and colours,
// and walks that end when the element or its panel goes away.
#include "elementfixture.h"
#include "eventfilters.h"
#include "lineedit.h"
#include "panelxml.h"
#include "pushbutton.h"
#include "text.h"
#include "textedit.h"
#include "togglebutton.h"
#include "widgets.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

// Deletes the element whose signal reaches it.
class ElementDeleter : public QObject
{
    Q_OBJECT
public slots:
    void deleteSender() { delete elementOf(sender()); }
};

// Receives the links the desktop would open.
class UrlSink : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void openUrl(const QUrl &url) { opened.append(url); }
};

class TestButtonsEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Names of elements built without one
    void namelessButtonsAndTextsAreNumbered();

    // PushButton
    void pushButtonRunsTheActionsOfEachEvent_data();
    void pushButtonRunsTheActionsOfEachEvent();
    void pushButtonSendUsbDelayKeepsEventsFlowing();
    void pushButtonLoadIcon();

    // ToggleButton
    void toggleButtonValues_data();
    void toggleButtonValues();
    void toggleButtonSetValue_data();
    void toggleButtonSetValue();
    void toggleButtonLabelColourAndIcon();
    void toggleButtonDefaultsAndLoads_data();
    void toggleButtonDefaultsAndLoads();
    void toggleButtonUserClickStoresTheValue();
    void toggleButtonRunsActionsOfItsState_data();
    void toggleButtonRunsActionsOfItsState();
    void disabledToggleButtonOnlyRefreshesFormulas();
    void toggleButtonInitialize();
    void toggleButtonLocks();

    // LineEdit
    void lineEditValues_data();
    void lineEditValues();
    void lineEditSetValue();
    void lineEditLoadAndUserEdit();
    void lineEditDefaultWidensTheField();
    void lineEditRunsSetDefAndRunScriptActions();

    // TextEdit
    void textEditLoadValue();
    void textEditValues();
    void textEditChangePaths();
    void textEditOpensLinks();
    void textEditShape();

    // Shared
    void editsHoldOnlyAWholeDefine();
    void lockedElementsStayDisabled();
    void recordedLines_data();
    void recordedLines();
    void deletedInItsOwnActionStopsTheWalk_data();
    void deletedInItsOwnActionStopsTheWalk();
    void buttonWhoseActionLoadsAnotherPanel();

private:
    template <class T>
    T *element(const QString &name, const QVariantList &actions = {});
    QString writePanel(const QString &name, const QString &elements);
    bool openPanel(const QString &path);

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestButtonsEdits::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestButtonsEdits::init()
{
    fx->reset();
    top = std::make_unique<QWidget>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    fx->panel.editHeader().xmlDir = dir->path();
}

void TestButtonsEdits::cleanup()
{
    top.reset();
    fx->panel.editFlags().guiResetInProgress = false;
}

template <class T>
T *TestButtonsEdits::element(const QString &name, const QVariantList &actions)
{
    T *made = nullptr;
    if constexpr (std::is_constructible_v<T, QString, QString, QWidget *>)
        made = new T(name, QStringLiteral("Caption"), top.get());
    else
        made = new T(name, top.get());
    made->setHost(&fx->panel);
    setElementPropertyOf(made, "header", QStringLiteral("cfg.h"));
    if (!actions.isEmpty())
        setElementPropertyOf(made, "data", actionData(actions));
    return made;
}

QString TestButtonsEdits::writePanel(const QString &name, const QString &elements)
{
    return writeTestFile(dir->filePath(name), verticalPanelText(elements));
}

// Reads the panel file into the fixture's panel and starts its elements at
// their defaults, as a load does; the widget of the panel before goes once
// control is back in the event loop.
bool TestButtonsEdits::openPanel(const QString &path)
{
    fx->panel.editFlags().loading = true;
    fx->panel.clear();
    fx->panel.editHeader().xmlDir = QFileInfo(path).path();
    QFile file(path);
    bool read = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (read) {
        PanelXmlReader reader(&fx->panel);
        read = reader.readXml(&file);
    }
    const QList<ActiveElement *> elements = fx->panel.getAllElements();
    for (ActiveElement *element : elements) {
        element->resetToDefault();
        element->initialize();
    }
    fx->panel.editFlags().loading = false;
    return read;
}

// ---------------------------------------------------------------------------
// Names

void TestButtonsEdits::namelessButtonsAndTextsAreNumbered()
{
    // The counters run for the whole process: only their steps are known.
    PushButton first{QString(), QString()};
    const int n = first.objectName().mid(5).toInt();
    QCOMPARE(first.objectName(), QStringLiteral("PUSH_%1").arg(n));
    PushButton second{QString(), QString()};
    QCOMPARE(second.objectName(), QStringLiteral("PUSH_%1").arg(n + 1));
    PushButton named(QStringLiteral("GO"), QStringLiteral("Go"));
    QCOMPARE(named.objectName(), QStringLiteral("GO"));
    PushButton captioned(QString(), QStringLiteral("Go"));
    QCOMPARE(captioned.objectName(), QStringLiteral("Go_%1").arg(n + 2));
    QCOMPARE(captioned.text(), QStringLiteral("Go"));

    Text speed(QString(), QStringLiteral("Speed"));
    const int t = speed.objectName().mid(6).toInt();
    QCOMPARE(speed.objectName(), QStringLiteral("Speed_%1").arg(t));
    QCOMPARE(speed.text(), QStringLiteral("Speed"));
    Text empty{QString(), QString()};
    QCOMPARE(empty.objectName(), QStringLiteral("TEXT_%1").arg(t + 1));
    Text namedText(QStringLiteral("LABEL"), QStringLiteral("x"));
    QCOMPARE(namedText.objectName(), QStringLiteral("LABEL"));
    Text after{QString(), QString()};
    QCOMPARE(after.objectName(), QStringLiteral("TEXT_%1").arg(t + 2));

    // Toggle buttons and edits keep the name they are given, also an empty one.
    QCOMPARE(ToggleButton(QString(), QStringLiteral("On")).objectName(), QString());
    QCOMPARE(LineEdit(QString()).objectName(), QString());
}

// ---------------------------------------------------------------------------
// PushButton

void TestButtonsEdits::pushButtonRunsTheActionsOfEachEvent_data()
{
    QTest::addColumn<QVariantList>("actions");
    QTest::addColumn<QStringList>("defaults"); // "default_setdef"
    QTest::addColumn<QStringList>("expected"); // the signals of one full click, in order

    QTest::newRow("clicked setDef")
        << QVariantList{"clicked_setDef", "", "A=1"} << QStringList() << QStringList{"clicked_setDef(A=1)"};
    QTest::newRow("press and release have their own signals")
        << QVariantList{"released_setDef", "", "B", "pressed_sendUSB", "", "01", "r", "", "clicked_sendUSB", "", "02", "q", ""}
        << QStringList()
        << QStringList{"pressed_sendUSB(01)", "pressed_recData(r)", "released_setDef(B)", "clicked_sendUSB(02)", "clicked_recData(q)"};
    QTest::newRow("other kinds go out as clicked, whatever the event")
        << QVariantList{"pressed_runScript", "", "s", "released_loadFile", "", "f", "clicked_startProgram", "", "p", "clicked_resetGUI", "", ""}
        << QStringList()
        << QStringList{"clicked_runScript(s)", "clicked_loadFile(f)", "clicked_startProgram(p)", "clicked_resetGUI()"};
    QTest::newRow("conditions are formulas")
        << QVariantList{"clicked_setDef", "1-1", "no", "clicked_setDef", "1", "yes", "clicked_setDef", "", "empty", "clicked_sendUSB", "0", "01", "r", "", "clicked_setDef", "2*3", "six"}
        << QStringList() << QStringList{"clicked_setDef(yes)", "clicked_setDef(empty)", "clicked_setDef(six)"};
    QTest::newRow("unknown kinds and foreign events are skipped")
        << QVariantList{"clicked_bogus", "", "x", "checked_setDef", "", "y", "clicked", "", "z", "clicked_setDef", "", "last"}
        << QStringList() << QStringList{"clicked_setDef(last)"};
    QTest::newRow("setDef defaults go with each of the three events")
        << QVariantList{"pressed_setDef", "", "P"} << QStringList{"D1", "D2"}
        << QStringList{"pressed_setDef(P)", "clicked_setDef(D1)", "clicked_setDef(D2)",
                       "clicked_setDef(D1)", "clicked_setDef(D2)", "clicked_setDef(D1)", "clicked_setDef(D2)"};
}

void TestButtonsEdits::pushButtonRunsTheActionsOfEachEvent()
{
    QFETCH(QVariantList, actions);
    QFETCH(QStringList, defaults);
    QFETCH(QStringList, expected);

    auto *button = element<PushButton>(QStringLiteral("GO"), actions);
    setElementPropertyOf(button, "default_setdef", defaults);
    SignalLog log(button);
    button->click();
    QCOMPARE(log.entries, expected);

    // Only the button's own signals run the walk.
    log.clear();
    button->sendDataWhenClicked();
    QCOMPARE(log.entries, QStringList());
}

void TestButtonsEdits::pushButtonSendUsbDelayKeepsEventsFlowing()
{
    auto *button = element<PushButton>(QStringLiteral("GO"),
                                       {"clicked_sendUSB", "", "01", "r", "60", "clicked_setDef", "", "A",
                                        "pressed_sendUSB", "", "02", "q", "x"});
    SignalLog log(button);
    qint64 timerFiredAt = -1;
    QElapsedTimer clock;
    QTimer::singleShot(10, button, [&] { timerFiredAt = clock.elapsed(); });
    clock.start();
    button->click();

    QCOMPARE(log.entries, QStringList({"pressed_sendUSB(02)", "pressed_recData(q)", "clicked_sendUSB(01)",
                                       "clicked_recData(r)", "clicked_setDef(A)"}));
    QVERIFY2(timerFiredAt >= 0 && timerFiredAt < 60, "the wait processes events");
    // A delay that is no number waits nothing; the clicked one holds the walk.
    QVERIFY(log.times.at(log.entries.indexOf(QStringLiteral("clicked_sendUSB(01)"))) < 30);
    QVERIFY(log.times.at(log.entries.indexOf(QStringLiteral("clicked_setDef(A)"))) >= 60);
}

void TestButtonsEdits::pushButtonLoadIcon()
{
    QImage picture(16, 12, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(dir->filePath(QStringLiteral("go.png"))));

    auto *button = element<PushButton>(QStringLiteral("GO"));
    button->loadIcon(QStringLiteral("go.png"));
    QVERIFY(!button->icon().isNull());
    const qint64 key = button->icon().cacheKey();

    // A failed load is reported with the absolute path and keeps the icon.
    button->loadIcon(QStringLiteral("sub\\missing.png"));
    QCOMPARE(button->icon().cacheKey(), key);
    QCOMPARE(fx->transcript().size(), 1);
    QVERIFY(fx->reported(QStringLiteral("Cannot open file ") + dir->filePath(QStringLiteral("sub/missing.png"))
                         + QStringLiteral(":\nPicture of <button> element couldn't be loaded.")));
}

// ---------------------------------------------------------------------------
// ToggleButton

void TestButtonsEdits::toggleButtonValues_data()
{
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("defineValue");

    QTest::newRow("checked") << false << -1 << true << "1" << "1";
    QTest::newRow("unchecked") << false << -1 << false << "0" << "0";
    QTest::newRow("inverted, checked") << true << -1 << true << "0" << "0";
    QTest::newRow("inverted, unchecked") << true << 4 << false << "1" << "16";
    QTest::newRow("bit 4") << false << 4 << true << "1" << "16";
    QTest::newRow("bit 63") << false << 63 << true << "1" << "9223372036854775808";
}

void TestButtonsEdits::toggleButtonValues()
{
    QFETCH(bool, inverted);
    QFETCH(int, lsb);
    QFETCH(bool, checked);
    QFETCH(QString, value);
    QFETCH(QString, defineValue);

    auto *button = element<ToggleButton>(QStringLiteral("TB"));
    button->setElementProperty("inverted", inverted);
    button->setElementProperty("lsb", lsb);
    button->setChecked(checked);
    QCOMPARE(button->value(KeywordValue, 0), value);
    QCOMPARE(button->value(KeywordDefineValue, 0), defineValue);
    QCOMPARE(button->value(KeywordTypeInfo, 0), QStringLiteral("ToggleButton"));
    QVERIFY(button->isCheckable());

    QCOMPARE(button->value(KeywordIndex, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));
}

void TestButtonsEdits::toggleButtonSetValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyword");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<int>("checked"); // -1: reported as invalid, state kept

    QTest::newRow("1 checks") << "1" << 0 << false << -1 << 1;
    QTest::newRow("0 unchecks") << "0" << 0 << false << -1 << 0;
    QTest::newRow("1 on an inverted button unchecks") << "1" << 0 << true << -1 << 0;
    QTest::newRow("2") << "2" << 0 << false << -1 << -1;
    QTest::newRow("-1") << "-1" << 0 << false << -1 << -1;
    QTest::newRow("not a number") << "x" << 0 << false << -1 << -1;
    QTest::newRow("hex is no decimal") << "0x1" << 0 << false << -1 << -1;
    QTest::newRow("define value of bit 4") << "16" << 3 << false << 4 << 1;
    QTest::newRow("define value beyond the bit") << "32" << 3 << false << 4 << -1;
    QTest::newRow("define value without the bit") << "1" << 3 << false << 4 << 0;
    QTest::newRow("define value, whole define") << "1" << 3 << false << -1 << 1;
    QTest::newRow("define value negative") << "-16" << 3 << false << 4 << -1;
    QTest::newRow("index keyword") << "1" << 2 << false << -1 << -1;
}

void TestButtonsEdits::toggleButtonSetValue()
{
    QFETCH(QString, text);
    QFETCH(int, keyword);
    QFETCH(bool, inverted);
    QFETCH(int, lsb);
    QFETCH(int, checked);

    auto *button = element<ToggleButton>(QStringLiteral("TB"), {"checked_setDef", "", "A", "unchecked_setDef", "", "B"});
    button->setElementProperty("inverted", inverted);
    button->setElementProperty("lsb", lsb);
    button->initialize();
    // Start from the state opposite to the expected one.
    {
        const QSignalBlocker blocker(button);
        button->setChecked(checked != 1);
    }
    const bool before = button->isChecked();
    SignalLog log(button);
    button->setValue(text, keyword);

    if (checked < 0) {
        QCOMPARE(button->isChecked(), before);
        QVERIFY(fx->reported(QStringLiteral("Trying to set \"TB\" to invalid value \"%1\"").arg(text)));
        QCOMPARE(log.entries, QStringList());
        return;
    }
    QCOMPARE(button->isChecked(), checked == 1);
    QCOMPARE(fx->transcript(), QStringList());
    // Not blocked: the actions of the new state ran; the stored value is untouched.
    QCOMPARE(log.actions(), QStringList{checked ? "checked_setDef(A)" : "unchecked_setDef(B)"});
    QCOMPARE(button->storedValueText(), QStringLiteral("0"));
}

void TestButtonsEdits::toggleButtonLabelColourAndIcon()
{
    auto *button = element<ToggleButton>(QStringLiteral("TB"));
    auto *other = element<LineEdit>(QStringLiteral("OTHER"));
    other->setText(QStringLiteral("1"));
    fx->panel.registerElement(QStringLiteral("OTHER"), other);
    button->setValue(QStringLiteral("OTHER"), KeywordValue);
    QVERIFY(button->isChecked());

    button->setValue(QStringLiteral("Fast"), KeywordLabel);
    QCOMPARE(button->text(), QStringLiteral("Fast"));

    button->setValue(QString::number(0xff0000), 25);
    QCOMPARE(button->styleSheet(), QStringLiteral("QPushButton{background-color: rgb(255,0,0);}"
                                                  "QPushButton:checked{background-color: rgb(255,0,0);}"));
    button->setValue(QString::number(0x102030), 25);
    QVERIFY(button->styleSheet().startsWith(QStringLiteral("QPushButton{background-color: rgb(16,32,48);}")));
    // A colour that is no number changes nothing.
    button->setValue(QStringLiteral("red"), 25);
    QVERIFY(button->styleSheet().contains(QStringLiteral("rgb(16,32,48)")));
    QVERIFY(fx->reported(QStringLiteral("Trying to set \"TB\" to invalid value \"red\"")));

    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(dir->filePath(QStringLiteral("on.png"))));
    button->setValue(QStringLiteral("on.png"), 24);
    const QIcon plain = button->icon();
    QVERIFY(!plain.isNull());
    QVERIFY(plain.pixmap(8, 8, QIcon::Disabled).toImage().pixel(4, 4) != picture.pixel(4, 4));

    // "nograyout" 1: the disabled button shows the picture as it is.
    button->setElementProperty("nograyout", 1u);
    button->setValue(QStringLiteral("on.png"), 24);
    QCOMPARE(button->icon().pixmap(8, 8, QIcon::Disabled).toImage().pixel(4, 4), picture.pixel(4, 4));

    fx->env.installPrompt({});
    button->setValue(QStringLiteral("gone.png"), 24);
    QVERIFY(button->icon().isNull());
    QCOMPARE(fx->transcript(),
             QStringList{QStringLiteral("Cannot open file %1:\nIcon of <button> element couldn't be loaded.")
                             .arg(dir->filePath(QStringLiteral("gone.png")))});
}

void TestButtonsEdits::toggleButtonDefaultsAndLoads_data()
{
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("stored"); // "" when reported as invalid
    QTest::addColumn<bool>("checked");

    QTest::newRow("no default") << false << "" << "0" << false;
    QTest::newRow("1") << false << "1" << "1" << true;
    QTest::newRow("1, inverted") << true << "1" << "1" << false;
    QTest::newRow("0, inverted") << true << "0" << "0" << true;
    QTest::newRow("2") << false << "2" << "" << true;
    QTest::newRow("with a prefix") << false << "value=1" << "" << true;
}

void TestButtonsEdits::toggleButtonDefaultsAndLoads()
{
    QFETCH(bool, inverted);
    QFETCH(QString, defaultText);
    QFETCH(QString, stored);
    QFETCH(bool, checked);

    auto *button = element<ToggleButton>(QStringLiteral("TB"), {"checked_setDef", "", "A", "unchecked_setDef", "", "B"});
    button->setElementProperty("inverted", inverted);
    button->setElementProperty("my_default", defaultText);
    button->initialize();
    // A loaded 1 first; an invalid default leaves it.
    button->loadValue(QStringLiteral("1"));
    QCOMPARE(button->storedValueText(), QStringLiteral("1"));
    QCOMPARE(button->isChecked(), !inverted);
    button->setChecked(!inverted); // nothing to undo for a bad default

    SignalLog log(button);
    button->resetToDefault();
    QCOMPARE(log.entries, QStringList()); // signals blocked
    if (stored.isEmpty()) {
        QVERIFY(fx->reported(QStringLiteral("Trying to set \"TB\" to invalid value \"%1\"").arg(defaultText)));
        QCOMPARE(button->storedValueText(), QStringLiteral("1"));
    } else {
        QCOMPARE(button->storedValueText(), stored);
    }
    QCOMPARE(button->isChecked(), checked);

    // Project values: 0 and 1 only.
    fx->env.installPrompt({});
    button->loadValue(QStringLiteral("3"));
    QVERIFY(fx->reported(QStringLiteral("Trying to load \"TB\" with invalid value \"3\"")));
    button->loadValue(QStringLiteral("0"));
    QCOMPARE(button->storedValueText(), QStringLiteral("0"));
    QCOMPARE(button->isChecked(), inverted);
    QCOMPARE(log.entries, QStringList());
}

void TestButtonsEdits::toggleButtonUserClickStoresTheValue()
{
    auto *button = element<ToggleButton>(QStringLiteral("TB"));
    button->setElementProperty("inverted", true);
    button->initialize();
    QSignalSpy changed(signalsOf(button), &ElementSignals::changedByUser);
    button->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(button->storedValueText(), QStringLiteral("0"));
    QCOMPARE(button->value(KeywordValue, 0), QStringLiteral("0"));

    // A program's change leaves the stored value; reapplying shows it again.
    button->setValue(QStringLiteral("1"), KeywordValue);
    QVERIFY(!button->isChecked());
    QCOMPARE(button->storedValueText(), QStringLiteral("0"));
    button->reapplyStoredValue();
    QVERIFY(button->isChecked());
    QCOMPARE(changed.count(), 1);
}

void TestButtonsEdits::toggleButtonRunsActionsOfItsState_data()
{
    QTest::addColumn<QVariantList>("actions");
    QTest::addColumn<QStringList>("onCheck");
    QTest::addColumn<QStringList>("onUncheck");

    QTest::newRow("setDef of each state")
        << QVariantList{"checked_setDef", "", "A", "unchecked_setDef", "", "B"}
        << QStringList{"checked_setDef(A)"} << QStringList{"unchecked_setDef(B)"};
    QTest::newRow("unchecked sendUSB alone")
        << QVariantList{"unchecked_sendUSB", "", "01", "r", ""}
        << QStringList() << QStringList{"unchecked_sendUSB(01)", "unchecked_recData(r)"};
    QTest::newRow("resetGUI of each state, runScript through checked_runScript")
        << QVariantList{"checked_resetGUI", "", "", "unchecked_resetGUI", "", "", "unchecked_runScript", "", "S", "checked_runScript", "", "T"}
        << QStringList{"checked_resetGUI()", "checked_runScript(T)"}
        << QStringList{"unchecked_resetGUI()", "checked_runScript(S)"};
    QTest::newRow("loadFile and startProgram are skipped")
        << QVariantList{"checked_loadFile", "", "f", "checked_startProgram", "", "p", "checked_setDef", "", "A"}
        << QStringList{"checked_setDef(A)"} << QStringList();
    QTest::newRow("conditions")
        << QVariantList{"checked_setDef", "0", "no", "checked_setDef", "1", "yes", "unchecked_setDef", "1-1", "no"}
        << QStringList{"checked_setDef(yes)"} << QStringList();
}

void TestButtonsEdits::toggleButtonRunsActionsOfItsState()
{
    QFETCH(QVariantList, actions);
    QFETCH(QStringList, onCheck);
    QFETCH(QStringList, onUncheck);

    auto *button = element<ToggleButton>(QStringLiteral("TB"), actions);
    button->initialize();
    SignalLog log(button);
    button->click();
    QCOMPARE(log.actions(), onCheck);
    log.clear();
    button->click();
    QCOMPARE(log.actions(), onUncheck);
}

void TestButtonsEdits::disabledToggleButtonOnlyRefreshesFormulas()
{
    auto *button = element<ToggleButton>(QStringLiteral("TB"), {"checked_setDef", "", "A"});
    button->setElementProperty("locks", QVariantMap{{"0", QStringList{"L=1"}}});
    button->initialize();
    button->setEnabled(false);
    SignalLog log(button);
    button->setValue(QStringLiteral("1"), KeywordValue);
    QVERIFY(button->isChecked());
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
}

void TestButtonsEdits::toggleButtonInitialize()
{
    auto *unchecked = element<ToggleButton>(QStringLiteral("TB"), {"unchecked_setDef", "", "B"});
    QSignalSpy toggled(unchecked, &QPushButton::toggled);
    SignalLog log(unchecked);
    unchecked->initialize();
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.at(0).at(0).toBool(), false);
    QCOMPARE(log.entries, QStringList()); // its own actions do not run yet
    QCOMPARE(toolTipShown(unchecked), QStringLiteral("TB = 0\nHeader: cfg.h\n"));

    // Initialised again (a panel reset): still one walk per change.
    unchecked->initialize();
    unchecked->click();
    unchecked->click();
    QCOMPARE(log.actions(), QStringList{"unchecked_setDef(B)"});

    auto *checked = element<ToggleButton>(QStringLiteral("TC"));
    checked->setChecked(true);
    QSignalSpy checkedToggled(checked, &QPushButton::toggled);
    checked->initialize();
    QCOMPARE(checkedToggled.count(), 0);

    // During a panel reset the state goes out as it is.
    auto *reset = element<ToggleButton>(QStringLiteral("TD"));
    reset->setChecked(true);
    reset->setElementProperty("confirmation", QStringLiteral("Sure?"));
    QSignalSpy resetToggled(reset, &QPushButton::toggled);
    fx->panel.editFlags().guiResetInProgress = true;
    reset->initialize();
    QCOMPARE(resetToggled.count(), 1);
    QCOMPARE(resetToggled.at(0).at(0).toBool(), true);
    QVERIFY(reset->findChild<QInputEventRecorder *>());
}

void TestButtonsEdits::toggleButtonLocks()
{
    auto *button = element<ToggleButton>(QStringLiteral("TB"));
    button->setElementProperty("locks", QVariantMap{{"0", QStringList{"A=1", "B.label=x"}}});
    button->setElementProperty("default_setdef", QStringList{"C=2"});
    button->initialize();
    SignalLog log(button);

    // Unchecked: applying the locks sends none.
    button->applyLocks();
    QCOMPARE(log.entries, QStringList{"changedByUser()"});
    log.clear();
    button->click();
    QCOMPARE(log.actions(), QStringList({"sendLock(A=1)", "sendLock(B.label=x)", "checked_setDef(C=2)"}));
    log.clear();
    button->applyLocks();
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(A=1)", "sendLock(B.label=x)"}));
    log.clear();
    button->click();
    QCOMPARE(log.actions(), QStringList({"sendUnlock(A=1)", "sendUnlock(B.label=x)"}));

    // The branch switch releases the locks; the window has a waiting lock sent.
    log.clear();
    button->sendLocks(false);
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendUnlock(A=1)", "sendUnlock(B.label=x)"}));
    log.clear();
    QVERIFY(QMetaObject::invokeMethod(button, "emitSendLock", Q_ARG(QString, QStringLiteral("A=1"))));
    QCOMPARE(log.entries, QStringList{"sendLock(A=1)"});

    // A disabled button applies nothing.
    log.clear();
    button->setEnabled(false);
    button->applyLocks();
    QCOMPARE(log.entries, QStringList());
}

// ---------------------------------------------------------------------------
// LineEdit

void TestButtonsEdits::lineEditValues_data()
{
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");

    QTest::newRow("hex") << true << "0x1F" << "31";
    QTest::newRow("binary in parentheses") << true << "(0b101u)" << "5";
    QTest::newRow("decimal") << true << "-12" << "-12";
    QTest::newRow("text in a numeric edit") << true << "abc" << "abc";
    QTest::newRow("hex, not numeric") << false << "0x1F" << "0x1F";
    QTest::newRow("empty") << true << "" << "";
}

void TestButtonsEdits::lineEditValues()
{
    QFETCH(bool, numeric);
    QFETCH(QString, text);
    QFETCH(QString, value);

    auto *edit = element<LineEdit>(QStringLiteral("LE"));
    edit->setNumeric(numeric);
    edit->setText(text);
    QCOMPARE(edit->value(KeywordValue, 1), value);
    QCOMPARE(edit->value(KeywordDefineValue, 1), text);
    QCOMPARE(edit->value(KeywordTypeInfo, 1), QStringLiteral("LineEdit"));
    QCOMPARE(edit->value(KeywordLabel, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));
}

void TestButtonsEdits::lineEditSetValue()
{
    auto *edit = element<LineEdit>(QStringLiteral("LE"), {"changed_setDef", "", "A"});
    edit->initialize();
    SignalLog log(edit);
    edit->setValue(QStringLiteral("any text; even this"), KeywordValue);
    QCOMPARE(edit->text(), QStringLiteral("any text; even this"));
    QCOMPARE(log.actions(), QStringList{"changed_setDef(A)"});
    QCOMPARE(edit->storedValueText(), QString());

    // "color": the field's background in every colour group.
    edit->setValue(QStringLiteral("255"), 25);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(edit->palette().color(group, QPalette::Base), QColor(0, 0, 255));
    edit->setValue(QStringLiteral("blue"), 25);
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
    edit->setValue(QStringLiteral("x"), KeywordLabel);
    QCOMPARE(fx->transcript(),
             QStringList({"Trying to set \"LE\" to invalid value \"blue\"", "Trying to set \"LE\" to invalid value \"x\""}));
    QCOMPARE(edit->text(), QStringLiteral("any text; even this"));
}

void TestButtonsEdits::lineEditLoadAndUserEdit()
{
    auto *edit = element<LineEdit>(QStringLiteral("LE"), {"changed_setDef", "", "A"});
    edit->initialize();
    SignalLog log(edit);
    edit->loadValue(QStringLiteral("loaded"));
    QCOMPARE(edit->text(), QStringLiteral("loaded"));
    QCOMPARE(edit->storedValueText(), QStringLiteral("loaded"));
    QCOMPARE(log.entries, QStringList());
    QVERIFY(!fx->shell.modified);

    edit->setValue(QStringLiteral("program"), KeywordValue);
    edit->reapplyStoredValue();
    QCOMPARE(edit->text(), QStringLiteral("loaded"));

    edit->clear();
    log.clear();
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QCOMPARE(edit->storedValueText(), QStringLiteral("ab"));
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 2);
    QCOMPARE(log.actions(), QStringList({"changed_setDef(A)", "changed_setDef(A)"}));
    QVERIFY(fx->shell.modified);
    QCOMPARE(fx->panel.header().changedHeaders.value(QStringLiteral("cfg.h")), true);
}

void TestButtonsEdits::lineEditDefaultWidensTheField()
{
    auto *edit = element<LineEdit>(QStringLiteral("LE"), {"changed_setDef", "", "A"});
    edit->initialize();
    const QString longText = QStringLiteral("a default much longer than any small field");
    edit->setElementProperty("my_default", longText);
    SignalLog log(edit);
    edit->resetToDefault();
    QCOMPARE(edit->text(), longText);
    QCOMPARE(edit->storedValueText(), longText);
    QCOMPARE(edit->minimumWidth(), edit->fontMetrics().horizontalAdvance(longText) + 10);
    QCOMPARE(log.actions(), QStringList{"changed_setDef(A)"}); // not blocked

    // A shorter default keeps the wider minimum; an empty one is a value too.
    const int wide = edit->minimumWidth();
    edit->setElementProperty("my_default", QStringLiteral("x"));
    edit->resetToDefault();
    QCOMPARE(edit->minimumWidth(), wide);
    edit->setElementProperty("my_default", QVariant());
    edit->resetToDefault();
    QCOMPARE(edit->text(), QString());
    QCOMPARE(edit->storedValueText(), QString());
}

void TestButtonsEdits::lineEditRunsSetDefAndRunScriptActions()
{
    auto *edit = element<LineEdit>(
        QStringLiteral("LE"),
        {"changed_sendUSB", "", "01", "r", "500", "whatever_setDef", "", "A", "changed_runScript", "", "S",
         "changed_loadFile", "", "f", "changed_setDef", "1-1", "no", "changed_resetGUI", "", "", "changed_setDef", "", "B"});
    SignalLog log(edit);
    QElapsedTimer clock;
    clock.start();
    edit->sendData(QStringLiteral("ignored"));
    QVERIFY2(clock.elapsed() < 400, "sendUSB is no action of a line edit");
    QCOMPARE(log.entries, QStringList({"changed_setDef(A)", "changed_runScript(S)", "changed_setDef(B)",
                                       "updateMathLabels()"}));
}

// ---------------------------------------------------------------------------
// TextEdit

void TestButtonsEdits::textEditLoadValue()
{
    auto *edit = element<TextEdit>(QStringLiteral("TE"));
    edit->initialize();
    SignalLog log(edit);
    edit->loadValue(QStringLiteral("<b>x</b>"));
    QCOMPARE(edit->value(KeywordValue, 1), QStringLiteral("x"));
    QTextCursor cursor(edit->document());
    cursor.setPosition(1);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(log.entries, QStringList());
    QCOMPARE(edit->storedValueText(), edit->toHtml());

    edit->loadValue(QString());
    QCOMPARE(edit->toPlainText(), QString());
    QCOMPARE(log.entries, QStringList());

    // A stored value in plain text shows as such.
    edit->setElementProperty("my_default", QStringLiteral("first\nsecond"));
    edit->resetToDefault();
    QCOMPARE(edit->toPlainText(), QStringLiteral("first\nsecond"));
    {
        // Any change that reaches the element is its new stored value.
        const QSignalBlocker blocker(edit);
        edit->setText(QStringLiteral("other"));
    }
    edit->reapplyStoredValue();
    QCOMPARE(edit->toPlainText(), QStringLiteral("first\nsecond"));
}

void TestButtonsEdits::textEditValues()
{
    auto *edit = element<TextEdit>(QStringLiteral("TE"));
    edit->setPlainText(QStringLiteral("line one\nline two"));
    QCOMPARE(edit->value(KeywordValue, 1), QStringLiteral("line one\nline two"));
    // A define stays on one line of its header.
    QCOMPARE(edit->value(KeywordDefineValue, 1), QStringLiteral("line one line two"));
    QCOMPARE(edit->value(KeywordTypeInfo, 1), QStringLiteral("EditBox"));
    QCOMPARE(edit->value(KeywordIndex, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));

    fx->env.installPrompt({});
    edit->setValue(QStringLiteral("<i>new</i>"), KeywordValue);
    QCOMPARE(edit->toPlainText(), QStringLiteral("new"));
    edit->setValue(QStringLiteral("x"), 25);
    QCOMPARE(fx->transcript(), QStringList{"Trying to set \"TE\" to invalid value \"x\""});
    QCOMPARE(edit->toPlainText(), QStringLiteral("new"));
}

void TestButtonsEdits::textEditChangePaths()
{
    auto *edit = element<TextEdit>(QStringLiteral("TE"), {"changed_setDef", "", "NOT_READ"});
    edit->initialize();
    SignalLog log(edit);

    // Every change of the content, also the program's, is taken as the user's.
    edit->setPlainText(QStringLiteral("typed"));
    QCOMPARE(log.entries, QStringList{"changedByUser()"});
    QCOMPARE(edit->storedValueText(), edit->toHtml());
    QVERIFY(edit->toolTip().contains(QStringLiteral("typed")));
    QCOMPARE(edit->toolTip(), edit->toHtml());
    QVERIFY(!fx->shell.modified);

    // The script engine's change: the text is the data of both actions.
    log.clear();
    edit->valueChanged(QStringLiteral("from a script"));
    QCOMPARE(log.entries, QStringList({"changed_sendUSB(from a script)", "changed_setDef(from a script)"}));
    QVERIFY(fx->shell.modified);
    log.clear();
    edit->sendData(QStringLiteral("d"));
    QCOMPARE(log.entries, QStringList({"changed_sendUSB(d)", "changed_setDef(d)"}));
}

void TestButtonsEdits::textEditOpensLinks()
{
    UrlSink sink;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "openUrl");
    auto *edit = element<TextEdit>(QStringLiteral("TE"));
    top->resize(400, 200);
    edit->resize(300, 100);
    edit->setHtml(QStringLiteral("plain words <a href=\"https://example.org/doc\">documentation link</a>"));
    QVERIFY(showAndActivate(top.get()));

    QTextCursor cursor(edit->document());
    cursor.setPosition(QStringLiteral("plain words docum").size());
    const QPoint onLink = edit->cursorRect(cursor).center();
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, Qt::NoModifier, onLink);
    QCOMPARE(sink.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/doc"))});

    cursor.setPosition(3);
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, Qt::NoModifier, edit->cursorRect(cursor).center());
    QCOMPARE(sink.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestButtonsEdits::textEditShape()
{
    TextEdit edit(QStringLiteral("TE"));
    QCOMPARE(edit.sizeHint(), QSize(20, 20));
    QCOMPARE(edit.sizePolicy().horizontalPolicy(), QSizePolicy::MinimumExpanding);
    QCOMPARE(edit.sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    QVERIFY(!edit.acceptRichText());
    QVERIFY(edit.textInteractionFlags() & Qt::LinksAccessibleByMouse);
    QVERIFY(edit.textInteractionFlags() & Qt::TextEditable);
}

// ---------------------------------------------------------------------------
// Shared

void TestButtonsEdits::editsHoldOnlyAWholeDefine()
{
    LineEdit line(QStringLiteral("LE"));
    TextEdit text(QStringLiteral("TE"));
    ToggleButton toggle(QStringLiteral("TB"), QString());
    for (ActiveElement *element : {static_cast<ActiveElement *>(&line), static_cast<ActiveElement *>(&text)}) {
        QVERIFY(element->acceptsBitRange(-1, -1));
        QVERIFY(!element->acceptsBitRange(0, 0));
        QVERIFY(!element->acceptsBitRange(7, 0));
    }
    QVERIFY(toggle.acceptsBitRange(-1, -1));
    QVERIFY(toggle.acceptsBitRange(4, 4));
    QVERIFY(!toggle.acceptsBitRange(5, 4));
}

void TestButtonsEdits::lockedElementsStayDisabled()
{
    auto *toggle = element<ToggleButton>(QStringLiteral("TB"));
    auto *line = element<LineEdit>(QStringLiteral("LE"));
    auto *text = element<TextEdit>(QStringLiteral("TE"));
    toggle->addLock(QStringLiteral("A"), QStringLiteral("1"), KeywordValue);
    line->addLock(QStringLiteral("A"), QStringLiteral("locked text"), KeywordValue);
    text->addLock(QStringLiteral("A"), QStringLiteral("locked"), KeywordValue);
    QVERIFY(toggle->isChecked());
    QCOMPARE(line->text(), QStringLiteral("locked text"));
    QCOMPARE(text->toPlainText(), QStringLiteral("locked"));
    for (QWidget *widget : {static_cast<QWidget *>(toggle), static_cast<QWidget *>(line), static_cast<QWidget *>(text)}) {
        QVERIFY(!widget->isEnabled());
        activeElementOf(widget)->enable(true);
        QVERIFY(!widget->isEnabled());
        activeElementOf(widget)->removeLock(QStringLiteral("A"));
        QVERIFY(widget->isEnabled());
    }
    // Unlocked, each shows its stored value again.
    QVERIFY(!toggle->isChecked());
    QCOMPARE(line->text(), QString());
    QCOMPARE(text->toPlainText(), QString());
}

void TestButtonsEdits::recordedLines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("line");

    QTest::newRow("push button") << "push" << true << true << "" << "Clicked(GO)\n";
    QTest::newRow("push button with comment") << "push" << true << true << "step 1" << "Clicked(GO)//step 1\n";
    QTest::newRow("push button not focused") << "push" << true << false << "" << "";
    QTest::newRow("push button not recording") << "push" << false << true << "" << "";
    QTest::newRow("toggle button") << "toggle" << true << true << "" << "Clicked(TB)\n";
    QTest::newRow("toggle button with comment") << "toggle" << true << true << "x" << "Clicked(TB)//x\n";
    QTest::newRow("toggle button not focused") << "toggle" << true << false << "" << "";
    QTest::newRow("line edit, no blank after the comma") << "line" << true << true << "" << "Set(NAME,abc)\n";
    QTest::newRow("line edit not focused") << "line" << true << false << "" << "";
    QTest::newRow("text edit") << "text" << true << true << "c" << "Set(NOTE, abc def)//c\n";
}

void TestButtonsEdits::recordedLines()
{
    QFETCH(QString, kind);
    QFETCH(bool, recording);
    QFETCH(bool, focused);
    QFETCH(QString, comment);
    QFETCH(QString, line);

    auto *other = new QLineEdit(top.get());
    QWidget *target = nullptr;
    if (kind == QLatin1String("push")) {
        target = element<PushButton>(QStringLiteral("GO"));
    } else if (kind == QLatin1String("toggle")) {
        auto *toggle = element<ToggleButton>(QStringLiteral("TB"));
        toggle->initialize();
        target = toggle;
    } else if (kind == QLatin1String("line")) {
        auto *edit = element<LineEdit>(QStringLiteral("NAME"));
        edit->initialize();
        target = edit;
    } else {
        auto *edit = element<TextEdit>(QStringLiteral("NOTE"));
        edit->initialize();
        target = edit;
    }
    target->move(0, 40);
    QVERIFY(showAndActivate(top.get()));
    QString recorded;
    if (recording)
        fx->shell.recorder.stream().setString(&recorded);
    fx->shell.recorder.setComment(comment);
    fx->shell.console.clear();
    (focused ? target : static_cast<QWidget *>(other))->setFocus();

    if (kind == QLatin1String("line"))
        QTest::keyClicks(qobject_cast<LineEdit *>(target), QStringLiteral("abc"), Qt::NoModifier);
    else if (kind == QLatin1String("text"))
        qobject_cast<TextEdit *>(target)->setPlainText(QStringLiteral("abc\ndef"));
    else
        qobject_cast<QAbstractButton *>(target)->click();

    // A line edit records each edit; the last line is the whole text.
    const QStringList lines = recorded.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.isEmpty() ? QString() : lines.last() + QLatin1Char('\n'), line);
    if (kind != QLatin1String("line"))
        QCOMPARE(recorded, line);
    const QString console = fx->consoleText();
    if (line.isEmpty())
        QVERIFY(!console.contains(QStringLiteral("Set(")) && !console.contains(QStringLiteral("Clicked(")));
    else
        QVERIFY(console.contains(line.trimmed()));

    // Presses, releases and program changes are never recorded.
    recorded.clear();
    if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        QMetaObject::invokeMethod(button, "pressed");
        QMetaObject::invokeMethod(button, "released");
    }
    if (auto *active = activeElementOf(target))
        active->setValue(QStringLiteral("1"), KeywordValue);
    QCOMPARE(recorded, kind == QLatin1String("text") && !line.isEmpty() ? QStringLiteral("Set(NOTE, 1)//c\n") : QString());
}

void TestButtonsEdits::deletedInItsOwnActionStopsTheWalk_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("push button") << "push";
    QTest::newRow("toggle button") << "toggle";
    QTest::newRow("line edit") << "line";
    QTest::newRow("text edit") << "text";
}

void TestButtonsEdits::deletedInItsOwnActionStopsTheWalk()
{
    QFETCH(QString, kind);

    // Each walk has a second action (and locks and setDef texts) after the first.
    const QVariantList actions = {"clicked_setDef", "", "A", "checked_setDef", "", "A", "changed_setDef", "", "A",
                                  "clicked_setDef", "", "B", "checked_setDef", "", "B", "changed_setDef", "", "B"};
    QPointer<QWidget> target;
    ElementSignals::TextSignal first = nullptr;
    if (kind == QLatin1String("push")) {
        target = element<PushButton>(QStringLiteral("GO"), actions);
        first = &ElementSignals::clicked_setDef;
    } else if (kind == QLatin1String("toggle")) {
        auto *toggle = element<ToggleButton>(QStringLiteral("TB"), actions);
        toggle->setElementProperty("locks", QVariantMap{{"0", QStringList{"L=1"}}});
        toggle->setElementProperty("default_setdef", QStringList{"D"});
        toggle->initialize();
        const QSignalBlocker blocker(toggle);
        toggle->setChecked(true);
        target = toggle;
        first = &ElementSignals::checked_setDef;
    } else if (kind == QLatin1String("line")) {
        target = element<LineEdit>(QStringLiteral("LE"), actions);
        first = &ElementSignals::changed_setDef;
    } else {
        target = element<TextEdit>(QStringLiteral("TE"));
        first = &ElementSignals::changed_sendUSB;
    }
    SignalLog log(target);
    // The first action takes the element with it, as a loadFile of another
    // panel does; Qt's own emitters are not entered, the element's slot is.
    ElementDeleter deleter;
    QObject::connect(signalsOf(target), first, &deleter, &ElementDeleter::deleteSender);

    if (kind == QLatin1String("push"))
        qobject_cast<QAbstractButton *>(target.data())->click();
    else if (kind == QLatin1String("toggle"))
        qobject_cast<ToggleButton *>(target.data())->valueChanged(true);
    else if (kind == QLatin1String("line"))
        qobject_cast<LineEdit *>(target.data())->valueChanged(QStringLiteral("x"));
    else
        qobject_cast<TextEdit *>(target.data())->valueChanged(QStringLiteral("x"));

    QVERIFY(target.isNull());
    QCOMPARE(log.entries.size(), 1);
    QVERIFY(log.entries.first() == QLatin1String("changed_sendUSB(x)") || log.entries.first().endsWith("(A)"));
    QVERIFY(!fx->shell.modified);
}

void TestButtonsEdits::buttonWhoseActionLoadsAnotherPanel()
{
    const QString second = writePanel(QStringLiteral("second.xml"), QStringLiteral("<checkbox define=\"SECOND\"/>"));
    const QString first = writePanel(
        QStringLiteral("first.xml"),
        QStringLiteral("<button define=\"GO\" label=\"Go\">"
                       "<action event=\"pressed\" cmd=\"setDef\" data=\"FIRST=1\"/>"
                       "<action event=\"clicked\" cmd=\"setDef\" data=\"FIRST=0\"/>"
                       "<action event=\"clicked\" cmd=\"loadFile\" data=\"second.xml\"/></button>"
                       "<checkbox define=\"FIRST\"/>"));
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    QVERIFY(openPanel(first));
    QPointer<PushButton> button = fx->panel.registries().pushButtonsByName.value(QStringLiteral("GO"));
    QVERIFY(button);
    setElementPropertyOf(button, "default_setdef", QStringList{"FIRST=1"});
    SignalLog log(button);
    // The shell loads as the window does, the name taken in the panel's folder.
    const QString folder = fx->panel.header().xmlDir;
    fx->shell.onLoadFile = [this, folder](const QString &name) { QVERIFY(openPanel(QDir(folder).filePath(name))); };

    // Clicked from the event loop, as in the program: the old panel then goes
    // only once control is back there, whatever the load does meanwhile.
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        loop.quit();
    });
    loop.exec();
    QCOMPARE(fx->shell.loadedFiles, QStringList{"second.xml"});
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("SECOND")));
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("FIRST")));
    // Nothing of the old panel's walk ran after the load: not the setDef
    // texts that end every walk.
    QCOMPARE(log.entries, QStringList({"pressed_setDef(FIRST=1)", "clicked_setDef(FIRST=1)",
                                       "clicked_setDef(FIRST=1)", "clicked_setDef(FIRST=0)",
                                       "clicked_loadFile(second.xml)"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(button.isNull());
}

QTEST_MAIN(TestButtonsEdits)
#include "tst_buttonsedits.moc"
