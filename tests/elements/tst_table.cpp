// The register table: column formats, the saved value, the model, the
// commands sent to it, the script entry and its builder.
#include "dataclass.h"
#include "elementfixture.h"
#include "errorreporter.h"
#include "mathlabel.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "programversion.h"
#include "readerfixture.h"
#include "registermodel.h"
#include "table.h"

#include "fakehost.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void formatTableNumber_data();
    void formatTableNumber();
    void columnKeywords_data();
    void columnKeywords();
    void savedValueRoundTrip_data();
    void savedValueRoundTrip();
    void olderSavedValuesReadUnchanged();

    void columnsAndModel();
    void numericColumnsInTypeOrder();
    void loadValueKeepsCommentsEditable();
    void loadValueSkipsBrokenRows();
    void commands_data();
    void commands();
    void registerNameAndMathColumns();
    void valueKeywords();
    void fieldToolTip();
    void scriptEntry();
    void keysCopyPasteDelete();
    void clicksAndEditsAreRecorded();
    void clicksLeaveNoTraces();
    void recordedEditsReplayIntoTheSameCell();
    void columnThatChangesItsTypeLeavesTheOldOne();

    void builderReadsColumns();
    void builderEdgeCases();

private:
    // A table declared in type order: regname, address, func, value, delay,
    // answer, comment (formats "0x%02X" on address and value).
    std::unique_ptr<Table> typeOrderTable(ElementHost *host = nullptr);

    std::unique_ptr<ReaderFixture> m_reader;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTable::initTestCase()
{
    readProgramVersion();
    ErrorReporter::instance().setSinks(false, true, false);
    m_reader = std::make_unique<ReaderFixture>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<Table> TestTable::typeOrderTable(ElementHost *host)
{
    auto table = std::make_unique<Table>(QStringLiteral("SEQ"));
    table->setHost(host);
    table->setColumn(0, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table->setColumn(1, TableColumnAddress, "Address", {}, "0x%02X", 60, {}, {});
    table->setColumn(2, TableColumnFunc, "Func", {}, {}, 40, "0", {});
    table->setColumn(3, TableColumnValue, "Value", {}, "0x%02X", 60, {}, {});
    table->setColumn(4, TableColumnDelay, "Delay", {}, {}, 40, "0", {});
    table->setColumn(5, TableColumnAnswer, "Answer", {}, {}, 80, {}, {});
    table->setColumn(6, TableColumnComment, "Comment", {}, {}, 100, {}, {});
    table->buildModel(7, 2);
    return table;
}

void TestTable::formatTableNumber_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");

    // one integer conversion
    QTest::newRow("upper hex padded") << "%08X" << qint64(0x1f) << "0000001F";
    QTest::newRow("prefix and text around") << "0x%04x h" << qint64(0xab) << "0x00ab h";
    QTest::newRow("decimal") << "%d" << qint64(-5) << "-5";
    QTest::newRow("low 32 bits without ll") << "%X" << qint64(0x1234567890) << "34567890";
    QTest::newRow("ll keeps 64 bits") << "%llX" << qint64(0x1234567890) << "1234567890";
    QTest::newRow("percent sign kept") << "%d %%" << qint64(7) << "7 %";
    // anything else is text, never a printf format
    QTest::newRow("string conversion") << "%s" << qint64(1) << "%s";
    QTest::newRow("store conversion") << "%n" << qint64(1) << "%n";
    QTest::newRow("two conversions") << "%d %d" << qint64(1) << "%d %d";
    QTest::newRow("float conversion") << "%f" << qint64(1) << "%f";
    QTest::newRow("width beyond 99") << "%999d" << qint64(1) << "%999d";
    QTest::newRow("no conversion") << "ms" << qint64(1) << "ms";
    QTest::newRow("lone percent") << "50%" << qint64(1) << "50%";
}

void TestTable::formatTableNumber()
{
    QFETCH(QString, format);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(::formatTableNumber(format, value), text);
}

void TestTable::columnKeywords_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("type");
    QTest::newRow("regname") << "regname" << 0;
    QTest::newRow("ADDRESS any case") << "ADDRESS" << 1;
    QTest::newRow("func") << "func" << 2;
    QTest::newRow("value") << "Value" << 3;
    QTest::newRow("delay") << "delay" << 4;
    QTest::newRow("answer") << "answer" << 5;
    QTest::newRow("comment") << "comment" << 6;
    QTest::newRow("delete") << "delete" << 7;
    QTest::newRow("math") << "math" << 8;
    QTest::newRow("math prefix") << "Math.gain" << 8;
    QTest::newRow("mathx") << "mathx" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestTable::columnKeywords()
{
    QFETCH(QString, keyword);
    QFETCH(int, type);
    QCOMPARE(tableColumnType(keyword), type);
}

void TestTable::savedValueRoundTrip_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::newRow("plain") << QStringList{"M.R", "0x20", "1", "0x5", "10", ""};
    QTest::newRow("comma in comment") << QStringList{"M.R", "0x20", "1", "0x5", "10", "a, b"};
    QTest::newRow("semicolon in comment") << QStringList{"M.R", "0x20", "1", "0x5", "10", "x;y"};
    QTest::newRow("backslashes") << QStringList{"M.R", "", "", "", "", "C:\\dir\\"};
    QTest::newRow("escape look-alike") << QStringList{"M.R", "", "", "", "", "\\,\\;\\\\"};
}

