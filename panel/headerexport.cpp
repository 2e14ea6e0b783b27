#include "headerexport.h"

#include "activeelement.h"
#include "apppaths.h"
#include "errorreporter.h"
#include "mathlabel.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelshell.h"
#include "prompt.h"
#include "registermodel.h"
#include "textfilewriter.h"
#include "writeguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

QString defineName(const QString &name, const QString &reg)
{
    if (reg.isEmpty())
        return name;
    QString define;
    define.reserve(name.size() + 1 + reg.size());
    define += name;
    define += QLatin1Char('_');
    define += reg;
    return define;
}

// One define line, with the blank line after it. A value that is no number is
// written as it is, a whole number in hexadecimal with its decimal form in a
// comment, any other number (negative, floating) as it is in parentheses.
QString defineLine(const QString &define, const QString &value, bool notNumeric)
{
    QString line;
    if (notNumeric) {
        line.reserve(11 + define.size() + value.size());
        line += QLatin1String("#define ");
        line += define;
        line += QLatin1Char(' ');
        line += value;
        line += QLatin1String("\n\n");
        return line;
    }
    bool whole = false;
    quint64 number = value.toULongLong(&whole, 10);
    if (!whole || startsWithMinusSign(value) || value.contains(QLatin1Char('.'))
        || value.contains(QLatin1String("e+")) || value.contains(QLatin1String("e-"))) {
        line.reserve(13 + define.size() + value.size());
        line += QLatin1String("#define ");
        line += define;
        line += QLatin1String(" (");
        line += value;
        line += QLatin1String(")\n\n");
        return line;
    }
    // The number in upper-case hexadecimal without leading zeros.
    char hex[16];
    int digits = 0;
    do {
        hex[15 - digits++] = "0123456789ABCDEF"[number & 0xf];
        number >>= 4;
    } while (number != 0);
    line.reserve(31 + define.size() + digits + value.size());
    line += QLatin1String("#define ");
    line += define;
    line += QLatin1String(" (0x");
    line += QLatin1String(hex + 16 - digits, digits);
    line += QLatin1String(") /*decimal ");
    line += value;
    line += QLatin1String("*/\n\n");
    return line;
}

