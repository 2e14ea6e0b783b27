// Table: the commands sent to the element (its setValue, the keyword being
// the command) and the script engine's entry.
#include "table.h"
#include "elementslog.h"

#include "dataclass.h"
#include "elementhost.h"
#include "mathlabel.h"
#include "numberliteral.h"
#include "registermodel.h"
#include "registerview.h"
#include "tablehost.h"

#include <QFileInfo>
#include <QStandardItemModel>

#include <cmath>

namespace {

enum TableCommand : int {
    CommandValue = 0,
    CommandDefineValue = 3,
    CommandRegisterName = 9,
    CommandAddress = 10,
    CommandColumn = 11,
    CommandRow = 12,
    CommandInsertMode = 13,
    CommandSingleStep = 14,
    CommandFunc = 15,
    CommandSendLoop = 16,
    CommandDelete = 17,
    CommandDeleteAll = 18,
    CommandSendUsb = 19,
    CommandLoad = 20,
    CommandLoadAt = 21,
    CommandSave = 22,
    CommandExport = 23,
};

// The number a panel text gives as unsigned decimal: its literal value, 0
// for anything else.
quint64 unsignedNumber(const QString &text)
{
    const QString decimal = parseNumberLiteral(text);
    bool ok = false;
    const quint64 value = decimal.toULongLong(&ok);
    if (ok)
        return value;
    const qint64 negative = decimal.toLongLong(&ok);
    return ok ? quint64(negative) : 0;
}

} // namespace

QString Table::resolveArgument(const QString &text, int keyword)
{
    QString name = text;
    stripKeywordSuffix(name, keyword);
    ElementHost *panel = host();
    ActiveElement *element = panel ? panel->getActiveElement(name) : nullptr;
    if (!element || element == this)
        return text;
    if (keyword == CommandSendLoop)
        return element->value(KeywordValue, 1);
    double result = 0.0;
    if (formulaResultOf(element, panel, &result)) {
        if (keyword == CommandDefineValue || keyword == CommandColumn || keyword == CommandRow)
            return QString::number(qint64(std::floor(result)));
        showFormulaResult(element, result);
        return element->value(KeywordValue, 1);
    }
    return element->value(keyword, 1);
}

void Table::runTableCommand(const QString &text, int keyword)
{
    const QString argument = resolveArgument(text, keyword);
    // A decimal argument reads as before; hexadecimal and binary literals
    // (setDef hands the table its value text unchanged) read as numbers too.
    const qint64 n = parseNumberLiteral(argument.trimmed()).toLongLong();
    switch (keyword) {
    case CommandValue:
        appendOperationRow(argument, n);
        break;
    case CommandDefineValue:
        writeDefineValue(argument);
        break;
    case CommandRegisterName:
        fillRegisterName(text, argument);
        break;
    case CommandAddress:
        fillAddress(argument);
        break;
    case CommandColumn:
        m_currentColumn = quint16(n);
        break;
    case CommandRow:
        m_currentRow = quint16(n);
        break;
    case CommandInsertMode:
        m_insertMode = n != 0;
        break;
    case CommandSingleStep:
        m_singleStep = n != 0;
        break;
    case CommandFunc:
        m_funcText = text;
        break;
    case CommandSendLoop:
        m_sendLoop = quint16(n);
        break;
    case CommandDelete:
        qCDebug(lcElements) << "Delete row " << m_currentRow;
        if (m_currentRow < m_model->rowCount())
            m_model->removeRow(m_currentRow);
        selectRow(m_currentRow);
        break;
    case CommandDeleteAll:
        buildModel(m_columnCount, m_rowCount);
        spreadColumnWidths(width());
        m_currentRow = 0;
        m_currentColumn = 0;
        selectRow(0);
        break;
    case CommandSendUsb:
        if (m_running) {
            qCWarning(lcElements) << "Table" << objectName() << ": rows are being run already";
            return;
        }
        if (m_sendFormat.isEmpty()) {
            // Without a send format the link is made, nothing else happens.
            if (TableHost *services = tableHost())
                services->tableTykLink(true);
            return;
        }
        runRows();
        break;
    case CommandLoad:
    case CommandLoadAt:
    case CommandSave:
    case CommandExport:
        if (!fileCommand(keyword))
            return;
        break;
    default:
        break;
    }
    restoreColumnWidths();
}

void Table::appendOperationRow(const QString &argument, qint64 n)
{
    Q_UNUSED(argument)
    TableHost *services = tableHost();
    const int valueColumn = columnOfType(TableColumnValue);
    const QString valueText = valueColumn < 0 ? QString::number(n) : formatTableNumber(m_columns[valueColumn].format, n);
    if (DataClass *variable = services ? services->tableVariable(QStringLiteral("$VALUE$")) : nullptr)
        variable->setValue(uint(unsignedNumber(valueText)));
    if (m_insertMode)
        m_model->insertRow(std::min<int>(m_currentRow, m_model->rowCount()));
    const int row = m_currentRow;
    putText(row, TableColumnValue, valueText, false);

    const auto defaultOf = [this](int type) {
        const TableColumn &c = m_columns[columnOfType(type)];
        return c.defaultText.isEmpty() ? formatTableDefault(c.format) : c.defaultText;
    };
    if (hasColumnOfType(TableColumnDelay) && columnOfType(TableColumnDelay) >= 0)
        putText(row, TableColumnDelay, defaultOf(TableColumnDelay), false);
    if (hasColumnOfType(TableColumnFunc) && columnOfType(TableColumnFunc) >= 0) {
        if (DataClass *variable = services ? services->tableVariable(QStringLiteral("$FUNC$")) : nullptr)
            variable->setValue(uint(unsignedNumber(m_funcText)));
        putText(row, TableColumnFunc, m_funcText.isEmpty() ? defaultOf(TableColumnFunc) : m_funcText, false);
    }
    if (hasColumnOfType(TableColumnAnswer))
        putText(row, TableColumnAnswer, QString(), true);
    if (hasColumnOfType(TableColumnComment) && columnOfType(TableColumnComment) >= 0)
        putText(row, TableColumnComment, m_columns[columnOfType(TableColumnComment)].defaultText, false);
    ++m_currentRow;
    selectRow(m_currentRow);
    setFocus();
}