void TestTable::savedValueRoundTrip()
{
    QFETCH(QStringList, row);
    const QString text = joinTableRows({row, {"N.S", "1", "2", "3", "4", "end"}});
    const QList<QStringList> rows = splitTableRows(text);
    QCOMPARE(rows.size(), 3); // the text after the last ";" is an empty row
    QCOMPARE(rows.at(0), row);
    QCOMPARE(rows.at(1).last(), QStringLiteral("end"));
}

void TestTable::olderSavedValuesReadUnchanged()
{
    // Texts without "," ";" or "\" are written exactly as before.
    const QString older = QStringLiteral("M.R,0x20,1,0x5,10,;M.S,0x24,0,0x1,0,note;");
    QCOMPARE(joinTableRows(splitTableRows(older).mid(0, 2)), older);
    // A lone backslash inside a text stays as it is.
    QCOMPARE(splitTableRows(QStringLiteral("M.R,,,,,a\\b;")).at(0).last(), QStringLiteral("a\\b"));
}

void TestTable::columnsAndModel()
{
    Table table(QStringLiteral("T"));
    table.setColumn(0, TableColumnValue, "V1", {}, {}, 50, {}, {});
    table.setColumn(1, TableColumnValue, "V2", {}, "%08X", 0, {}, {});
    table.setColumn(10, TableColumnComment, "ignored", {}, {}, 50, {}, {});
    QCOMPARE(table.columnOfType(TableColumnValue), 1); // the later column wins
    QVERIFY(!table.hasColumnOfType(TableColumnComment));
    table.buildModel(2, 3);
    QStandardItemModel *model = table.tableModel();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("V2"));
    // The format of a new cell gets 0; a width of 0 makes the cells read only.
    QCOMPARE(model->item(2, 1)->text(), QStringLiteral("00000000"));
    QVERIFY(!model->item(2, 1)->isEditable());
    QVERIFY(model->item(2, 0)->isEditable());

    // Rows added by the value command keep the read-only state of width 0.
    table.setValue(QStringLiteral("255"), 0);
    QCOMPARE(model->item(0, 1)->text(), QStringLiteral("000000FF"));
    QVERIFY(!model->item(0, 1)->isEditable());
}

void TestTable::numericColumnsInTypeOrder()
{
    auto table = typeOrderTable();
    table->setColumn(7, TableColumnDelete, {}, {}, {}, 20, {}, {});
    table->setColumn(8, TableColumnMath, {}, {}, {}, 20, {}, "F");
    const QList<bool> expected{false, true, true, true, true, false, false, false, true};
    for (int c = 0; c < expected.size(); ++c)
        QCOMPARE(table->isNumericColumn(qint16(c)), expected.at(c));
    QVERIFY(!table->isNumericColumn(9));
    QVERIFY(!table->isNumericColumn(-1));
}

void TestTable::loadValueKeepsCommentsEditable()
{
    auto table = typeOrderTable();
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,first;M.S,0x24,0,0x1,0,note\\, with comma;"));
    QStandardItemModel *model = table->tableModel();
    QCOMPARE(table->cellText(1, 6), QStringLiteral("note, with comma"));
    QVERIFY(!model->item(0, 0)->isEditable()); // register name
    QVERIFY(!model->item(0, 1)->isEditable()); // address
    QVERIFY(model->item(0, 3)->isEditable());  // value
    QVERIFY(model->item(1, 6)->isEditable());  // comment, by its type
    QCOMPARE(table->storedValueText(),
             QStringLiteral("M.R,0x20,1,0x5,10,first;M.S,0x24,0,0x1,0,note\\, with comma;"));
}

