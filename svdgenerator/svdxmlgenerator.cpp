#include "svdxmlgenerator.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "panel.h"
#include "programstate.h"
#include "registermodel.h"
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

QString SvdXmlGenerator::panelText(const QString &svdPathText,
                                   const std::vector<Symscan::Peripheral> &peripherals) const
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
    for (const Symscan::Peripheral &peripheral : peripherals) {
        if (peripheral.name.isEmpty() || peripheral.registers.empty())
            continue;
        const QString name = escaped(peripheral.name);
        const QString description = escaped(oneLine(peripheral.description));
        if (treeFormat)
            line(out, 4, QStringLiteral("<treecontainer headerlabels=\"Structure;Settings;\" label=\"%1\" desc=\"%2\" "
                                        "columnwidths=\"50;600\">")
                             .arg(name, description));
        else
            line(out, 4, QStringLiteral("<gridcontainer columns=\"3\" label=\"%1\" desc=\"%2\">").arg(name, description));
        line(out, 4, QStringLiteral("<header file=\"%1_defines.h\">").arg(name));

        for (const Symscan::Register &reg : peripheral.registers) {
            if (reg.name.isEmpty())
                continue;
            const QString registerName = svdModelRegisterName(reg.name);
            const QString registerPath = peripheral.name + QLatin1Char('.') + registerName;
            std::vector<const Symscan::Field *> fields;
            for (const Symscan::Field &field : reg.fields) {
                if (!field.name.isEmpty())
                    fields.push_back(&field);
            }
            if (fields.empty()) {
                writeRow(out, reg.description, registerPath, spinBox, plainTail);
                continue;
            }
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
    m_outputFailed = false;
    // The path as seen from the generated file, which lies in the current directory.
    const QString svdPathText = QDir::current().relativeFilePath(svdInfo.absoluteFilePath());

    const QByteArray data = svdFile->readAll();

    // The register model is filled by the program's SVD reader, with its
    // checks and its messages; the panel lists are handed their items here.
    SvdStreamReader reader(m_panel, m_panel->getXMLFile());
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

    TextFileWriter output(m_outputName, WrittenKind::Panel);
    output.setDiskBytes(panelText(svdPathText, peripherals).toUtf8());
    if (!writeReported(output)) {
        m_outputFailed = true;
        m_error = output.errorString();
        return false;
    }
    return true;
}

QString SvdXmlGenerator::formatErrorLocation() const
{
    const QString link = filePositionLink(m_svdFile, QString::number(m_errorLine),
                                          QString::number(m_errorColumn));
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(link, QString::number(m_errorLine), QString::number(m_errorColumn));
}
