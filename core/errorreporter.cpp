#include "errorreporter.h"

#include "consolelinks.h"
#include "programversion.h"
#include "prompt.h"
#include "textfilewriter.h"
#include "writeguard.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>

#include <cstdio>

#include <utility>

#include <unistd.h>

ErrorReporter &ErrorReporter::instance()
{
    static ErrorReporter reporter;
    return reporter;
}

void ErrorReporter::setSinks(bool messageBox, bool console, bool logFile)
{
    m_toMessageBox = messageBox;
    m_toConsole = console;
    m_toLogFile = logFile;
}

void ErrorReporter::setConsoleSink(std::function<void(const QString &)> sink)
{
    consoleSink = std::move(sink);
}

void ErrorReporter::printOnConsole(const QString &html) const
{
    if (consoleSink)
        consoleSink(html);
    if (m_echoToStandardError) {
        const QString text = plainText(html);
        if (!text.trimmed().isEmpty()) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            std::fflush(stderr);
        }
    }
}

// The text of the entities the console's HTML writes, decoded once.
static QString decodedEntities(QString text)
{
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString ErrorReporter::plainText(const QString &html)
{
    static const QRegularExpression lineBreak(QStringLiteral("<br\\s*/?>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    // A link to a position in a file shows "file" in the console; as plain
    // text it names the file itself, as the message was given it.
    static const QRegularExpression fileLink(
        QStringLiteral("<a href=\"\\$xmlopen\\$([^\"]*)\\$-n[^\"$]*\\$-c[^\"$]*\">file</a>"),
        QRegularExpression::CaseInsensitiveOption);
    QString text = html;
    if (text.contains(QLatin1String("$xmlopen$"))) {
        QRegularExpressionMatchIterator links = fileLink.globalMatch(text);
        QString named;
        int from = 0;
        while (links.hasNext()) {
            const QRegularExpressionMatch link = links.next();
            // The link may be written escaped as an attribute.
            const QString href = decodedEntities(link.captured(1));
            const QString file = readConsoleLink(QStringLiteral("$xmlopen$") + href).editorArguments.value(0);
            if (file.isEmpty())
                continue; // no file to name: the link keeps its text
            named += text.midRef(from, link.capturedStart() - from);
            named += file.toHtmlEscaped();
            from = link.capturedEnd();
        }
        named += text.midRef(from);
        text = named;
    }
    text.replace(lineBreak, QStringLiteral("\n"));
    text.remove(tag);
    text = decodedEntities(text);
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

static QString absolutePath(const QString &file)
{
    return QFileInfo(file).absoluteFilePath();
}

static QString objectNameOf(const QObject *element)
{
    return element ? element->objectName() : QString();
}

void ErrorReporter::appendToLogFile(const QString &text)
{
    if (!m_toLogFile || !m_file.isOpen())
        return;
    m_file.write(text.toLatin1());
    m_file.flush();
}

void ErrorReporter::reportError(QString message, const QString &title)
{
    // Without a display the box is a console note, which has no title.
    if (m_toMessageBox && (title.isEmpty() || !Prompt::instance().isInteractive())) {
        Prompt::instance().errorBox(message);
    } else if (m_toMessageBox) {
        PromptMessage box;
        box.icon = QMessageBox::Warning;
        box.title = title;
        box.text = message;
        box.windowFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint;
        Prompt::ask(box);
    }
    if (m_toConsole) {
        if (!message.contains(QLatin1String("<br>")))
            message += QLatin1String("<br>");
        printOnConsole(message);
    }
    if (m_toLogFile) {
        if (!message.endsWith(QLatin1Char('\n')))
            message += QLatin1Char('\n');
        appendToLogFile(message);
    }
}

void ErrorReporter::logMessage(const QString &text)
{
    printOnConsole(text);
    appendToLogFile(text);
}

bool ErrorReporter::openLogFile(const QString &name)
{
    if (name.isEmpty()) {
        m_toLogFile = false;
        return true;
    }
    // The new file is tried first: when it is refused or cannot be opened,
    // the log open before stays and gets the report, so the failure is not
    // lost with it. A log never replaces a file the program reads or runs.
    const QString refusal = WriteGuard::logRefusal(name);
    if (!refusal.isEmpty()) {
        m_toLogFile = m_toLogFile && m_file.isOpen();
        reportError(WriteGuard::logRefusalMessage(name, refusal));
        return false;
    }
    QString openError;
    const int fd = WriteGuard::openLog(name, &openError);
    if (fd < 0) {
        m_toLogFile = m_toLogFile && m_file.isOpen();
        reportCannotOpenFile(name, openError);
        return false;
    }
    if (m_file.isOpen())
        m_file.close();
    m_fileName = name;
    m_file.setFileName(name);
    // Written only: a FIFO or device is never read.
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_toLogFile = false;
        reportCannotOpenFile(name, m_file.errorString());
        return false;
    }
    return true;
}

void ErrorReporter::closeLogFile()
{
    if (m_file.isOpen())
        m_file.close();
}

void appendToLogFile(const QString &text)
{
    ErrorReporter::instance().appendToLogFile(text);
}

void reportError(QString message)
{
    ErrorReporter::instance().reportError(std::move(message));
}

void reportTitledError(const QString &title, QString message)
{
    ErrorReporter::instance().reportError(std::move(message), title);
}

void logMessage(QString text)
{
    ErrorReporter::instance().logMessage(text);
}

bool openLogFile(QString fileName)
{
    return ErrorReporter::instance().openLogFile(fileName);
}

void closeLogFile()
{
    ErrorReporter::instance().closeLogFile();
}

void reportVersion1OnlyConfiguration()
{
    reportError(QStringLiteral("Error: The selected configuration is supported by Quillmate V1.x only.\n"
                               "Please refer to the Orvanta homepage to download Quillmate V1.x."));
}

void reportInvalidLoadValue(const QObject *element, const QString &value)
{
    reportError(QStringLiteral("Trying to load \"%1\" with invalid value \"%2\"")
                    .arg(objectNameOf(element), value));
}

void reportUnsupportedValueKind(const QObject *element, int keyword)
{
    static const char *const words[] = {"value", "label", "index", "definevalue"};
    const QString word = keyword >= 0 && keyword < 4 ? QLatin1String(words[keyword]) : QString();
    reportError(QStringLiteral("Can not return value of type \"%1\" from \"%2\"")
                    .arg(word, objectNameOf(element)));
}

void reportInvalidSetValue(const QObject *element, const QString &value)
{
    reportError(QStringLiteral("Trying to set \"%1\" to invalid value \"%2\"")
                    .arg(objectNameOf(element), value));
}

void reportBitsAlreadyAssigned(const QString &define, int msb, int lsb)
{
    reportError(QStringLiteral("Tried to assign a GUI element to already assigned bits: %1\nMSB: %2 LSB: %3")
                    .arg(define, QString::number(msb), QString::number(lsb)));
}

void reportInvalidParameter(const QString &what, const QString &parameter)
{
    reportError(QStringLiteral("Can not use \"%1\" with parameter \"%2\"").arg(what, parameter));
}

void reportIndexOutOfRange(const QString &name, const QString &member, int index, int min, int max)
{
    reportError(QStringLiteral("Index for %1.%2 (%3) is out of allowed range: %4..%5")
                    .arg(name, member, QString::number(index), QString::number(min), QString::number(max)));
}

void reportSvdBitsAlreadyAssigned(const QString &peripheral, const QString &reg,
                                  const QString &field, int msb, int lsb)
{
    reportError(QStringLiteral("Tried to assign a GUI element to already assigned bits: %1.%2.%3\nMSB: %4 LSB: %5")
                    .arg(peripheral, reg, field, QString::number(msb), QString::number(lsb)));
}

void reportBitOrderError(const QString &name, int msb, int lsb)
{
    reportError(QStringLiteral("Bit order error in %1: msb(%2) < lsb(%3)").arg(name, QString::number(msb), QString::number(lsb)));
}

void reportUndefinedFormulaElement(const QString &name)
{
    reportError(QStringLiteral("Element used in formula not defined: \"%1\"").arg(name));
}

void reportNoContainerRoot(const QString &file)
{
    reportError(QStringLiteral("Cannot read file %1\nNot starting with a container type!").arg(file));
}

void reportTableXmlMismatch(const QString &currentXml, const QString &storedXml)
{
    reportError(QStringLiteral("This table's qlmp was saved from another XML\n"
                               "Original xml filename: %1\nCurrent xml filename: %2")
                    .arg(storedXml, currentXml));
}

void reportTableVersionMismatch(const QString &currentVersion, const QString &storedVersion)
{
    reportError(QStringLiteral("Version of this table's qlmp file does not match the current xml version.\n"
                               "Tables qlmp version: %1\nCurrent xml version: %2")
                    .arg(storedVersion, currentVersion));
}

void reportInvalidFormula(const QString &formula)
{
    reportError(QStringLiteral("Invalid formula: \"%1\"").arg(formula));
}

void reportInvalidLedbValue(const QString &value)
{
    reportError(QStringLiteral("Invalid value in ledb: \"%1\"").arg(value));
}

void reportInvalidLock(const QString &lock)
{
    reportError(QStringLiteral("XML ERROR!\nInvalid lock: \"%1\"").arg(lock));
}

void reportInvalidRecdataValue(const QString &value)
{
    reportError(QStringLiteral("Invalid value in recdata: \"%1\"").arg(value));
}

void reportSendUsbConversionError(const QString &value)
{
    reportError(QStringLiteral("Send USB: Cannot convert \"%1\"").arg(value));
}

void reportTableSendConversionError(const QString &value)
{
    reportError(QStringLiteral("Send USB: Cannot convert '%1'").arg(value));
}

void reportInvalidSetdefValue(const QString &value)
{
    reportError(QStringLiteral("Invalid value in setdef: \"%1\"").arg(value));
}

void reportInvalidFormulaValue(const QString &value)
{
    reportError(QStringLiteral("Invalid value in formula: \"%1\"").arg(value));
}

void reportProgramTooOld(const QString &panelFile, const QString &requiredVersion)
{
    reportError(QStringLiteral("Error: Wrong version of Quillmate.\n%2 requires minimum Quillmate %3\n"
                               "Current version of Quillmate is %1\n")
                    .arg(programVersionShortText(), QFileInfo(panelFile).fileName(), requiredVersion));
}

void reportMissingChecksum(const QString &file)
{
    reportError(QStringLiteral("No checksum element found in %1").arg(file));
}

void reportNotFound(const QString &what, const QString &where)
{
    reportError(QStringLiteral("No %1 found in %2").arg(what, where));
}

void reportCannotOpenFile(const QString &file, const QString &errorText)
{
    reportError(QStringLiteral("Cannot open file %1:\n%2").arg(absolutePath(file), errorText));
}

void reportDefaultOutOfRange(const QString &name, const QString &value, const QString &min,
                             const QString &max)
{
    reportError(QStringLiteral("Default value for %1 (%2) is out of allowed range: %3..%4")
                    .arg(name, value, min, max));
}

void reportSvdSizeError(const QString &peripheral, const QString &reg, const QString &field, int size)
{
    reportError(QStringLiteral("Out of size error while reading svd file: %1.%2.%3 Size=%4")
                    .arg(peripheral, reg, field, QString::number(size)));
}

void logCannotReadFile(const QString &file, const QString &errorText)
{
    logMessage(QStringLiteral("Cannot read file %1:\n%2").arg(absolutePath(file), errorText));
}

void reportBitRangeNotSupported(const QObject *element, int msb, int lsb)
{
    const QString className = element ? QString::fromLatin1(element->metaObject()->className())
                                      : QString();
    reportError(QStringLiteral("Trying to set MSB: %3 and LSB: %4 for %1 which is of type: %2\n")
                    .arg(objectNameOf(element), className, QString::number(msb), QString::number(lsb)));
}

void reportSignedFiles(int count, const QString &files)
{
    reportError(QStringLiteral("Successfully signed %1 files\n\n%2").arg(QString::number(count), files));
}

void reportFieldsOnNonSvdDefine(const QString &define)
{
    reportError(QStringLiteral("Defines not representing an svd value can't have fields: %1").arg(define));
}

void reportWriteError(const QString &file)
{
    reportError(QStringLiteral("Write error in file %1\n").arg(file));
}

void reportManipulatedFile(const QString &file)
{
    reportError(QStringLiteral("File %1 has been manipulated\nDo not use it!").arg(file));
}

void reportScriptNotFound(const QString &file)
{
    reportError(QStringLiteral("Could not find \"%1\".\nPlease check script folder settings.").arg(file));
}

void reportProjectVersionMismatch(const QString &currentRelease, const QString &storedVersion)
{
    reportError(QStringLiteral("Version of this qlmp configuration file does not match the current XML release version.\n"
                               "Qlmp version: %1\nCurrent xml release: %2")
                    .arg(storedVersion, currentRelease));
}

void reportInvalidDefineValue(const QString &define, const QString &value)
{
    reportError(QStringLiteral("Can not set %1 to invalid value \"%2\"").arg(define, value));
}

bool writeReported(TextFileWriter &writer)
{
    if (writer.write())
        return true;
    if (writer.refused())
        reportError(WriteGuard::refusalMessage(writer.target(), writer.errorString()));
    else if (writer.openFailed())
        reportCannotOpenFile(writer.fileName(), writer.errorString());
    else
        reportWriteError(writer.fileName());
    return false;
}
