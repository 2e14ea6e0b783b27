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

void MacroRecorder::stop()
{
    m_stream.setString(nullptr);
    m_stream.setDevice(nullptr);
}
