// MainWindow: the window's embedded Python. The panel starts it through its
// bridge when a panel asks for it; "python:" scripts run in it; what Python
// prints reaches the console.
#include "mainwindow.h"

#include "errorreporter.h"
#include "quillpanel.h"
#include "pythonhost.h"

namespace {

// A text Python wrote, as a console line with prefix; empty for a lone line end.
QString pythonOutputLine(const QString &prefix, const QString &text)
{
    if (text == QLatin1String("\n"))
        return QString();
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return prefix + html + QStringLiteral("<br>");
}

// What Python writes to its standard output or error: one console (and log
// file) line per text, a lone line end dropped.
void logPythonOutput(const QString &prefix, const QString &text)
{
    const QString line = pythonOutputLine(prefix, text);
    if (!line.isEmpty())
        logMessage(line);
}

} // namespace

void MainWindow::setUpPython()
{
    m_python = std::make_unique<PythonHost>();
    m_python->setApplicationObject(this);
    m_python->setOutputSinks([](const QString &text) { logPythonOutput(QStringLiteral("Python stdOut: "), text); },
                             [](const QString &text) { logPythonOutput(QStringLiteral("Python stdErr: "), text); });
    // Values set from Python take the path of a script's SET.
    m_python->setValueSetter([this](const QString &define, const QString &value) {
        return m_panel->setElementByDefine(define, value);
    });
    m_panel->python().setBridge(m_python.get());
    m_scripts.setPythonRunner([this](const QString &code, QString *error) {
        // Until a panel has started Python, "python:" texts do nothing.
        if (!m_python->pythonStarted())
            return true;
        return m_python->evalScript(code, error);
    });
}
