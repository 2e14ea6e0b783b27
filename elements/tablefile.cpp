// Table: table files (the project-file layout with one Table record) and the
// export of the rows as a C function.
#include "table.h"
#include "inputfile.h"

#include "elementhost.h"
#include "errorreporter.h"
#include "prompt.h"
#include "tablehost.h"
#include "textfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace {

const QString WrongRoot = QStringLiteral("Warning: Wrong QLMP Version");

// One element record of a table file.
struct TableRecord {
    QString define;
    QString value;
};

// Comment text that can neither end the C comment it is put in nor open
// another one inside it.
QString commentSafe(QString text)
{
    return text.replace(QLatin1String("*/"), QLatin1String("* /")).replace(QLatin1String("/*"), QLatin1String("/ *"));
}

// Reads a whole file as text (CR LF or LF); false with the reason when it
// cannot be opened.
bool readWholeFile(const QString &fileName, QString *text)
{
    QFile file(fileName);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(fileName, openError);
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

QString Table::tableFileText() const
{
    TableHost *services = tableHost();
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(4);
    xml.writeStartElement(QStringLiteral("qlmpxml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeTextElement(QStringLiteral("XmlFile"), services ? services->tablePanelFileName() : QString());
    xml.writeTextElement(QStringLiteral("XmlVersion"), services ? services->tablePanelVersion() : QString());
    xml.writeStartElement(QStringLiteral("ActiveElements"));
    xml.writeStartElement(QStringLiteral("Table"));
    xml.writeTextElement(QStringLiteral("define"), objectName());
    xml.writeTextElement(QStringLiteral("value"), const_cast<Table *>(this)->storedValueText());
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

bool Table::saveTable(const QString &fileName)
{
    // A table file has the project file's layout, but replaces only a table
    // file: a project is never overwritten by one table's rows.
    TextFileWriter writer(fileName, WrittenKind::Table);
    writer.setText(tableFileText());
    return writeReported(writer);
}

bool Table::readTableFileText(const QString &text, QString *error)
{
    QXmlStreamReader xml(text);
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("qlmpxml"))
        return fail(xml.hasError() ? xml.errorString() : WrongRoot);

    TableHost *services = tableHost();
    QString storedFile;
    QString storedVersion;
    bool hasFile = false;
    bool hasVersion = false;
    QList<TableRecord> records;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("XmlFile")) {
            storedFile = xml.readElementText();
            hasFile = true;
        } else if (xml.name() == QLatin1String("XmlVersion")) {
            storedVersion = xml.readElementText();
            hasVersion = true;
        } else if (xml.name() == QLatin1String("ActiveElements")) {
            bool first = true;
            while (xml.readNextStartElement()) {
                if (!first || xml.name() != QLatin1String("Table")) {
                    xml.skipCurrentElement();
                    continue;
                }
                first = false;
                TableRecord record;
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("define"))
                        record.define = xml.readElementText();
                    else if (xml.name() == QLatin1String("value"))
                        record.value = xml.readElementText();
                    else
                        xml.skipCurrentElement();
                }
                records << record;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return fail(QStringLiteral("%1 (line %2, column %3)")
                        .arg(xml.errorString())
                        .arg(xml.lineNumber())
                        .arg(xml.columnNumber()));

    // The whole file is readable: report what differs, then load.
    const QString currentFile = services ? services->tablePanelFileName() : QString();
    const QString currentVersion = services ? services->tablePanelVersion() : QString();
    if (hasFile && storedFile != currentFile)
        reportTableXmlMismatch(currentFile, storedFile);
    if (hasVersion && storedVersion != currentVersion)
        reportTableVersionMismatch(currentVersion, storedVersion);
    for (const TableRecord &record : qAsConst(records)) {
        ActiveElement *element = record.define == objectName() ? this
            : host()                                           ? host()->getActiveElement(record.define)
                                                               : nullptr;
        if (!element)
            continue;
        loadRecordInto(element, record.value);
    }
    return true;
}

static bool readTableFile(const QString &fileName, const std::function<bool(const QString &)> &load)
{
    QString text;
    return readWholeFile(fileName, &text) && load(text);
}

bool Table::resetAndLoadTable(const QString &fileName)
{
    return readTableFile(fileName, [this, &fileName](const QString &text) {
        // The rows are replaced only by a file that reads as a table file.
        QXmlStreamReader probe(text);
        if (!probe.readNextStartElement() || probe.name() != QLatin1String("qlmpxml")) {
            logCannotReadFile(fileName, probe.hasError() ? probe.errorString() : WrongRoot);
            return false;
        }
        while (!probe.atEnd())
            probe.readNext();
        if (probe.hasError()) {
            logCannotReadFile(fileName, QStringLiteral("%1 (line %2, column %3)")
                                            .arg(probe.errorString())
                                            .arg(probe.lineNumber())
                                            .arg(probe.columnNumber()));
            return false;
        }
        buildModel(m_columnCount, m_rowCount);
        spreadColumnWidths(width());
        m_currentRow = 0;
        m_currentColumn = 0;
        selectRow(0);
        QString error;
        return readTableFileText(text, &error);
    });
}

bool Table::loadTable(const QString &fileName)
{
    return readTableFile(fileName, [this, &fileName](const QString &text) {
        m_loadAtCurrentRow = 1;
        QString error;
        const bool ok = readTableFileText(text, &error);
        m_loadAtCurrentRow = 0;
        if (!ok)
            logCannotReadFile(fileName, error);
        return ok;
    });
}

QString Table::exportText() const
{
    QString text = QStringLiteral("void RegViewCode()\n{\n");
    const int nameColumn = columnOfType(TableColumnRegName);
    const int valueColumn = columnOfType(TableColumnValue);
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const QString name = typedText(r, TableColumnRegName);
        if (name.isEmpty())
            break;
        const QStandardItem *nameItem = nameColumn < 0 ? nullptr : m_model->item(r, nameColumn);
        const QStandardItem *valueItem = valueColumn < 0 ? nullptr : m_model->item(r, valueColumn);
        QString nameTip = commentSafe(nameItem ? nameItem->toolTip() : QString());
        QString valueTip = commentSafe(valueItem ? valueItem->toolTip() : QString());
        text += QStringLiteral("\t/*\n\t") + nameTip.replace(QLatin1String("\n"), QLatin1String("\n\t"))
            + QStringLiteral("\n\t\t") + valueTip.replace(QLatin1String("\n"), QLatin1String("\n\t\t"))
            + QStringLiteral("*/\n");

        // Unreadable texts count 0.
        const quint64 address = typedText(r, TableColumnAddress).trimmed().toULongLong(nullptr, 16);
        const quint64 func = typedText(r, TableColumnFunc).trimmed().toULongLong(nullptr, 16);
        const quint64 target = address | ((func & 1) << 7);
        // The value goes into the C code as it is shown when it is a number
        // literal; anything else would be code of its own, and counts 0.
        QString value = typedText(r, TableColumnValue).trimmed();
        static const QRegularExpression literal(QStringLiteral("^(0[xX][0-9a-fA-F]+|0[bB][01]+|[0-9]+)[uUlL]*$"));
        if (!literal.match(value).hasMatch())
            value = QStringLiteral("0");
        const QString comment = typedText(r, TableColumnComment);
        if (comment.isEmpty())
            text += QStringLiteral("  SetRegister(0x%1, %2);\n").arg(QString::number(target, 16), value);
        else
            text += QStringLiteral("  SetRegister(0x%1, %2); /* %3 */\n")
                        .arg(QString::number(target, 16), value, commentSafe(comment));
        const int delay = typedText(r, TableColumnDelay).trimmed().toInt();
        if (delay != 0)
            text += QStringLiteral("  Delay(%1);\n").arg(delay);
    }
    text += QStringLiteral("}\n");
    return text;
}

bool Table::exportTable(const QString &fileName)
{
    TextFileWriter writer(fileName, WrittenKind::CSource);
    writer.setText(exportText());
    return writeReported(writer);
}

bool Table::fileCommand(int keyword)
{
    TableHost *services = tableHost();
    const QString dir = services ? services->tableWorkingDir() : QString();
    const QString qlmpFilter = tr("Configuration Files (*.qlmp)");
    QString fileName;
    if (keyword == 20 || keyword == 21)
        fileName = Prompt::instance().openFileName(this, tr("Load RegView Table"), dir, qlmpFilter);
    else if (keyword == 22)
        fileName = Prompt::instance().saveFileName(this, tr("Save RegView Table"), dir, qlmpFilter);
    else
        fileName = Prompt::instance().saveFileName(this, tr("Export Table to C file"), dir, tr("C Files (*.c)"));
    if (fileName.isEmpty())
        return false;
    fileName.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString folder = QFileInfo(fileName).absolutePath();
    if (keyword == 23) {
        if (!exportTable(fileName))
            return false;
        if (services)
            services->setTableWorkingDir(folder);
        return true;
    }
    if (services)
        services->setTableWorkingDir(folder);
    if (keyword == 20)
        resetAndLoadTable(fileName);
    else if (keyword == 21)
        loadTable(fileName);
    else
        saveTable(fileName);
    return true;
}
