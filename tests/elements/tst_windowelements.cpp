// Elements in the main window: their values through a project file saved and
// loaded by the window, and the enabled state the window reads from an
// element. The other element tests run on a panel with a test shell.
#include "buttongroup.h"
#include "errorreporter.h"
#include "lineedit.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "testenvironment.h"
#include "textedit.h"
#include "togglebutton.h"

#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestWindowElements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void projectRoundTrip();
    void groupIsEnabledWhenItsFirstButtonIs();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestWindowElements::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    window = std::make_unique<MainWindow>(CommandLineOptions{});
}

void TestWindowElements::init()
{
    env->installPrompt({});
    ErrorReporter::instance().setSinks(true, false, false);
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestWindowElements::cleanup()
{
    dir.reset();
}

void TestWindowElements::projectRoundTrip()
{
    const QString panel = writeTestFile(
        dir->filePath(QStringLiteral("values.xml")),
        verticalPanelText(QStringLiteral("<togglebutton define=\"TOGGLE\" label=\"On\" default=\"0\"/>"
                                         "<edit define=\"NAME\" numeric=\"1\" default=\"7\"/>"
                                         "<editbox define=\"NOTE\" default=\"start\"/>")));
    QVERIFY(!panel.isEmpty());
    QVERIFY(window->open(panel));
    window->initLoadedConfiguration(true);
    auto *toggle = dynamic_cast<ToggleButton *>(window->panel()->getActiveElement(QStringLiteral("TOGGLE")));
    auto *name = dynamic_cast<LineEdit *>(window->panel()->getActiveElement(QStringLiteral("NAME")));
    auto *note = dynamic_cast<TextEdit *>(window->panel()->getActiveElement(QStringLiteral("NOTE")));
    QVERIFY(toggle && name && note);
    QVERIFY(name->isNumeric());
    QCOMPARE(name->text(), QStringLiteral("7"));
    QCOMPARE(note->toPlainText(), QStringLiteral("start"));

    // The user's values.
    toggle->click();
    name->setText(QStringLiteral("0x1F"));
    name->valueChangedByUser(name->text());
    note->setPlainText(QStringLiteral("first line\nsecond <line> & more"));

    const QString project = dir->filePath(QStringLiteral("values.qlmp"));
    QVERIFY(window->saveProjectFile(project, false));
    QFile file(project);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    const auto record = [&saved](const QString &define, const QString &value, const QString &shown) {
        return saved.contains(QRegularExpression(
            QStringLiteral("<define>%1</define>\\s*<value>%2</value>\\s*<dispValue>%3</dispValue>")
                .arg(define, value, shown)));
    };
    QVERIFY2(record(QStringLiteral("TOGGLE"), QStringLiteral("1"), QStringLiteral("1")), qPrintable(saved));
    QVERIFY(record(QStringLiteral("NAME"), QStringLiteral("0x1F"), QStringLiteral("31")));
    // The text edit's HTML goes without its font family.
    const int noteAt = saved.indexOf(QStringLiteral("<define>NOTE</define>"));
    QVERIFY(noteAt > 0);
    const QString noteRecord = saved.mid(noteAt, saved.indexOf(QStringLiteral("</TextEdit>"), noteAt) - noteAt);
    QVERIFY(note->toHtml().contains(QStringLiteral("font-family:")));
    QVERIFY2(!noteRecord.contains(QStringLiteral("font-family:")), qPrintable(noteRecord));
    QVERIFY(noteRecord.contains(QStringLiteral("&amp;lt;line&gt;")) || noteRecord.contains(QStringLiteral("&amp;lt;line&amp;gt;")));

    // Back to the defaults, then the project again.
    window->panel()->resetToDefaults();
    QVERIFY(!toggle->isChecked());
    QCOMPARE(name->text(), QStringLiteral("7"));
    QVERIFY(window->load(project));
    toggle = dynamic_cast<ToggleButton *>(window->panel()->getActiveElement(QStringLiteral("TOGGLE")));
    name = dynamic_cast<LineEdit *>(window->panel()->getActiveElement(QStringLiteral("NAME")));
    note = dynamic_cast<TextEdit *>(window->panel()->getActiveElement(QStringLiteral("NOTE")));
    QVERIFY(toggle && name && note);
    QVERIFY(toggle->isChecked());
    QCOMPARE(toggle->storedValueText(), QStringLiteral("1"));
    QCOMPARE(name->text(), QStringLiteral("0x1F"));
    QCOMPARE(name->storedValueText(), QStringLiteral("0x1F"));
    QCOMPARE(note->toPlainText(), QStringLiteral("first line\nsecond <line> & more"));
}

void TestWindowElements::groupIsEnabledWhenItsFirstButtonIs()
{
    QWidget top;
    const auto group = [this, &top](int count) {
        auto *result = new ButtonGroup(QStringLiteral("G"), &top);
        result->setHost(window->panel());
        for (int i = 0; i < count; ++i)
            result->addRadioButton(new QRadioButton(QStringLiteral("Text%1").arg(i), &top), QString(),
                                   QString::number(i + 1));
        return result;
    };
    QVERIFY(!isElementEnabled(group(0)));
    ButtonGroup *g = group(2);
    QVERIFY(isElementEnabled(g));
    g->enable(false);
    QVERIFY(!isElementEnabled(g));
    QVERIFY(!isElementEnabled(nullptr));
}

QTEST_MAIN(TestWindowElements)
#include "tst_windowelements.moc"
