// The numeric elements' values through a project file and back. This goes
// through the window: it opens the panel, sets the elements up after the
// load, and saves and loads the project file, which only the window does.

#include "testenvironment.h"
#include "errorreporter.h"
#include "hexspinbox.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "programversion.h"

#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestNumericProject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void valuesTravelThroughTheProjectFile();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    void write(const QString &name, const QByteArray &text) const;
    template <class T>
    T *find(const QString &name) const
    {
        auto *area = qobject_cast<QScrollArea *>(window->centralWidget());
        return area && area->widget() ? area->widget()->findChild<T *>(name) : nullptr;
    }
    QStringList transcript() const { return env->prompt()->transcript(); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestNumericProject::initTestCase()
{
    readProgramVersion();
    env = std::make_unique<TestEnvironment>();
    // Saving the project exports the header files, which start with the
    // program's disclaimer.
    QFile disclaimer(QDir(env->appDir()).filePath("disclaimer.txt"));
    QVERIFY(disclaimer.open(QIODevice::WriteOnly));
    disclaimer.write("Generated for tests.\n");
    disclaimer.close();
    window = std::make_unique<MainWindow>(CommandLineOptions());
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    ErrorReporter::instance().setSinks(true, false, false);
    env->installPrompt({});
}

void TestNumericProject::cleanupTestCase()
{
    window.reset();
}

void TestNumericProject::write(const QString &name, const QByteArray &text) const
{
    QVERIFY(!writeTestFile(path(name), text).isEmpty());
}

void TestNumericProject::valuesTravelThroughTheProjectFile()
{
    write("values.xml", verticalPanelText("<header file=\"values.h\">"
                                          "<spinbox define=\"COUNT\" range=\"-10;1000\" default=\"1\"/>"
                                          "<hexspinbox define=\"MASK\" range=\"0;0x7FFFFFFF\" default=\"0x10\"/>"
                                          "<doublespinbox define=\"RATIO\" range=\"0;10\" default=\"1.5\"/>"
                                          "<slider define=\"LEVEL\" range=\"0;63\" default=\"8\"/>"
                                          "<knob define=\"GAIN\" range=\"0;100\" default=\"10\"/>"
                                          "</header>"));
    QVERIFY(window->open(path("values.xml")));
    window->initLoadedConfiguration(true);

    // Values as a project holds them: a double that needs all 17 digits.
    const QHash<QString, QString> values{{"COUNT", "-7"},
                                         {"MASK", "2147483647"},
                                         {"RATIO", "0.30000000000000004"},
                                         {"LEVEL", "63"},
                                         {"GAIN", "42.9"}};
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        window->panel()->getActiveElement(it.key())->loadValue(it.value());
    const QString project = path("values.qlmp");
    QVERIFY(window->saveProjectFile(project, true));
    QFile file(project);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    const auto record = [](const char *kind, const char *define, const char *value, const char *shown) {
        return QStringLiteral("<%1>\n            <define>%2</define>\n            <value>%3</value>\n"
                              "            <dispValue>%4</dispValue>")
            .arg(kind, define, value, shown);
    };
    QVERIFY2(text.contains(record("HexSpinBox", "MASK", "2147483647", "2147483647")), qPrintable(text));
    QVERIFY(text.contains(record("DoubleSpinBox", "RATIO", "0.30000000000000004", "0.3")));
    QVERIFY(text.contains(record("Knob", "GAIN", "42.9", "42.9")));
    QVERIFY(text.contains(record("Slider", "LEVEL", "63", "63")));
    QVERIFY(text.contains(record("SpinBox", "COUNT", "-7", "-7")));

    // Back to the defaults, then the project again.
    window->panel()->resetToDefaults();
    QCOMPARE(window->panel()->getActiveElement("GAIN")->storedValueText(), QStringLiteral("10"));
    QCOMPARE(window->panel()->getActiveElement("RATIO")->storedValueText(), QStringLiteral("1.5"));
    QVERIFY(window->load(project));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        QCOMPARE(window->panel()->getActiveElement(it.key())->storedValueText(), it.value());
    QCOMPARE(window->panel()->getActiveElement("RATIO")->value(KeywordValue, 0), QStringLiteral("0.3"));
    find<HexSpinBox>("MASK")->layOutText();
    QCOMPARE(find<HexSpinBox>("MASK")->text(), QStringLiteral("0x7FFFFFFF"));
    QCOMPARE(transcript(), QStringList());

    // Saved again, the file is the same.
    const QString again = path("again.qlmp");
    QVERIFY(window->saveProjectFile(again, true));
    QFile second(again);
    QVERIFY(second.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(second.readAll()), text);
}

QTEST_MAIN(TestNumericProject)
#include "tst_numericproject.moc"