void TestTable::loadValueSkipsBrokenRows()
{
    auto table = typeOrderTable();
    table->loadValue(QStringLiteral("M.R,1,2;,0x20,1,0x5,10,;M.A,1,2,3,4,5,6;M.B,1,2,3,4,c;"));
    // Broken rows are not taken but keep their places: M.B stays the fourth
    // row, and the unused row without a register comes back as saved.
    QCOMPARE(table->tableModel()->rowCount(), 4);
    QCOMPARE(table->cellText(0, 0), QString());
    QCOMPARE(table->cellText(0, 1), QStringLiteral("0x00"));
    QCOMPARE(table->cellText(1, 0), QString());
    QCOMPARE(table->cellText(1, 3), QStringLiteral("0x5"));
    QCOMPARE(table->cellText(2, 0), QString());
    QCOMPARE(table->cellText(3, 0), QStringLiteral("M.B"));
    QCOMPARE(table->cellText(3, 6), QStringLiteral("c"));
    // A row the load adds starts with the cells of a new row.
    QCOMPARE(table->cellText(2, 2), QStringLiteral("0"));
}

void TestTable::commands_data()
{
    QTest::addColumn<QStringList>("commands"); // "keyword=text"
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("row");

    QTest::newRow("two operations")
        << QStringList{"15=1", "0=5", "9=M.R", "10=32", "0=255", "9=M.S", "10=0x24"}
        << "M.R,0x20,1,0x05,0,;M.S,0x24,1,0xFF,0,;" << 2;
    QTest::newRow("insert mode") << QStringList{"0=1", "9=A.X", "0=2", "9=A.Y", "12=1", "13=1", "0=3", "9=A.Z"}
                                 << "A.X,0x00,0,0x01,0,;A.Z,,0,0x03,0,;A.Y,0x00,0,0x02,0,;" << 2;
    QTest::newRow("delete row") << QStringList{"0=1", "9=A.X", "0=2", "9=A.Y", "12=0", "17="}
                                << "A.Y,0x00,0,0x02,0,;" << 0;
    QTest::newRow("delete all") << QStringList{"0=1", "9=A.X", "0=2", "9=A.Y", "18="}
                                << ",0x00,0,0x00,0,;,0x00,0,0x00,0,;" << 0;
    QTest::newRow("define value at the cursor") << QStringList{"12=1", "11=3", "3=18"}
                                                << ",0x00,0,0x00,0,;,0x00,0,0x12,0,;" << 1;
    QTest::newRow("register name on row 0 does nothing") << QStringList{"9=A.X"}
                                                         << ",0x00,0,0x00,0,;,0x00,0,0x00,0,;" << 0;
    QTest::newRow("unknown keyword") << QStringList{"40=1", "5=1"} << ",0x00,0,0x00,0,;,0x00,0,0x00,0,;" << 0;
}

void TestTable::commands()
{
    QFETCH(QStringList, commands);
    QFETCH(QString, stored);
    QFETCH(int, row);
    auto table = typeOrderTable();
    for (const QString &command : commands) {
        const int eq = command.indexOf(QLatin1Char('='));
        table->setValue(command.mid(eq + 1), command.left(eq).toInt());
    }
    QCOMPARE(table->storedValueText(), stored);
    QCOMPARE(int(table->currentRowIndex()), row);
    // Every command leaves the declared widths.
    QCOMPARE(table->columnWidth(0), 120);
}

void TestTable::registerNameAndMathColumns()
{
    ElementFixture fixture;
    Panel &panel = fixture.panel;
    auto *label = new MathLabel(QStringLiteral("GAIN"));
    std::unique_ptr<MathLabel> owner(label);
    label->setHost(&panel);
    const ParsedFormula parsed = parseFormula(QStringLiteral("2*3"));
    label->setPostfixTokens(parsed.postfix);
    label->setLiterals(parsed.numbers);
    label->setVariables(parsed.names);
    label->setFormat("%d");
    panel.registerElement(QStringLiteral("GAIN"), label);

    auto table = typeOrderTable(&panel);
    table->setColumn(7, TableColumnMath, "Gain", {}, {}, 40, {}, "GAIN");
    table->buildModel(8, 2);
    table->setValue(QStringLiteral("1"), 0);
    table->setValue(QStringLiteral("M.R"), 9);
    QCOMPARE(table->cellText(0, 0), QStringLiteral("M.R"));
    QCOMPARE(table->cellText(0, 7), QStringLiteral("6"));

    // A formula label as the argument: its value, down to an integer, for row.
    table->setValue(QStringLiteral("GAIN"), 12);
    QCOMPARE(int(table->currentRowIndex()), 6);
    panel.forgetAllElements();
}

