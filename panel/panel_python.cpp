// Panel: starting Python for a panel that uses it and publishing elements,
// variables and display items to Python code.
#include "quillpanel.h"

#include "errorreporter.h"
#include "panelshell.h"
#include "prompt.h"
#include "pythonbridge.h"

bool Panel::startPython()
{
    QString error;
    if (m_python && m_python->startPython(&error))
        return true;
    if (!error.isEmpty())
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>Python Error: </b></font>%1<br>")
                         .arg(error.toHtmlEscaped()));
    PromptMessage message;
    message.parent = m_shell ? m_shell->dialogParent() : nullptr;
    message.icon = QMessageBox::Warning;
    message.title = tr("Python integration");
    message.text = tr("WARNING: \nThis script uses Python but this is not installed correctly.\n"
                      "Please ensure that Python 3.8 32-Bit is installed correctly and the environment\n"
                      "variables PYTHON_PATH and PYTHON_LIB are set to the root of the Python\n"
                      "installation and to the \\libs directory, e.g.\n"
                      "PYTHON_PATH=C:\\Users\\Me\\AppData\\Local\\Programs\\Python\\Python38-32\n"
                      "PYTHON_LIB =C:\\Users\\Me\\AppData\\Local\\Programs\\Python\\Python38-32\\libs\n\n"
                      "The script can not be executed.");
    Prompt::ask(message);
    return false;
}

void Panel::publishToPython(const QString &define, QObject *object)
{
    if (!m_python || !object || define.isEmpty() || !m_python->pythonStarted())
        return;
    QString name = define;
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_python->addObject(name, object, define);
}
