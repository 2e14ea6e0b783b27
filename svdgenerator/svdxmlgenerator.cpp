#include "svdxmlgenerator.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "programstate.h"
#include "registermodel.h"
#include "sha256.h"
#include "svdstreamreader.h"
#include "textfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

SvdXmlGenerator::SvdXmlGenerator(Panel *panel)
    : m_panel(panel)
{
}

// One line: indentation, text, line feed.
static void line(QString &out, int spaces, const QString &text)
{
    out += QString(spaces, QLatin1Char(' '));
    out += text;
    out += QLatin1Char('\n');
}

static QString escaped(const QString &text)
{
    // Most names and descriptions need nothing.
    bool plain = true;
    for (const QChar c : text) {
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('&') || c == QLatin1Char('"')
            || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t')) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    QString result = text.toHtmlEscaped();
    result.replace(QLatin1Char('\n'), QLatin1String("&#10;"));
    result.replace(QLatin1Char('\r'), QLatin1String("&#13;"));
    result.replace(QLatin1Char('\t'), QLatin1String("&#9;"));
    return result;
}

// SVD descriptions run over several indented lines; one line reads better.
static QString oneLine(const QString &text)
{
    return text.simplified();
}

// The rows of one field (or of a register without fields); input is the
// element's opening text up to its define, tail what follows the define.
static void writeRow(QString &out, const QString &label, const QString &define, QLatin1String input,
                     QLatin1String tail)
{
    line(out, 10, QStringLiteral("<horizontalcontainer>"));
    out += QString(12, QLatin1Char(' '));
    out += QLatin1String("<text label=\"");
    out += escaped(oneLine(label));
    out += QLatin1String("\" size=\"120;-1\" wordwrap=\"1\"/>\n");
    out += QString(12, QLatin1Char(' '));
    out += input;
    out += escaped(define);
    out += tail;
    out += QLatin1Char('\n');
    line(out, 10, QStringLiteral("</horizontalcontainer>"));
}

bool SvdXmlGenerator::isCName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const ushort c = name.at(i).unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

static void noteLeftOut(std::vector<SvdXmlGenerator::LeftOutName> *leftOut, const char *kind, const QString &owner,
                        const QString &name, qint64 line)
{
    if (leftOut)
        leftOut->push_back({QLatin1String(kind), owner, name, line});
}

QString SvdXmlGenerator::panelText(const QString &svdPathText, const std::vector<Symscan::Peripheral> &peripherals,
                                   std::vector<LeftOutName> *leftOut) const
{
    QString out;
    // About three lines of some 80 characters per row.
    size_t rows = 0;
    for (const Symscan::Peripheral &peripheral : peripherals) {
        for (const Symscan::Register &reg : peripheral.registers)
            rows += 1 + reg.fields.size();
    }
    out.reserve(int(qMin<size_t>(rows * 300 + 1024, 256 * 1024 * 1024)));
    line(out, 0, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    line(out, 0, QStringLiteral("<zelmlcfg version=\"2.0.2\">"));
    line(out, 2, QStringLiteral("<checksum>%1</checksum>").arg(QString(64, QLatin1Char('0'))));
    line(out, 2, QStringLiteral("<version label=\"V2.0.1\"/>"));
    line(out, 2, QStringLiteral("<svd file=\"%1\"/>").arg(escaped(svdPathText)));
    line(out, 2, QStringLiteral("<disclaimer file=\"disclaimer.txt\"/>"));
    line(out, 2, QStringLiteral("<tabcontainer label = \"Peripherals\" resize=\"1\">"));

    const QLatin1String spinBox("<spinbox define=\"");
    const QLatin1String checkBox("<checkbox define=\"");
    const QLatin1String comboBox("<combo define=\"");
    const QLatin1String plainTail("\" />");
    const QLatin1String comboTail("\" size=\"400;-1\" />");
    std::vector<const Symscan::Field *> fields;
    for (const Symscan::Peripheral &peripheral : peripherals) {
        if (peripheral.registers.empty())
            continue;
        // The peripheral's name is the first part of every define and the
        // name of its header.
        if (!isCName(peripheral.name)) {
            noteLeftOut(leftOut, "Peripheral", QString(), peripheral.name, peripheral.line);
            continue;
        }
        const int containerStart = out.size();
        const QString name = escaped(peripheral.name);
        const QString description = escaped(oneLine(peripheral.description));
        if (treeFormat)
            line(out, 4, QStringLiteral("<treecontainer headerlabels=\"Structure;Settings;\" label=\"%1\" desc=\"%2\" "
                                        "columnwidths=\"50;600\">")
                             .arg(name, description));
        else
            line(out, 4, QStringLiteral("<gridcontainer columns=\"3\" label=\"%1\" desc=\"%2\">").arg(name, description));
        line(out, 4, QStringLiteral("<header file=\"%1_defines.h\">").arg(name));
        const int rowsStart = out.size();

        for (const Symscan::Register &reg : peripheral.registers) {
            const QString registerName = svdModelRegisterName(reg.name);
            if (!isCName(registerName)) {
                noteLeftOut(leftOut, "Register", peripheral.name, reg.name, reg.line);
                continue;
            }
            const QString registerPath = peripheral.name + QLatin1Char('.') + registerName;
            if (reg.fields.empty()) {
                writeRow(out, reg.description, registerPath, spinBox, plainTail);
                continue;
            }
            fields.clear();
            for (const Symscan::Field &field : reg.fields) {
                if (isCName(field.name))
                    fields.push_back(&field);
                else
                    noteLeftOut(leftOut, "Field", registerPath, field.name, field.line);
            }
            // Its fields all left out, the register has nothing to show.
            if (fields.empty())
                continue;
            if (treeFormat) {
                line(out, 8, QStringLiteral("<branch label=\"%1\">").arg(escaped(registerName)));
            } else {
                line(out, 8, QStringLiteral("<groupcontainer label=\"%1\" sizepolicy=\"fixed;fixed\">")
                                 .arg(escaped(registerName)));
                line(out, 8, QStringLiteral("<verticalcontainer>"));
            }
            for (const Symscan::Field *field : fields) {
                const bool enumerated = !field->enumeratedValues.empty();
                const QLatin1String input = enumerated ? comboBox : field->msb == field->lsb ? checkBox : spinBox;
                writeRow(out, field->description, registerPath + QLatin1Char('.') + field->name, input,
                         enumerated ? comboTail : plainTail);
            }
            if (treeFormat) {
                line(out, 8, QStringLiteral("</branch>"));
            } else {
                line(out, 8, QStringLiteral("</verticalcontainer>"));
                line(out, 8, QStringLiteral("</groupcontainer>"));
            }
        }
        // Nothing left to show: no container and no header.
        if (out.size() == rowsStart) {
            out.truncate(containerStart);
            continue;
        }
        line(out, 4, QStringLiteral("</header>"));
        line(out, 4, treeFormat ? QStringLiteral("</treecontainer>") : QStringLiteral("</gridcontainer>"));
    }

    line(out, 2, QStringLiteral("</tabcontainer>"));
    line(out, 0, QStringLiteral("</zelmlcfg>"));
    return out;
}

void SvdXmlGenerator::fillPanelLists(const QString &svdFile, const std::vector<Symscan::Peripheral> &peripherals)
{
    const QString end = QString::number(m_svdLines);
    const QString peripheralsList = QStringLiteral("$PERIPHERALS$");
    const QString registersList = QStringLiteral("$REGISTERS$");
    const bool hasPeripheralsElement = m_panel->getActiveElement(peripheralsList) != nullptr;
    for (const Symscan::Peripheral &peripheral : peripherals) {
        if (peripheral.name.isEmpty())
            continue;
        if (hasPeripheralsElement
            && !m_panel->setEnumeratedValue(peripheralsList, peripheral.name, peripheral.name, ProgramState::instance().peripheralItemCount++)) {
            logMessage(QStringLiteral("<font color=\"red\"> <b>XML-ERROR: Couldn't set EnumeratedValue %1 in "
                                      "$PERIPHERALS$ <a href=\"%2\">file</a> line %3, column %4</b></font><b>: %4<br>")
                           .arg(peripheral.name.toHtmlEscaped(), filePositionLink(svdFile, end, QStringLiteral("1")),
                                end, QStringLiteral("1")));
        }
        for (const Symscan::Register &reg : peripheral.registers) {
            if (reg.name.isEmpty())
                continue;
            const QString name = svdModelRegisterName(reg.name);
            m_panel->setEnumeratedValue(registersList, name, name, ProgramState::instance().registerItemCount++);
        }
    }
}

bool SvdXmlGenerator::generate(QFile *svdFile)
{
    const QFileInfo svdInfo(svdFile->fileName());
    m_outputName = svdInfo.baseName() + QStringLiteral("_Generated.xml");
    m_svdFile = svdInfo.absoluteFilePath();
    m_error.clear();
    m_leftOut.clear();
    m_outputFailed = false;
    // The path as seen from the generated file, which lies in the current directory.
    const QString svdPathText = QDir::current().relativeFilePath(svdInfo.absoluteFilePath());

    const QByteArray data = svdFile->readAll();

    // The register model is filled by the program's SVD reader, with its
    // checks and its messages; the panel lists are handed their items here.
    // Its positions are the SVD file's, and so are its links.
    SvdStreamReader reader(m_panel, m_svdFile);
    bool ok = reader.readData(data);
    // The containers follow the device as the reader expanded it.
    std::vector<Symscan::Peripheral> peripherals;
    if (ok) {
        peripherals = reader.peripherals();
    } else {
        m_error = reader.errorString();
        m_errorLine = reader.lineNumber();
        m_errorColumn = reader.columnNumber();
    }
    m_svdLines = data.count('\n') + 1;
    // An SVD file that did not read gives no panel: the file of an earlier,
    // good run stays as it was.
    if (!ok)
        return false;
    fillPanelLists(svdInfo.filePath(), peripherals);

    // The panel is signed before it is written and written once: a run
    // ended at any moment leaves the old file or the new signed one. The
    // digest covers the text after the checksum with LF line ends (as built
    // here), as the reader takes it; the file gets CR LF.
    QByteArray bytes = panelText(svdPathText, peripherals, &m_leftOut).toUtf8();
    const QByteArray placeholder = QByteArray("<checksum>") + QByteArray(64, '0') + QByteArray("</checksum>");
    const int at = bytes.indexOf(placeholder);
    if (at >= 0)
        bytes.replace(at + 10, 64, checksumAfterTag(bytes));
    TextFileWriter output(m_outputName, WrittenKind::Panel);
    output.setDiskBytes(TextFileWriter::diskBytes(bytes));
    // Said before the write: the panel is written without them either way.
    logLeftOutNames();
    if (!writeReported(output)) {
        m_outputFailed = true;
        m_error = output.errorString();
        return false;
    }
    return true;
}

void SvdXmlGenerator::logLeftOutNames() const
{
    const QString file = QDir::toNativeSeparators(m_svdFile);
    for (const LeftOutName &leftOut : m_leftOut) {
        const QString owner = leftOut.owner.isEmpty() ? QString() : QStringLiteral(" in ") + leftOut.owner;
        const QString line = QString::number(leftOut.line);
        logMessage(QStringLiteral("<font color=\"red\"> <b>SVD warning: </b></font><b>%1 name \"%2\"%3 is not a C "
                                  "name; left out of the generated panel: <a href=\"%4\">%5</a> line %6</b><br>")
                       .arg(leftOut.kind, leftOut.name.toHtmlEscaped(), owner.toHtmlEscaped(),
                            filePositionLink(m_svdFile, line, QStringLiteral("1")), file.toHtmlEscaped(), line));
    }
}

QString SvdXmlGenerator::formatErrorLocation() const
{
    const QString link = filePositionLink(m_svdFile, QString::number(m_errorLine),
                                          QString::number(m_errorColumn));
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(link, QString::number(m_errorLine), QString::number(m_errorColumn));
}
