#include "macrorecorder.h"

bool MacroRecorder::isRecording() const
{
    return m_stream.device() || m_stream.string();
}

void MacroRecorder::record(const QString &line, const QString &consoleLine)
{
    if (!isRecording())
        return;
    const QString comment = m_comment.isEmpty() ? QString() : QStringLiteral("//") + m_comment;
    m_stream << line << comment << '\n';
    m_stream.flush();
    if (m_echo)
        m_echo((consoleLine + comment).toHtmlEscaped() + QStringLiteral("<br>"));
}

void MacroRecorder::insertLine(const QString &line)
{
    if (!isRecording())
        return;
    m_stream << line << '\n';
    m_stream.flush();
    if (m_echo)
        m_echo(line.toHtmlEscaped() + QStringLiteral("<br>"));
}

void MacroRecorder::stop()
{
    m_stream.setString(nullptr);
    m_stream.setDevice(nullptr);
}

bool MacroRecorder::startFile(const QString &fileName, const QString &panelFile, QString *errorText)
{
    stopFile();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text)) {
        if (errorText)
            *errorText = m_file.errorString();
        return false;
    }
    m_stream.setString(nullptr);
    m_stream.setDevice(&m_file);
    m_stream << "//Macro recorded with XML " << panelFile << '\n';
    m_stream << "SetWaitTime(10)\n";
    m_stream.flush();
    return true;
}

void MacroRecorder::stopFile()
{
    if (m_stream.device() == &m_file) {
        m_stream << "//Exit(2)\n";
        m_stream.flush();
        stop();
    }
    if (m_file.isOpen())
        m_file.close();
}
