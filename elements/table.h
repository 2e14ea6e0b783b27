#pragma once

#include "valueelement.h"

#include <QStringList>
#include <QTableView>
#include <QVector>

class QStandardItem;
class QStandardItemModel;
class TableHost;

// The column types of a register table (keyword of a column's "type").
enum TableColumnType : int {
    TableColumnUnknown = -1,
    TableColumnRegName = 0,
    TableColumnAddress = 1,
    TableColumnFunc = 2,
    TableColumnValue = 3,
    TableColumnDelay = 4,
    TableColumnAnswer = 5,
    TableColumnComment = 6,
    TableColumnDelete = 7,
    TableColumnMath = 8,
};

// One declared column.
struct TableColumn {
    int type = TableColumnUnknown;
    QString label;
    QString tooltip;
    QString format;      // display format of numbers written into the column
    QString defaultText; // text of new cells
    QString source;      // math column: the formula element's define
    qint16 width = 100;  // pixels; 0 makes the column's cells read only
};

// The type code of a column keyword, without regard to case ("math" or
// "math.<anything>" is a math column); -1 for an unknown keyword.
int tableColumnType(const QString &keyword);

// The columns a table element declares, in order (those past MaxColumns
// empty); none for an element that is no table.
QList<TableColumn> declaredColumnsOf(QWidget *element);
// Sets a declared column of a table element and its header label, as the
// panel editor's column dialog edits it; false for an element that is no
// table or an index it does not declare.
bool editDeclaredColumn(QWidget *element, int index, const TableColumn &column);
// A table element's row and column counts and, for a cell inside them, the
// cell's text and whether its column is numeric, as a script reads them;
// false for an object that is no table (nothing is set then).
bool readTableCell(QObject *element, int row, int column, int *rows, int *columns, QString *text,
                   bool *numericColumn);

// A column format applied to a number. A format that holds exactly one
// integer conversion (d i u o x X c, with flags, width up to 99, precision up
// to 99 and an optional length modifier) gets the number; without "ll" (or
// "j", "q", "L") the conversion sees the low 32 bits. "%%" is a percent sign.
// Any other format (none, several or another conversion) is shown as it
// stands: panel text never reaches printf unchecked.
QString formatTableNumber(const QString &format, qint64 value);
// The text a format gives a new cell: with an integer conversion the number
// 0, else the format as it stands.
QString formatTableDefault(const QString &format);

// The saved value of a table: per row the six texts register name, address,
// func, value, delay and comment joined with "," and ended by ";". A "," or
// ";" inside a text is written "\," or "\;", and a backslash that would read
// as such an escape is doubled; texts without those characters are written
// exactly as before, so older saved values read unchanged.
QString joinTableRows(const QList<QStringList> &rows);
// The rows of a saved value, each split into its parts (escapes removed).
QList<QStringList> splitTableRows(const QString &text);

