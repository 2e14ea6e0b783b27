#pragma once

#include <QFile>
#include <QString>

class TextFileWriter;

#include <functional>

class QObject;

// The error reporter: every program error that is not a panel-file problem is
// shown through up to three sinks (message box, console, log file), each
// switched on or off on its own. All three are on until told otherwise.
class ErrorReporter
{
public:
    static ErrorReporter &instance();

    ErrorReporter(const ErrorReporter &) = delete;
    ErrorReporter &operator=(const ErrorReporter &) = delete;

    void setSinks(bool messageBox, bool console, bool logFile);
    void setReportToMessageBox(bool on) { m_toMessageBox = on; }
    void setReportToConsole(bool on) { m_toConsole = on; }
    void setReportToLogFile(bool on) { m_toLogFile = on; }
    bool reportsToMessageBox() const { return m_toMessageBox; }
    bool reportsToConsole() const { return m_toConsole; }
    bool reportsToLogFile() const { return m_toLogFile; }

    // The console sink: a function that appends one HTML line to the console.
    // Without one, console lines are dropped (the log file still gets them).
    void setConsoleSink(std::function<void(const QString &)> sink);
    // Runs that end by themselves have no console anybody reads: every
    // console line then goes to standard error too, as plain text.
    void setEchoConsoleToStandardError(bool on) { m_echoToStandardError = on; }
    // A console line as plain text: line breaks for "<br>", no tags,
    // entities decoded, no line break at the end.
    static QString plainText(const QString &html);

    // The log file last given to openLogFile(), open or not.
    QFile &logFile() { return m_file; }
    const QString &logFileName() const { return m_fileName; }

    // An empty title gives the plain error box; a title gives a warning box
    // of that title that stays on top.
    void reportError(QString message, const QString &title = QString());
    void logMessage(const QString &text);
    // An empty name switches the log file sink off; otherwise the file is
    // (re)created empty. A file that cannot be opened is reported and leaves
    // the log open before (the sink stays on only with one); false then.
    bool openLogFile(const QString &name);
    void closeLogFile();
    void appendToLogFile(const QString &text);

private:
    ErrorReporter() = default;
    void printOnConsole(const QString &html) const;

    bool m_toMessageBox = true;
    bool m_toConsole = true;
    bool m_toLogFile = true;
    bool m_echoToStandardError = false;
    std::function<void(const QString &)> consoleSink;
    QFile m_file;
    QString m_fileName;
};

// The functions below forward to ErrorReporter::instance().
void reportError(QString message);
// reportError with a box of its own title, for a report whose box the user
// must tell apart (a J-Link failure).
void reportTitledError(const QString &title, QString message);
void logMessage(QString text);
bool openLogFile(QString fileName);
void closeLogFile();
// Appends text to the log file when the file sink is on (no console, no box).
void appendToLogFile(const QString &text);

// One function per message.
void reportVersion1OnlyConfiguration();
void reportInvalidLoadValue(const QObject *element, const QString &value);
void reportUnsupportedValueKind(const QObject *element, int keyword);
void reportInvalidSetValue(const QObject *element, const QString &value);
void reportBitsAlreadyAssigned(const QString &define, int msb, int lsb);
void reportInvalidParameter(const QString &what, const QString &parameter);
void reportIndexOutOfRange(const QString &name, const QString &member, int index, int min, int max);
void reportSvdBitsAlreadyAssigned(const QString &peripheral, const QString &reg,
                                  const QString &field, int msb, int lsb);
void reportBitOrderError(const QString &name, int msb, int lsb);
void reportUndefinedFormulaElement(const QString &name);
void reportNoContainerRoot(const QString &file);
void reportTableXmlMismatch(const QString &currentXml, const QString &storedXml);
void reportTableVersionMismatch(const QString &currentVersion, const QString &storedVersion);
void reportInvalidFormula(const QString &formula);
void reportInvalidLedbValue(const QString &value);
void reportInvalidLock(const QString &lock);
void reportInvalidRecdataValue(const QString &value);
void reportSendUsbConversionError(const QString &value);
// A send item of a register table row that is no value.
void reportTableSendConversionError(const QString &value);
void reportInvalidSetdefValue(const QString &value);
void reportInvalidFormulaValue(const QString &value);
void reportProgramTooOld(const QString &panelFile, const QString &requiredVersion);
void reportMissingChecksum(const QString &file);
void reportNotFound(const QString &what, const QString &where);
void reportCannotOpenFile(const QString &file, const QString &errorText);
void reportDefaultOutOfRange(const QString &name, const QString &value, const QString &min,
                             const QString &max);
void reportSvdSizeError(const QString &peripheral, const QString &reg, const QString &field,
                        int size);
void logCannotReadFile(const QString &file, const QString &errorText);
void reportBitRangeNotSupported(const QObject *element, int msb, int lsb);
void reportSignedFiles(int count, const QString &files);
void reportFieldsOnNonSvdDefine(const QString &define);
void reportWriteError(const QString &file);
// Writes the file and reports a failure (refused by the write guard, cannot
// open, or the write failed); true when the file was written.
bool writeReported(TextFileWriter &writer);
void reportManipulatedFile(const QString &file);
void reportScriptNotFound(const QString &file);
void reportProjectVersionMismatch(const QString &currentRelease, const QString &storedVersion);
// A value given for a define (-d, scripts) that its element cannot hold.
void reportInvalidDefineValue(const QString &define, const QString &value);
