#include "prompt.h"

#include <QtTest>

class TestPrompt : public QObject
{
    Q_OBJECT

private slots:
    void messageTakesDefaultOrCancel_data();
    void messageTakesDefaultOrCancel();
    void scriptedAnswersAreUsedInOrder();
    void textPromptsCancelWithoutAnswer();
    void promptsReachTheLogSink();
};

void TestPrompt::messageTakesDefaultOrCancel_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("expected");
    QTest::newRow("explicit default") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::Yes)
                                      << int(QMessageBox::Yes);
    QTest::newRow("yes/no without default answers no")
        << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::NoButton) << int(QMessageBox::No);
    QTest::newRow("save/discard/cancel answers cancel")
        << int(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)
        << int(QMessageBox::NoButton) << int(QMessageBox::Cancel);
    QTest::newRow("ok only") << int(QMessageBox::Ok) << int(QMessageBox::NoButton) << int(QMessageBox::Ok);
}

void TestPrompt::messageTakesDefaultOrCancel()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, expected);
    NonInteractivePrompt prompt(QStringList{});
    PromptMessage m;
    m.title = "Title";
    m.text = "Text";
    m.buttons = QMessageBox::StandardButtons(buttons);
    m.defaultButton = QMessageBox::StandardButton(defaultButton);
    QCOMPARE(int(prompt.message(m).button), expected);
    QCOMPARE(prompt.transcript(), QStringList{"Title: Text"});
}

void TestPrompt::scriptedAnswersAreUsedInOrder()
{
    NonInteractivePrompt prompt({"yes", "no+checked", "retry", "/tmp/file.txt"});
    PromptMessage m;
    m.buttons = QMessageBox::Yes | QMessageBox::No;
    m.defaultButton = QMessageBox::No;
    m.checkBoxText = "Remember my decision";
    PromptAnswer first = prompt.message(m);
    QCOMPARE(first.button, QMessageBox::Yes);
    QVERIFY(!first.checked);
    PromptAnswer second = prompt.message(m);
    QCOMPARE(second.button, QMessageBox::No);
    QVERIFY(second.checked);
    // An answer naming a button the box does not have falls back to the default.
    QCOMPARE(prompt.message(m).button, QMessageBox::No);
    QCOMPARE(prompt.openFileName(nullptr, "Open", "/", "*.xml"), QString("/tmp/file.txt"));
}

void TestPrompt::textPromptsCancelWithoutAnswer()
{
    NonInteractivePrompt prompt(QStringList{});
    QVERIFY(prompt.saveFileName(nullptr, "Save", "", "").isEmpty());
    QVERIFY(prompt.existingDirectory(nullptr, "Dir", "/").isEmpty());
    bool ok = true;
    QVERIFY(prompt.item(nullptr, "Port", "Choose", {"a", "b"}, 0, &ok).isEmpty());
    QVERIFY(!ok);
}

void TestPrompt::promptsReachTheLogSink()
{
    QStringList logged;
    Prompt::setLogSink([&logged](const QString &text) { logged << text; });
    NonInteractivePrompt prompt(QStringList{});
    PromptMessage m;
    m.title = "Keil";
    m.text = "Integrate?";
    prompt.message(m);
    prompt.errorBox("reporter text"); // the reporter logs its own messages
    Prompt::setLogSink({});
    QCOMPARE(logged, QStringList{"Keil: Integrate?\n"});
}

QTEST_APPLESS_MAIN(TestPrompt)
#include "tst_prompt.moc"