void TestTable::valueKeywords()
{
    auto table = typeOrderTable();
    table->loadValue(QStringLiteral("GPIO.MODER[3:0],0x20,1,0x5,10,;"));
    table->selectLine(0);
    QCOMPARE(table->value(0, 1), QStringLiteral("0x5"));
    QCOMPARE(table->value(1, 1), QStringLiteral("GPIO.MODER[3:0]"));
    QCOMPARE(table->value(8, 1), QStringLiteral("GPIO"));
    QCOMPARE(table->value(9, 1), QStringLiteral("MODER"));
    QCOMPARE(table->value(4, 1), QStringLiteral("Table"));
    QCOMPARE(table->value(5, 1), QString()); // reported, empty
}

void TestTable::fieldToolTip()
{
    ElementFixture fixture;
    Panel &panel = fixture.panel;
    ModuleRecord *module = nullptr;
    QVERIFY(panel.addModule(&module, QStringLiteral("GPIO")));
    RegisterRecord *reg = module->addRegister(QStringLiteral("gpio.h"), QStringLiteral("MODER"));
    FieldRecord *mode = reg->addField(QStringLiteral("MODE"));
    mode->setBitRange(3, 2);
    mode->addEnumeratedValue(QStringLiteral("OFF"), {}, 0);
    mode->addEnumeratedValue(QStringLiteral("ON"), {}, 2);
    reg->addField(QStringLiteral("EN"))->setBitRange(0, 0);

    auto table = typeOrderTable(&panel);
    table->loadValue(QStringLiteral("GPIO.MODER,0x20,1,0x9,0,;X.Y,0x20,1,0x9,0,;"));
    QCOMPARE(table->tableModel()->item(0, 3)->toolTip(), QStringLiteral("[3..2]: ON (0b10)\n[0]: 1 (0b1)\n"));
    QCOMPARE(table->tableModel()->item(1, 3)->toolTip(), QStringLiteral("Can't evaluate without valid register."));
}

void TestTable::scriptEntry()
{
    auto table = typeOrderTable();
    QString message;
    QVERIFY(table->runScriptCommand(QStringLiteral("settablevalue"), {"1", "3", "0x10"}, &message));
    QCOMPARE(table->cellText(1, 3), QStringLiteral("0x10"));
    QVERIFY(table->runScriptCommand(QStringLiteral("ASSERTTABLEVALUE"), {"1", "3", "16"}, &message));
    QVERIFY(!table->runScriptCommand(QStringLiteral("ASSERTTABLEVALUE"), {"1", "3", "17"}, &message));
    QVERIFY(message.contains(QStringLiteral("0x10")));
    QVERIFY(table->runScriptCommand(QStringLiteral("SETTABLELINE"), {"1"}, &message));
    QCOMPARE(int(table->currentRowIndex()), 1);
    QVERIFY(!table->runScriptCommand(QStringLiteral("SETTABLELINE"), {"x"}, &message));
    QVERIFY(!table->runScriptCommand(QStringLiteral("LOADTABLE"), {}, &message));
    QVERIFY(!table->runScriptCommand(QStringLiteral("NOSUCH"), {}, &message));
}

void TestTable::keysCopyPasteDelete()
{
    auto table = typeOrderTable();
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,first;M.S,0x24,0,0x1,0,;"));
    table->tableModel()->item(0, 0)->setToolTip(QStringLiteral("The R register"));
    QSignalSpy changed(table->elementSignals(), &ElementSignals::changedByUser);

    table->selectLine(0);
    QTest::keySequence(table.get(), QKeySequence::Copy);
    table->selectLine(1);
    QTest::keySequence(table.get(), QKeySequence::Paste);
    QCOMPARE(table->storedValueText(), QStringLiteral("M.R,0x20,1,0x5,10,first;M.R,0x20,1,0x5,10,first;"));
    QCOMPARE(table->tableModel()->item(1, 0)->toolTip(), QStringLiteral("The R register"));
    QVERIFY(!table->tableModel()->item(1, 0)->isEditable());

    table->selectLine(0);
    QTest::keySequence(table.get(), QKeySequence::Delete);
    QCOMPARE(table->tableModel()->rowCount(), 1);
    QCOMPARE(changed.count(), 2);
}

