// The header export on a Panel with a test shell in place of the window:
// the file it writes, the changed-only export and the refusals.
#include "errorreporter.h"
#include "fakeelement.h"
#include "headerexport.h"
#include "mathlabel.h"
#include "quillpanel.h"
#include "testenvironment.h"
#include "testshell.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

class TestHeaderExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writesTheHeaderOfThePanel();
    void writesOnlyChangedHeadersUnlessAll();
    void definesInTheOrderOfWholeLines();
    void refusals_data();
    void refusals();

private:
    FakeElement *bind(const QString &define, const QString &header, const QString &value);
    QByteArray file(const QString &name) const;
    bool exportHeaders(bool all) { return HeaderExport(*panel, dir->path()).exportHeaders(all); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TestShell> shell;
    std::unique_ptr<Panel> panel;
    std::vector<std::unique_ptr<FakeElement>> elements;
    QStringList console;
};

void TestHeaderExport::init()
{
    env = std::make_unique<TestEnvironment>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    shell = std::make_unique<TestShell>();
    panel = std::make_unique<Panel>(shell.get());
    console.clear();
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { console << html; });
    // The panel's own disclaimer, so no dialog asks for one.
    QFile disclaimer(dir->filePath("disclaimer.txt"));
    QVERIFY(disclaimer.open(QIODevice::WriteOnly));
    disclaimer.write("/* ours */\n");
    disclaimer.close();
    panel->editHeader().xmlDir = dir->path();
    panel->setDisclaimerFile("disclaimer.txt");
    panel->editHeader().xmlVersion = "V2.0.1";
}

void TestHeaderExport::cleanup()
{
    ErrorReporter::instance().setConsoleSink(nullptr);
    panel.reset();
    elements.clear();
    shell.reset();
}

FakeElement *TestHeaderExport::bind(const QString &define, const QString &header, const QString &value)
{
    elements.push_back(std::make_unique<FakeElement>(define));
    FakeElement *element = elements.back().get();
    element->values = {{KeywordValue, value}, {KeywordDefineValue, value}};
    element->setElementProperty("header", header);
    panel->assignRegisterField(define, header, element, false);
    return element;
}

QByteArray TestHeaderExport::file(const QString &name) const
{
    QFile header(dir->filePath(name));
    return header.open(QIODevice::ReadOnly) ? header.readAll() : QByteArray("<missing>");
}

void TestHeaderExport::writesTheHeaderOfThePanel()
{
    QVERIFY(!HeaderExport::hasHeaders(*panel));
    bind("M.B", "cfg_board.h", "10");
    bind("M.A", "cfg_board.h", "-3");
    bind("N", "cfg_board.h", "abc");
    QVERIFY(HeaderExport::hasHeaders(*panel));
    QVERIFY(exportHeaders(true));
    QCOMPARE(file("cfg_board.h"),
             QByteArray("/* ours */\r\n"
                        "#ifndef CFG_BOARD_H\r\n#define CFG_BOARD_H\r\n\r\n"
                        "/* XML Version 2.0.1 */\r\n#define CFG_XML_VERSION (20001)\r\n\r\n"
                        "#define M_A (-3)\r\n\r\n"
                        "#define M_B (0xA) /*decimal 10*/\r\n\r\n"
                        "#define N abc\r\n\r\n"
                        "#endif /* CFG_BOARD_H */\r\n"));
}

