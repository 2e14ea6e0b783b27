#include "headerexport.h"

#include "activeelement.h"
#include "apppaths.h"
#include "errorreporter.h"
#include "mathlabel.h"
#include "panel.h"
#include "panelshell.h"
#include "prompt.h"
#include "registermodel.h"
#include "textfilewriter.h"
#include "writeguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>

namespace {

QString defineName(const QString &name, const QString &reg)
{
    return reg.isEmpty() ? name : name + QLatin1Char('_') + reg;
}

// One define line, with the blank line after it. A value that is no number is
// written as it is, a whole number in hexadecimal with its decimal form in a
// comment, any other number (negative, floating) as it is in parentheses.
QString defineLine(const QString &name, const QString &reg, const QString &value, bool notNumeric)
{
    const QString define = defineName(name, reg);
    if (notNumeric)
        return QStringLiteral("#define ") + define + QLatin1Char(' ') + value + QStringLiteral("\n\n");
    bool whole = false;
    const quint64 number = value.toULongLong(&whole, 10);
    if (!whole || value.trimmed().startsWith(QLatin1Char('-')) || value.contains(QLatin1Char('.'))
        || value.contains(QLatin1String("e+")) || value.contains(QLatin1String("e-")))
        return QStringLiteral("#define ") + define + QStringLiteral(" (") + value + QStringLiteral(")\n\n");
    const QString hex = QString::number(number, 16).toUpper();
    return QStringLiteral("#define ") + define + QStringLiteral(" (0x") + hex + QStringLiteral(") /*decimal ") + value
        + QStringLiteral("*/\n\n");
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
    const QHash<quint64, ActiveElement *> elements = reg.elementsByMask();
    for (ActiveElement *element : elements) {
        if (!element || !breaksHeaderLine(element->value(KeywordDefineValue, 1)))
            continue;
        const QObject *object = objectOf(element);
        names.append(object ? object->objectName() : QString());
    }
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
    for (ModuleRecord *module : panel.moduleTable()) {
        if (!module)
            continue;
        for (RegisterRecord *reg : qAsConst(module->registers)) {
            if (reg && !reg->headerName.isEmpty())
                return true;
        }
    }
    return false;
}

void HeaderExport::reportConflicts(const Panel &panel)
{
    // One line per conflicting pair, so that the user sees what to change: a
    // define and each element waiting to lock it, a formula and the name that
    // drove it out of its range.
    QList<QStringList> pairs;
    QStringList defines = panel.waitingLocks().keys();
    defines.sort();
    for (const QString &define : qAsConst(defines)) {
        const QStringList lockers = panel.waitingLocks().value(define);
        for (const QString &locker : lockers)
            pairs.append({define, locker});
        if (lockers.isEmpty())
            pairs.append({define});
    }
    for (MathLabel *label : qAsConst(panel.overflowConflicts())) {
        if (!label)
            continue;
        const QString cause = panel.overflowCauses().value(label);
        pairs.append(cause.isEmpty() ? QStringList{label->objectName()} : QStringList{cause, label->objectName()});
    }
    for (const QStringList &pair : qAsConst(pairs)) {
        QStringList links;
        for (const QString &name : pair)
            links.append(QStringLiteral("<a href=\"%1\">%1</a>").arg(name));
        ::logMessage(QStringLiteral("<font color=\"red\"><b>Warning: </font></b> Could not export headerfiles. %1 "
                                    "in a conflicted state!<br>")
                         .arg(links.join(QStringLiteral(" and "))));
    }
}

bool HeaderExport::exportHeaders(bool all)
{
    QMap<QString, QStringList> linesByHeader;
    // Per header: the reasons it cannot be written.
    QMap<QString, QStringList> refusals;
    // Per header: whether it is written at all, and its define prefix.
    QHash<QString, bool> exported;
    QHash<QString, QString> prefixes;
    for (auto module = m_panel.moduleTable().cbegin(); module != m_panel.moduleTable().cend(); ++module) {
        if (!module.value())
            continue;
        const QHash<QString, RegisterRecord *> &registers = module.value()->registers;
        for (auto reg = registers.cbegin(); reg != registers.cend(); ++reg) {
            if (!reg.value() || reg.value()->headerName.isEmpty())
                continue;
            const QString &header = reg.value()->headerName;
            auto exportedHere = exported.constFind(header);
            if (exportedHere == exported.cend()) {
                exportedHere = exported.insert(header, all || m_panel.changedHeaders().value(header, true));
                prefixes.insert(header, m_panel.definePrefixes()[header]);
            }
            // A header that is not written needs no lines.
            if (!exportedHere.value())
                continue;
            const QString prefix = prefixes.value(header);
            const QString name = prefix.isEmpty() ? module.key() : prefix + QLatin1Char('$') + module.key();
            bool notNumeric = false;
            const QString value = reg.value()->valueText(&notNumeric);
            const QString define = defineName(name, reg.key());
            if (breaksHeaderLine(define)) {
                refusals[header].append(
                    QStringLiteral("the define name \"%1\" holds a line break or a comment delimiter")
                        .arg(define));
            } else if (breaksHeaderLine(value)) {
                QStringList names = elementsBreakingTheLine(*reg.value());
                if (names.isEmpty())
                    names.append(define);
                for (const QString &element : qAsConst(names)) {
                    refusals[header].append(
                        QStringLiteral("the value of \"%1\" holds a line break or a comment delimiter")
                            .arg(element));
                }
            }
            linesByHeader[header].append(defineLine(name, reg.key(), value, notNumeric));
        }
    }

    if (!m_panel.waitingLocks().isEmpty() || !m_panel.overflowConflicts().isEmpty()) {
        reportConflicts(m_panel);
        return false;
    }
    // A panel whose every header was refused writes nothing: no success either.
    if (!m_panel.refusedHeaders().isEmpty() && !hasHeaders(m_panel)) {
        QStringList outside;
        for (const QString &name : qAsConst(m_panel.refusedHeaders())) {
            if (!name.trimmed().isEmpty())
                outside.append(name);
        }
        if (outside.size() == m_panel.refusedHeaders().size()) {
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
    QStringList headers;
    for (auto it = linesByHeader.cbegin(); it != linesByHeader.cend(); ++it) {
        const QStringList reasons = refusals.value(it.key());
        for (const QString &reason : reasons)
            ::reportError(QStringLiteral("Header file \"%1\" is not written: %2").arg(it.key(), reason));
        if (reasons.isEmpty())
            headers.append(it.key());
        else
            written = false;
    }
    // Nothing to write, so no disclaimer to look for either.
    if (headers.isEmpty())
        return written;

    QString disclaimerPath = m_panel.hasOwnDisclaimer()
        ? QDir(m_panel.getXMLDir()).filePath(AppPaths::normalizePanelPath(m_panel.getDisclaimerFile()))
        : QDir(AppPaths::programDir()).filePath(QStringLiteral("disclaimer.txt"));
    if (!QFileInfo::exists(disclaimerPath)) {
        const QString name = QFileInfo(disclaimerPath).fileName();
        QWidget *parent = m_panel.shell() ? m_panel.shell()->dialogParent() : nullptr;
        disclaimerPath = Prompt::instance().openFileName(
            parent, QStringLiteral("Could not find disclaimer file %1!").arg(name), m_panel.getXMLDir(),
            QStringLiteral("%1 (%1)").arg(name));
    }
    QString disclaimer;
    QFile disclaimerText(disclaimerPath);
    if (!disclaimerPath.isEmpty() && disclaimerText.open(QIODevice::ReadOnly | QIODevice::Text)) {
        disclaimer = QString::fromUtf8(disclaimerText.readAll()).remove(QLatin1Char('\r'));
    } else {
        ::logMessage(orangeLine(QStringLiteral("Disclaimer file \"%1\" is missing").arg(m_panel.getDisclaimerFile())));
    }

    for (const QString &header : qAsConst(headers))
        written = writeHeaderFile(header, disclaimer, linesByHeader.value(header)) && written;
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
    QString version = m_panel.headerVersions().value(headerName, m_panel.getXMLVersion());
    if (version.startsWith(QLatin1Char('V')))
        version.remove(0, 1);
    if (!m_panel.getXMLVersion().isEmpty() && breaksHeaderLine(version)) {
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
    if (!m_panel.getXMLVersion().isEmpty()) {
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
    m_panel.setHeaderChanged(headerName, false);
    ::logMessage(QStringLiteral("<font color=\"blue\"><b>Exported headerfile:</b></font> %1<br>")
                     .arg(QFileInfo(target).absoluteFilePath()));
    return true;
}