namespace {
QStringList *s_caughtMessages = nullptr;
void catchMessage(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    s_caughtMessages->append(QString::fromLatin1(context.category ? context.category : "") + QLatin1Char(' ') + text);
}
} // namespace

void TestTable::clicksLeaveNoTraces()
{
    FakeElementHost host;
    auto table = typeOrderTable(&host);
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;"));
    table->resize(600, 300);
    table->show();
    QVERIFY(QTest::qWaitForWindowExposed(table.get()));
    const QPoint cell = table->visualRect(table->tableModel()->index(0, 3)).center();

    QStringList caught;
    s_caughtMessages = &caught;
    const QtMessageHandler previous = qInstallMessageHandler(catchMessage);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
    const QStringList silent = caught;
    // Switched on, the category carries the click traces.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmate.elements.debug=true"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    s_caughtMessages = nullptr;

    QCOMPARE(int(table->currentColumnIndex()), 3);
    QVERIFY2(silent.isEmpty(), qPrintable(silent.join(QLatin1Char('\n'))));
    QVERIFY2(caught.filter(QStringLiteral("quillmate.elements onTablePressed")).size() == 1,
             qPrintable(caught.join(QLatin1Char('\n'))));
}

void TestTable::clicksAndEditsAreRecorded()
{
    FakeElementHost host;
    host.recording = true;
    auto table = typeOrderTable(&host);
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;"));
    table->resize(600, 300);
    table->show();
    QVERIFY(QTest::qWaitForWindowExposed(table.get()));

    const QModelIndex value = table->tableModel()->index(0, 3);
    emit table->clicked(value);
    QCOMPARE(int(table->currentRowIndex()), 0);
    QCOMPARE(int(table->currentColumnIndex()), 3);
    QCOMPARE(host.recordedLines, QStringList{"SetTableLine(SEQ, 0)"});

    // An edit of the value cell: recorded as typed, shown in the column's format.
    table->setCurrentIndex(value);
    table->edit(value);
    auto *editor = table->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("255"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate closes its editor from the event loop.
    QTRY_COMPARE(host.recordedLines.last(), QStringLiteral("SetTableValue(SEQ, 0, 3, 255)"));
    QCOMPARE(table->cellText(0, 3), QStringLiteral("0xFF"));
    // The console shows the lines as recorded; the recorder ends them itself.
    QCOMPARE(host.consoleLines, host.recordedLines);

    // A comment keeps the typed text.
    const QModelIndex comment = table->tableModel()->index(0, 6);
    table->setCurrentIndex(comment);
    table->edit(comment);
    editor = table->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->cellText(0, 6), QStringLiteral("12"));
}