void Table::writeDefineValue(const QString &argument)
{
    const QString format = m_currentColumn < MaxColumns ? m_columns[m_currentColumn].format : QString();
    const QString text = format.isEmpty() ? argument : formatTableNumber(format, qint64(argument.toULongLong()));
    putItem(m_currentRow, m_currentColumn, makeItem(text, true));
}

void Table::fillAddress(const QString &argument)
{
    const int column = columnOfType(TableColumnAddress);
    const qint64 number = qint64(unsignedNumber(argument));
    const QString text = column < 0 ? QString::number(number) : formatTableNumber(m_columns[column].format, number);
    if (m_currentRow > 0)
        putText(m_currentRow - 1, TableColumnAddress, text, true);
    TableHost *services = tableHost();
    if (DataClass *variable = services ? services->tableVariable(QStringLiteral("$ADDRESS$")) : nullptr)
        variable->setValue(uint(unsignedNumber(text)));
}

void Table::fillRegisterName(const QString &text, const QString &argument)
{
    if (m_currentRow == 0)
        return; // no row above the cursor
    QStandardItem *item = makeItem(argument, true);
    ElementHost *panel = host();
    QString name = text;
    stripKeywordSuffix(name, CommandRegisterName);
    ActiveElement *element = panel ? panel->getActiveElement(name) : nullptr;
    QString moduleName;
    if (registerViewModuleOf(element, &moduleName)) {
        ModuleRecord *module = panel->getModule(moduleName);
        QString registerName = argument.contains(QLatin1Char('.')) ? argument.section(QLatin1Char('.'), 1, 1) : argument;
        if (const RegisterRecord *record = module ? module->getRegister(registerName) : nullptr)
            item->setToolTip(record->description);
    } else {
        item->setToolTip(registerDescription(argument));
    }
    --m_currentRow;
    const int nameColumn = columnOfType(TableColumnRegName);
    if (nameColumn >= 0)
        putItem(m_currentRow, nameColumn, item);
    else
        delete item;
    refreshFieldToolTip(m_currentRow);
    ++m_currentRow;
    selectRow(m_currentRow);

    for (int c = 0; c < std::min<int>(m_model->columnCount(), MaxColumns); ++c) {
        if (m_columns[c].type != TableColumnMath || !panel)
            continue;
        ActiveElement *source = panel->getActiveElement(m_columns[c].source);
        if (!source)
            continue;
        double result = 0.0;
        if (formulaResultOf(source, panel, &result))
            showFormulaResult(source, result);
        putItem(m_currentRow - 1, c, makeItem(source->value(KeywordValue, 1), true));
    }
}

// ---------------------------------------------------------------------------
// Script entry

bool Table::runScriptCommand(const QString &command, const QStringList &arguments, QString *message)
{
    const QString name = command.toUpper();
    const auto fail = [message](const QString &text) {
        if (message)
            *message = text;
        return false;
    };
    const auto needs = [&](int count) { return arguments.size() == count; };
    const auto number = [&arguments](int i, bool *ok) { return parseNumberLiteral(arguments.at(i).trimmed()).toInt(ok); };
    bool ok1 = false;
    bool ok2 = false;
    if (name == QLatin1String("LOADTABLE") || name == QLatin1String("LOADATTABLE")
        || name == QLatin1String("SAVETABLE")) {
        if (!needs(1))
            return fail(QStringLiteral("%1 needs a file name").arg(name));
        const QString file = arguments.at(0).trimmed().replace(QLatin1Char('\\'), QLatin1Char('/'));
        const bool ok = name == QLatin1String("LOADTABLE") ? resetAndLoadTable(file)
            : name == QLatin1String("LOADATTABLE")          ? loadTable(file)
                                                            : saveTable(file);
        return ok || fail(QStringLiteral("%1 failed for %2").arg(name, file));
    }
    if (name == QLatin1String("SETTABLELINE")) {
        const int row = needs(1) ? number(0, &ok1) : 0;
        if (!ok1 || row < 0)
            return fail(QStringLiteral("SETTABLELINE needs a row number"));
        selectLine(row);
        return true;
    }
    if (name == QLatin1String("SETTABLEVALUE") || name == QLatin1String("ASSERTTABLEVALUE")) {
        const int row = needs(3) ? number(0, &ok1) : 0;
        const int column = needs(3) ? number(1, &ok2) : 0;
        if (!ok1 || !ok2 || row < 0 || column < 0)
            return fail(QStringLiteral("%1 needs a row, a column and a value").arg(name));
        const QString value = arguments.at(2).trimmed();
        if (name == QLatin1String("SETTABLEVALUE")) {
            setCellValue(row, column, value);
            return true;
        }
        const QString actual = cellText(quint16(row), quint16(column));
        if (actual.compare(value, Qt::CaseInsensitive) == 0)
            return true;
        if (isNumericColumn(qint16(column)) && parseNumberLiteral(actual) == parseNumberLiteral(value))
            return true;
        return fail(QStringLiteral("%1 row %2 column %3 is \"%4\", not \"%5\"")
                        .arg(objectName())
                        .arg(row)
                        .arg(column)
                        .arg(actual, value));
    }
    return fail(QStringLiteral("Unknown table command %1").arg(command));
}
