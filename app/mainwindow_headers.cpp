// MainWindow: the generated C header files, one per header name of the panel,
// each holding a #define line for every register of that header.
#include "mainwindow.h"

#include "apppaths.h"
#include "errorreporter.h"
#include "panel.h"
#include "prompt.h"
#include "registermodel.h"
#include "textfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>

namespace {

// One define line, with the blank line after it. A value that is no number is
// written as it is, a negative or floating one in parentheses, any other in
// hexadecimal with its decimal form in a comment.
QString defineLine(const QString &name, const QString &reg, const QString &value, bool notNumeric)
{
    const QString define = reg.isEmpty() ? name : name + QLatin1Char('_') + reg;
    if (notNumeric)
        return QStringLiteral("#define %1 %2\n\n").arg(define, value);
    if (value.trimmed().startsWith(QLatin1Char('-')) || value.contains(QLatin1Char('.'))
        || value.contains(QLatin1String("e+")) || value.contains(QLatin1String("e-")))
        return QStringLiteral("#define %1 (%2)\n\n").arg(define, value);
    const QString hex = QString::number(value.toULongLong(nullptr, 10), 16).toUpper();
    return QStringLiteral("#define %1 (0x%2) /*decimal %3*/\n\n").arg(define, hex, value);
}

// The header's file name without directories; "\" counts as a separator too.
QString headerFileName(const QString &headerName)
{
    return QFileInfo(AppPaths::normalizePanelPath(headerName)).fileName();
}

// The include guard: the file name with every ".h" removed, upper-cased, "_H".
QString headerGuard(const QString &headerName)
{
    return headerFileName(headerName).remove(QLatin1String(".h")).toUpper() + QStringLiteral("_H");
}

// The name part of the version define: the file name up to its first "_".
QString versionPrefix(const QString &headerName)
{
    return headerFileName(headerName).section(QLatin1Char('_'), 0, 0).trimmed()
        .remove(QLatin1String(".h")).toUpper();
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

bool isCIdentifier(const QString &text)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(text).hasMatch();
}

QString orangeLine(const QString &text)
{
    return QStringLiteral("<font color=\"orange\"><b>%1</b></font><br>").arg(text);
}

} // namespace

bool MainWindow::headerFilesToExport() const
{
    for (ModuleRecord *module : m_panel->moduleTable) {
        if (!module)
            continue;
        for (RegisterRecord *reg : qAsConst(module->registers)) {
            if (reg && !reg->headerName.isEmpty())
                return true;
        }
    }
    return false;
}

bool MainWindow::exportHeaderFiles()
{
    return exportHeaderFiles(false);
}

bool MainWindow::exportHeaderFiles(bool all)
{
    QMap<QString, QStringList> linesByHeader;
    for (auto module = m_panel->moduleTable.cbegin(); module != m_panel->moduleTable.cend(); ++module) {
        if (!module.value())
            continue;
        const QHash<QString, RegisterRecord *> &registers = module.value()->registers;
        for (auto reg = registers.cbegin(); reg != registers.cend(); ++reg) {
            if (!reg.value() || reg.value()->headerName.isEmpty())
                continue;
            const QString &header = reg.value()->headerName;
            const QString prefix = m_panel->definePrefixes[header];
            const QString name = prefix.isEmpty() ? module.key() : prefix + QLatin1Char('$') + module.key();
            bool notNumeric = false;
            const QString value = reg.value()->valueText(&notNumeric);
            linesByHeader[header].append(defineLine(name, reg.key(), value, notNumeric));
        }
    }

    if (!m_panel->waitingLocks.isEmpty() || !m_panel->overflowConflicts.isEmpty()) {
        consolePrintConflicts();
        return false;
    }

    QStringList headers;
    for (auto it = linesByHeader.cbegin(); it != linesByHeader.cend(); ++it) {
        if (all || m_panel->changedHeaders.value(it.key(), true))
            headers.append(it.key());
    }
    // Nothing to write, so no disclaimer to look for either.
    if (headers.isEmpty())
        return true;

    QString disclaimerPath = m_panel->hasOwnDisclaimer
        ? QDir(m_panel->xmlDir).filePath(AppPaths::normalizePanelPath(m_panel->disclaimerFile))
        : QDir(AppPaths::programDir()).filePath(QStringLiteral("disclaimer.txt"));
    if (!QFileInfo::exists(disclaimerPath)) {
        const QString name = QFileInfo(disclaimerPath).fileName();
        disclaimerPath = Prompt::instance().openFileName(
            this, tr("Could not find disclaimer file %1!").arg(name), m_panel->xmlDir,
            QStringLiteral("%1 (%1)").arg(name));
    }
    QString disclaimer;
    QFile disclaimerText(disclaimerPath);
    if (!disclaimerPath.isEmpty() && disclaimerText.open(QIODevice::ReadOnly | QIODevice::Text)) {
        disclaimer = QString::fromUtf8(disclaimerText.readAll()).remove(QLatin1Char('\r'));
    } else {
        ::logMessage(orangeLine(QStringLiteral("Disclaimer file \"%1\" is missing").arg(m_panel->disclaimerFile)));
    }

    bool written = true;
    for (const QString &header : qAsConst(headers))
        written = writeHeaderFile(header, disclaimer, linesByHeader.value(header)) && written;
    return written;
}

bool MainWindow::writeHeaderFile(const QString &headerName, const QString &disclaimer,
                                 QStringList defineLines)
{
    if (headerName.isEmpty())
        return true;
    // Whole lines are sorted: a value may hold any character, "#" included.
    std::sort(defineLines.begin(), defineLines.end());
    const QString guard = headerGuard(headerName);
    const QString target = QDir(workingDir).filePath(AppPaths::normalizePanelPath(headerName));

    if (headerFileName(headerName) != AppPaths::normalizePanelPath(headerName))
        ::logMessage(orangeLine(QStringLiteral("Header file name \"%1\" contains a directory").arg(headerName)));
    if (!isCIdentifier(guard)) {
        ::logMessage(orangeLine(QStringLiteral("Header file name \"%1\" gives the guard %2, which is no C name")
                                    .arg(headerName, guard)));
    }

    TextFileWriter writer(target);
    writer << disclaimer << QStringLiteral("#ifndef ") << guard << QStringLiteral("\n")
           << QStringLiteral("#define ") << guard << QStringLiteral("\n\n");
    if (!m_panel->xmlVersion.isEmpty()) {
        QString version = m_panel->headerVersions.value(headerName, m_panel->xmlVersion);
        if (version.startsWith(QLatin1Char('V')))
            version.remove(0, 1);
        writer << QStringLiteral("/* XML Version %1 */\n").arg(version)
               << QStringLiteral("#define %1_XML_VERSION (%2)\n\n")
                      .arg(versionPrefix(headerName), versionNumber(version));
    }
    writer << defineLines.join(QString()) << QStringLiteral("#endif /* ") << guard << QStringLiteral(" */\n");
    if (!writer.write()) {
        ::logMessage(orangeLine(QStringLiteral("Could not write header file \"%1\"").arg(target)));
        return false;
    }
    m_panel->changedHeaders.insert(headerName, false);
    ::logMessage(QStringLiteral("<font color=\"blue\"><b>Exported headerfile:</b></font> %1<br>")
                     .arg(QFileInfo(target).absoluteFilePath()));
    return true;
}