// Columns declared out of type order: the recorded edit names the column's
// type, which is how SetTableValue reads it, so the replay hits the same cell.
void TestTable::recordedEditsReplayIntoTheSameCell()
{
    FakeElementHost host;
    host.recording = true;
    Table table(QStringLiteral("MIXED"));
    table.setHost(&host);
    table.setColumn(0, TableColumnComment, "Comment", {}, {}, 100, {}, {});
    table.setColumn(1, TableColumnValue, "Value", {}, {}, 60, {}, {});
    table.setColumn(2, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table.buildModel(3, 2);
    table.resize(400, 200);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));

    const QModelIndex value = table.tableModel()->index(1, 1);
    table.setCurrentIndex(value);
    table.edit(value);
    auto *editor = qobject_cast<QLineEdit *>(table.indexWidget(value));
    QVERIFY(editor);
    editor->setText(QStringLiteral("77"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(host.recordedLines.last(), QStringLiteral("SetTableValue(MIXED, 1, %1, 77)").arg(int(TableColumnValue)));

    // The replay of that line, as the script command does it.
    table.setCellValue(0, TableColumnValue, QStringLiteral("78"));
    QCOMPARE(table.cellText(0, 1), QStringLiteral("78"));
    QCOMPARE(table.cellText(0, 0), QString());
}

void TestTable::columnThatChangesItsTypeLeavesTheOldOne()
{
    auto table = typeOrderTable();
    QCOMPARE(table->columnOfType(TableColumnComment), 6);
    table->setColumn(6, TableColumnDelay, "Pause", {}, {}, 40, "0", {});
    QCOMPARE(table->columnOfType(TableColumnDelay), 6);
    QCOMPARE(table->columnOfType(TableColumnComment), -1);
    QVERIFY(!table->hasColumnOfType(TableColumnComment));
}

void TestTable::builderReadsColumns()
{
    const QString element = QStringLiteral(
        "<table define=\"SEQ\" numrows=\"3\" sendformat=\"$ADDRESS$;$VALUE$\" recformat=\"%02X\" "
        "tooltiprecformat=\"0;3\">"
        "<column type=\"regname\" label=\"Register\" columnwidth=\"150\"/>"
        "<column type=\"ADDRESS\" label=\"Addr\" format=\"0x%04X\" tooltip=\"Address\"/>"
        "<column type=\"value\" label=\"Value\" default=\"0x0\" columnwidth=\"\"/>"
        "<column type=\"math.scaled\" label=\"Scaled\" source=\"SCALE\"/>"
        "<column type=\"unknown\" label=\"?\"/>"
        "<junk/>"
        "</table>");
    QVERIFY(m_reader->readPanelFile(m_dir->filePath(QStringLiteral("panel.xml")), verticalPanelText(element)));
    auto *table = qobject_cast<Table *>(objectOf(m_reader->panel.getActiveElement(QStringLiteral("SEQ"))));
    QVERIFY(table);
    QCOMPARE(table->tableModel()->rowCount(), 3);
    QCOMPARE(table->tableModel()->columnCount(), 5);
    QCOMPARE(table->sendFormat(), QStringLiteral("$ADDRESS$;$VALUE$"));
    QCOMPARE(table->recFormat(), QStringLiteral("%02X"));
    QCOMPARE(elementPropertyOf(table, "tooltiprecformat").toString(), QStringLiteral("0;3"));
    QCOMPARE(table->column(0).width, qint16(150));
    QCOMPARE(table->column(1).type, int(TableColumnAddress));
    QCOMPARE(table->column(1).tooltip, QStringLiteral("Address"));
    QCOMPARE(table->column(2).width, qint16(100));
    QCOMPARE(table->column(3).type, int(TableColumnMath));
    QCOMPARE(table->column(3).source, QStringLiteral("SCALE"));
    QCOMPARE(table->column(4).type, int(TableColumnUnknown));
    QCOMPARE(table->cellText(0, 1), QStringLiteral("0x0000"));
    QCOMPARE(table->cellText(2, 2), QStringLiteral("0x0"));
    QCOMPARE(table->value(4, 1), QStringLiteral("Table"));
}

void TestTable::builderEdgeCases()
{
    // No columns: a model of 0 columns; numrows keeps its low 16 bits.
    QVERIFY(m_reader->readPanelFile(m_dir->filePath(QStringLiteral("panel.xml")),
                                    verticalPanelText(QStringLiteral("<table define=\"T\" numrows=\"70000\"/>"))));
    auto *table = qobject_cast<Table *>(objectOf(m_reader->panel.getActiveElement(QStringLiteral("T"))));
    QVERIFY(table);
    QCOMPARE(table->tableModel()->columnCount(), 0);
    QCOMPARE(table->tableModel()->rowCount(), 4464);

    // Eleven columns: ten are described, the model holds ten.
    QString columns;
    for (int i = 0; i < 11; ++i)
        columns += QStringLiteral("<column type=\"comment\" label=\"C%1\"/>").arg(i);
    QVERIFY(m_reader->readPanelFile(
        m_dir->filePath(QStringLiteral("panel.xml")),
        verticalPanelText(QStringLiteral("<table define=\"U\" numrows=\"x\">%1</table>").arg(columns))));
    table = qobject_cast<Table *>(objectOf(m_reader->panel.getActiveElement(QStringLiteral("U"))));
    QVERIFY(table);
    QCOMPARE(table->tableModel()->columnCount(), 10);
    QCOMPARE(table->tableModel()->rowCount(), 0);
}

QTEST_MAIN(TestTable)
#include "tst_table.moc"