void TestHeaderExport::definesInTheOrderOfWholeLines()
{
    // Names that are prefixes of others, a "_" and a blank after the same
    // name, characters beyond Latin-1 and beyond the basic plane, and values
    // that are no numbers: the lines come in the order QString gives them.
    const QStringList defines{"AB", "A", "A_B", "AB_C", QString::fromUtf8("A\xC3\xA9"),
                              QString::fromUtf8("A\xF0\x9F\x98\x80"), QString::fromUtf8("A\xEF\xBD\x81"), "a", "B.R"};
    const QStringList values{"1", "x y", "2", "-1", "3", "4", "z", "1.5", "7"};
    QStringList lines;
    for (int i = 0; i < defines.size(); ++i) {
        bind(defines.at(i), "order.h", values.at(i));
        QString name = defines.at(i);
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
        bool whole = false;
        const qulonglong number = values.at(i).toULongLong(&whole);
        if (values.at(i) == "x y" || values.at(i) == "z")
            lines << QStringLiteral("#define %1 %2\n\n").arg(name, values.at(i));
        else if (!whole)
            lines << QStringLiteral("#define %1 (%2)\n\n").arg(name, values.at(i));
        else
            lines << QStringLiteral("#define %1 (0x%2) /*decimal %3*/\n\n")
                         .arg(name, QString::number(number, 16).toUpper(), values.at(i));
    }
    QVERIFY(exportHeaders(true));
    std::sort(lines.begin(), lines.end());
    const QString text = QString::fromUtf8(file("order.h")).remove(QLatin1Char('\r'));
    const QLatin1String version("#define ORDER_XML_VERSION (20001)\n\n");
    const int start = text.indexOf(version) + version.size();
    QVERIFY(start >= version.size());
    QCOMPARE(text.mid(start, text.indexOf(QLatin1String("#endif")) - start), lines.join(QString()));
}

void TestHeaderExport::writesOnlyChangedHeadersUnlessAll()
{
    bind("A", "a.h", "1");
    bind("B", "b.h", "2");
    QVERIFY(exportHeaders(false));
    QVERIFY(QFile::remove(dir->filePath("a.h")));
    QVERIFY(QFile::remove(dir->filePath("b.h")));
    panel->editHeader().changedHeaders.insert("b.h", true);
    QVERIFY(exportHeaders(false));
    QVERIFY(!QFileInfo::exists(dir->filePath("a.h")));
    QVERIFY(QFileInfo::exists(dir->filePath("b.h")));
    QVERIFY(exportHeaders(true));
    QVERIFY(QFileInfo::exists(dir->filePath("a.h")));
}

void TestHeaderExport::refusals_data()
{
    QTest::addColumn<QString>("cause");
    QTest::newRow("waiting lock") << "lock";
    QTest::newRow("formula label out of range") << "overflow";
    QTest::newRow("value with a line break") << "value";
    QTest::newRow("header outside the working directory") << "outside";
    QTest::newRow("header name of blanks") << "blank";
}

// Nothing refused is written, the old file stays, and the console or the
// error report says why.
void TestHeaderExport::refusals()
{
    QFETCH(QString, cause);
    const QString header = cause == "outside" ? "../out.h" : cause == "blank" ? " " : "h.h";
    FakeElement *element = bind("A", header, "1");
    MathLabel label("LABEL");
    if (cause == "lock")
        panel->locks().addWaitingLock("A", "B");
    else if (cause == "overflow")
        panel->locks().consoleOverflowWarning(&label, 10, "LEVEL", true);
    else if (cause == "value")
        element->values[KeywordDefineValue] = "1\n#define X 2";

    QVERIFY(!exportHeaders(true));
    QVERIFY(!QFileInfo::exists(dir->filePath("h.h")));
    const QString said = console.join(QString()) + env->prompt()->transcript().join(QLatin1Char('\n'));
    if (cause == "lock" || cause == "overflow")
        QVERIFY2(said.contains("Could not export headerfiles"), qPrintable(said));
    else if (cause == "value")
        QVERIFY2(said.contains("holds a line break or a comment delimiter"), qPrintable(said));
    else if (cause == "blank")
        QVERIFY2(said.contains("Header file \" \" is not written: the name is empty"), qPrintable(said));
    else
        QVERIFY2(said.contains("lies outside the working directory"), qPrintable(said));
    QVERIFY(!QFileInfo::exists(dir->filePath(header)));
}

QTEST_MAIN(TestHeaderExport)
#include "tst_headerexport.moc"