// Whether the text, written into a header, would change the header's
// structure: a line break of any kind starts a line of its own, and a comment
// delimiter opens or closes a comment around the lines that follow.
bool breaksHeaderLine(const QString &text)
{
    const QChar *chars = text.constData();
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        switch (chars[i].unicode()) {
        case '\n':
        case '\r':
        case '\v':
        case '\f':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            return true;
        case '/':
            if (i + 1 < size && chars[i + 1] == QLatin1Char('*'))
                return true;
            break;
        case '*':
            if (i + 1 < size && chars[i + 1] == QLatin1Char('/'))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

// The names of the register's elements whose define value would break the
// register's line, in name order.
QStringList elementsBreakingTheLine(const RegisterRecord &reg)
{
    QStringList names;
    reg.grants().forEach([&names](const BitGrants::Grant &grant) {
        if (!grant.element || !breaksHeaderLine(grant.element->value(KeywordDefineValue, 1)))
            return;
        const QObject *object = objectOf(grant.element);
        names.append(object ? object->objectName() : QString());
    });
    names.sort();
    return names;
}

// The text made a C identifier: every character that cannot stand in one
// becomes "_", and a leading digit gets a "_" in front.
QString cIdentifier(QString text)
{
    for (QChar &c : text) {
        const ushort u = c.unicode();
        const bool allowed = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
            || u == '_';
        if (!allowed)
            c = QLatin1Char('_');
    }
    if (!text.isEmpty() && text.at(0).unicode() >= '0' && text.at(0).unicode() <= '9')
        text.prepend(QLatin1Char('_'));
    return text;
}

// The header's file name without directories; "\" counts as a separator too.
QString headerFileName(const QString &headerName)
{
    return QFileInfo(AppPaths::normalizePanelPath(headerName)).fileName();
}

// The include guard as the file name gives it: the name with every ".h"
// removed, upper-cased, "_H".
QString guardOfFileName(const QString &headerName)
{
    return headerFileName(headerName).remove(QLatin1String(".h")).toUpper() + QStringLiteral("_H");
}

// The include guard written: the one above made a C identifier.
QString headerGuard(const QString &headerName)
{
    return cIdentifier(guardOfFileName(headerName));
}

// The name part of the version define: the file name up to its first "_",
// made a C identifier.
QString versionPrefix(const QString &headerName)
{
    return cIdentifier(headerFileName(headerName).section(QLatin1Char('_'), 0, 0).trimmed()
                           .remove(QLatin1String(".h")).toUpper());
}

// The version as one number: the first part as it is, every further part in
// at least two decimal digits (2.0.1 gives 20001).
QString versionNumber(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    QString number = parts.first();
    for (int i = 1; i < parts.size(); ++i)
        number += QStringLiteral("%1").arg(parts.at(i).toInt(), 2, 10, QLatin1Char('0'));
    return number;
}

QString orangeLine(const QString &text)
{
    return QStringLiteral("<font color=\"orange\"><b>%1</b></font><br>").arg(text);
}

} // namespace

HeaderExport::HeaderExport(Panel &panel, const QString &workingDir)
    : m_panel(panel)
    , m_workingDir(workingDir)
{
}

bool HeaderExport::hasHeaders(const Panel &panel)
{
    for (const ModuleEntry &entry : panel.registries().moduleOrder) {
        if (!entry.module)
            continue;
        for (RegisterRecord *reg : entry.module->registers) {
            if (reg && !reg->headerName.isEmpty())
                return true;
        }
    }
    return false;
}

void HeaderExport::reportConflicts(const Panel &panel)
{
    // One line: the defines waiting to be locked (in name order), then the
    // formulas driven out of their range.
    QStringList names = panel.locks().waitingLocks().keys();
    names.sort();
    for (MathLabel *label : qAsConst(panel.locks().overflowConflicts())) {
        if (label)
            names.append(label->objectName());
    }
    if (names.isEmpty())
        return;
    QStringList links;
    for (const QString &name : qAsConst(names))
        links.append(QStringLiteral("<a href=\"%1\">%1</a>").arg(name));
    ::logMessage(QStringLiteral("<font color=\"red\"><b>Warning: </font></b> Could not export headerfiles. %1 %2 "
                                "in a conflicted state!<br>")
                     .arg(links.join(QStringLiteral(" and ")),
                          names.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
}

bool HeaderExport::exportHeaders(bool all)
{
    // Per header: whether it is written at all, its define prefix, its lines
    // and the reasons it cannot be written.
    struct HeaderText {
        bool exported = false;
        QString prefix;
        QStringList lines;
        QStringList refusals;
    };
    QHash<QString, HeaderText> texts;
    // The registers of a module mostly share their header: the last one found
    // is looked up again only when the name changes. (A QHash keeps each
    // entry where it is when it grows, so the pointer stays good.)
    const QString *lastHeader = nullptr;
    HeaderText *text = nullptr;
    for (const ModuleEntry &module : m_panel.registries().moduleOrder) {
        if (!module.module)
            continue;
        const RegisterTable &registers = module.module->registers;
        for (auto reg = registers.cbegin(); reg != registers.cend(); ++reg) {
            if (!reg.value() || reg.value()->headerName.isEmpty())
                continue;
            const QString &header = reg.value()->headerName;
            if (!lastHeader || *lastHeader != header) {
                auto found = texts.find(header);
                if (found == texts.end()) {
                    found = texts.insert(header, HeaderText());
                    found->exported = all || m_panel.header().changedHeaders.value(header, true);
                    found->prefix = m_panel.header().definePrefixes[header];
                }
                lastHeader = &header;
                text = &found.value();
            }
            // A header that is not written needs no lines.
            if (!text->exported)
                continue;
            const QString name =
                text->prefix.isEmpty() ? module.name : text->prefix + QLatin1Char('$') + module.name;
            bool notNumeric = false;
            const QString value = reg.value()->valueText(&notNumeric);
            const QString define = defineName(name, reg.key());
            if (breaksHeaderLine(define)) {
                text->refusals.append(
                    QStringLiteral("the define name \"%1\" holds a line break or a comment delimiter")
                        .arg(define));
            } else if (breaksHeaderLine(value)) {
                QStringList names = elementsBreakingTheLine(*reg.value());
                if (names.isEmpty())
                    names.append(define);
                for (const QString &element : qAsConst(names)) {
                    text->refusals.append(
                        QStringLiteral("the value of \"%1\" holds a line break or a comment delimiter")
                            .arg(element));
                }
            }
            text->lines.append(defineLine(define, value, notNumeric));
        }
    }

    if (!m_panel.locks().waitingLocks().isEmpty() || !m_panel.locks().overflowConflicts().isEmpty()) {
        reportConflicts(m_panel);
        return false;
    }
    // A panel whose every header was refused writes nothing: no success either.
    if (!m_panel.header().refusedHeaders.isEmpty() && !hasHeaders(m_panel)) {
        QStringList outside;
        for (const QString &name : qAsConst(m_panel.header().refusedHeaders)) {
            if (!name.trimmed().isEmpty())
                outside.append(name);
        }
        if (outside.size() == m_panel.header().refusedHeaders.size()) {
            ::reportError(QStringLiteral("No header file is written: every header file the panel names lies "
                                         "outside the working directory (%1)")
                              .arg(outside.join(QStringLiteral(", "))));
        } else if (outside.isEmpty()) {
            ::reportError(QStringLiteral("No header file is written: every header file name the panel gives is "
                                         "empty"));
        } else {
            ::reportError(QStringLiteral("No header file is written: every header file name the panel gives is "
                                         "empty or lies outside the working directory (%1)")
                              .arg(outside.join(QStringLiteral(", "))));
        }
        return false;
    }

    // A header that cannot be written keeps its old file and its changed mark.
    bool written = true;
    // In the order of their names.
    QStringList names;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (it->exported && !it->lines.isEmpty())
            names.append(it.key());
    }
    names.sort();
    QStringList headers;
    for (const QString &name : qAsConst(names)) {
        const QStringList &reasons = texts.constFind(name)->refusals;
        for (const QString &reason : reasons)
            ::reportError(QStringLiteral("Header file \"%1\" is not written: %2").arg(name, reason));
        if (reasons.isEmpty())
            headers.append(name);
        else
            written = false;
    }
    // Nothing to write, so no disclaimer to look for either.
    if (headers.isEmpty())
        return written;

    QString disclaimerPath = m_panel.header().hasOwnDisclaimer
        ? QDir(m_panel.header().xmlDir).filePath(AppPaths::normalizePanelPath(m_panel.header().disclaimerFile))
        : QDir(AppPaths::programDir()).filePath(QStringLiteral("disclaimer.txt"));
    if (!QFileInfo::exists(disclaimerPath)) {
        const QString name = QFileInfo(disclaimerPath).fileName();
        QWidget *parent = m_panel.shell() ? m_panel.shell()->dialogParent() : nullptr;
        disclaimerPath = Prompt::instance().openFileName(
            parent, QStringLiteral("Could not find disclaimer file %1!").arg(name), m_panel.header().xmlDir,
            QStringLiteral("%1 (%1)").arg(name));
    }
    QString disclaimer;
    QFile disclaimerText(disclaimerPath);
    if (!disclaimerPath.isEmpty() && disclaimerText.open(QIODevice::ReadOnly | QIODevice::Text)) {
        disclaimer = QString::fromUtf8(disclaimerText.readAll()).remove(QLatin1Char('\r'));
    } else {
        ::logMessage(orangeLine(QStringLiteral("Disclaimer file \"%1\" is missing").arg(m_panel.header().disclaimerFile)));
    }

    for (const QString &header : qAsConst(headers))
        written = writeHeaderFile(header, disclaimer, std::move(texts[header].lines)) && written;
    return written;
}

bool HeaderExport::writeHeaderFile(const QString &headerName, const QString &disclaimer,
                                 QStringList defineLines)
{
    if (headerName.isEmpty())
        return true;
    // Blanks name no file either; written, they would make one named by blanks.
    if (headerName.trimmed().isEmpty()) {
        ::reportError(QStringLiteral("Header file \"%1\" is not written: the name is empty").arg(headerName));
        return false;
    }
    if (!headerNameStaysInFolder(headerName)) {
        ::reportError(QStringLiteral("Header file \"%1\" is not written: it lies outside the working directory")
                          .arg(headerName));
        return false;
    }
    // Whole lines are sorted: a value may hold any character, "#" included.
    std::sort(defineLines.begin(), defineLines.end());
    const QString guard = headerGuard(headerName);
    const QString target = QDir(m_workingDir).filePath(AppPaths::normalizePanelPath(headerName));

    if (headerFileName(headerName) != AppPaths::normalizePanelPath(headerName))
        ::logMessage(orangeLine(QStringLiteral("Header file name \"%1\" contains a directory").arg(headerName)));
    if (guard != guardOfFileName(headerName)) {
        ::logMessage(orangeLine(QStringLiteral("Header file name \"%1\" gives no C name; its guard is %2")
                                    .arg(headerName, guard)));
    }
    QString version = m_panel.header().headerVersions.value(headerName, m_panel.header().xmlVersion);
    if (version.startsWith(QLatin1Char('V')))
        version.remove(0, 1);
    if (!m_panel.header().xmlVersion.isEmpty() && breaksHeaderLine(version)) {
        ::reportError(QStringLiteral("Header file \"%1\" is not written: the version \"%2\" holds a line "
                                     "break or a comment delimiter")
                          .arg(headerName, version));
        return false;
    }

    TextFileWriter writer(target, WrittenKind::Header);
    // Followed through every symbolic link, the header stays in the working folder.
    writer.setFolder(m_workingDir);
    writer << disclaimer << QStringLiteral("#ifndef ") << guard << QStringLiteral("\n")
           << QStringLiteral("#define ") << guard << QStringLiteral("\n\n");
    if (!m_panel.header().xmlVersion.isEmpty()) {
        writer << QStringLiteral("/* XML Version %1 */\n").arg(version)
               << QStringLiteral("#define %1_XML_VERSION (%2)\n\n")
                      .arg(versionPrefix(headerName), versionNumber(version));
    }
    writer << defineLines.join(QString()) << QStringLiteral("#endif /* ") << guard << QStringLiteral(" */\n");
    if (!writer.write()) {
        if (writer.refused())
            ::reportError(WriteGuard::refusalMessage(writer.target(), writer.errorString()));
        else
            ::logMessage(orangeLine(QStringLiteral("Could not write header file \"%1\"").arg(target)));
        return false;
    }
    m_panel.editHeader().changedHeaders.insert(headerName, false);
    ::logMessage(QStringLiteral("<font color=\"blue\"><b>Exported headerfile:</b></font> %1<br>")
                     .arg(QFileInfo(target).absoluteFilePath()));
    return true;
}