// The register table: a sequence of register operations, one per row, in
// typed columns. Rows come from commands (setValue with a keyword, see
// runTableCommand), from the user (typing, paste, drag), from table files,
// and run one after another over the Tyk link.
class Table : public QTableView, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    static constexpr int MaxColumns = 10;
    static constexpr quint16 NoColumn = 0xFFFF;

    explicit Table(const QString &name, QWidget *parent = nullptr);
    ~Table() override;

    // ---- Columns and model
    void setColumn(quint16 index, int type, const QString &label, const QString &tooltip, const QString &format,
                   qint16 width, const QString &defaultText, const QString &source);
    void buildModel(quint16 columns, quint16 rows);
    bool hasColumnOfType(int type) const;
    // The column index of the type; -1 when the table has none.
    int columnOfType(int type) const;
    bool isNumericColumn(qint16 c) const;
    TableColumn column(int index) const { return index >= 0 && index < MaxColumns ? m_columns[index] : TableColumn(); }
    quint16 declaredColumnCount() const { return m_columnCount; }
    // Math columns that read the renamed define read the new name.
    bool renameDefineSources(const QString &oldName, const QString &newName) override;
    QStandardItemModel *tableModel() const { return m_model; }

    void setSendFormat(const QString &text) { m_sendFormat = text; }
    void setRecFormat(const QString &text) { m_recFormat = text; }
    void setToolTipRecFormat(const QString &text) { m_toolTipRecFormat = text; }
    QString sendFormat() const { return m_sendFormat; }
    QString recFormat() const { return m_recFormat; }

    // ---- Cells and cursor
    QString cellText(quint16 row, quint16 column) const;
    // The text of the row's cell of that column type; empty without one.
    QString typedText(int row, int type) const;
    void selectLine(int row);
    void setCellValue(int row, int c, const QString &value);
    void setFieldToolTip(quint64 value, int row, int column, const QString &registerPath);
    quint16 currentRowIndex() const { return m_currentRow; }
    quint16 currentColumnIndex() const { return m_currentColumn; }
    QStringList lastRegisterNames() const { return m_lastRegisterNames; }

    // ---- Commands: the element's setValue (keyword = command, see tablecommands.cpp)
    void runTableCommand(const QString &text, int keyword);
    // Whether rows are being run now, and a request to stop after the row
    // that runs.
    bool isRunning() const { return m_running; }
    void stopRun() { m_stopRequested = true; }

    // ---- Table files and C export (tablefile.cpp)
    bool saveTable(const QString &fileName);
    bool resetAndLoadTable(const QString &fileName);
    bool loadTable(const QString &fileName);
    bool exportTable(const QString &fileName);
    // The table file's text and the C function's text for the rows now.
    QString tableFileText() const;
    QString exportText() const;
    // Reads a table file's text; false (with the reason) when it is no table
    // file. The rows change only once the root is known to be right.
    bool readTableFileText(const QString &text, QString *error);

    // The one entry of the script engine's table commands: LOADTABLE,
    // LOADATTABLE, SAVETABLE (file), SETTABLELINE (row), SETTABLEVALUE (row,
    // column, value), ASSERTTABLEVALUE (row, column, expected), in any case,
    // with the arguments that follow the table's name. False when the
    // operation failed, the arguments do not fit, or the assertion does not
    // hold; message then says why.
    bool runScriptCommand(const QString &command, const QStringList &arguments, QString *message = nullptr);

    // ---- ActiveElement
    void setValue(const QString &text, int keyword) override { runTableCommand(text, keyword); }
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void updateToolTip() override {}
    bool acceptsBitRange(int msb, int lsb) override;

    QSize minimumSizeHint() const override;

public slots:
    void onTableClicked(const QModelIndex &index);
    void onTablePressed(const QModelIndex &index);
    void valueChanged(int value) { Q_UNUSED(value) }
    void valueChangedByUser(int value);
    void enable(bool on) override { setEnabled(on); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    TableHost *tableHost() const;
    // Each column back to its declared width (0 below 1).
    void restoreColumnWidths();
    void spreadColumnWidths(int viewWidth);
    QStandardItem *makeItem(const QString &text, bool readOnly) const;
    // The cell a new row has in column c: the column's default text.
    QStandardItem *defaultItem(int c) const;
    void putItem(int row, int column, QStandardItem *item);
    void putText(int row, int type, const QString &text, bool readOnly);
    bool isReadOnlyType(int column) const;
    void recordLine(const QString &line);
    // The register description of a register path; empty when unknown.
    QString registerDescription(const QString &path) const;
    void refreshFieldToolTip(int row);
    void loadRows(const QString &text);
    // A table file's record loaded into its element; another table loads it
    // at the row this one loads at.
    void loadRecordInto(ActiveElement *element, const QString &value);
    // Puts the rows' cells from row first on (the rows exist).
    void fillRows(const QList<QStringList> &rows, int first);

    // Commands
    QString resolveArgument(const QString &text, int keyword);
    void appendOperationRow(const QString &argument, qint64 n);
    void fillRegisterName(const QString &text, const QString &argument);
    void fillAddress(const QString &argument);
    void writeDefineValue(const QString &argument);
    bool fileCommand(int keyword);
    void runRows();

    QStandardItemModel *m_model = nullptr;
    quint16 m_columnCount = 0;
    quint16 m_rowCount = 0;
    quint16 m_currentColumn = 0;
    quint16 m_currentRow = 0;
    QStringList m_rowClipboard;
    QString m_sendFormat;
    QString m_sendText;
    QString m_recFormat;
    QString m_toolTipRecFormat;
    quint8 m_insertMode = 0;
    quint8 m_singleStep = 0;
    quint8 m_loadAtCurrentRow = 0;
    quint16 m_sendLoop = 1;
    QString m_funcText;
    TableColumn m_columns[MaxColumns];
    quint16 m_columnByType[9];
    QVector<quint16> m_receiveItemWidths;
    QStringList m_lastRegisterNames;
    int m_userValue = 0;
    bool m_running = false;
    bool m_stopRequested = false;
};
