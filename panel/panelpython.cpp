// Panel: starting Python for a panel that uses it and publishing elements,
// variables and display items to Python code.
#include "panelpython.h"

#include "errorreporter.h"
#include "panelshell.h"
#include "prompt.h"
#include "pythonbridge.h"

#include <QCoreApplication>
#include <QMessageBox>

bool PanelPython::start()
{
    QString error;
    if (m_bridge && m_bridge->startPython(&error))
        return true;
    if (!error.isEmpty())
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>Python Error: </b></font>%1<br>")
                         .arg(error.toHtmlEscaped()));
    PromptMessage message;
    message.parent = m_shell ? m_shell->dialogParent() : nullptr;
    message.icon = QMessageBox::Warning;
    message.title = QCoreApplication::translate("Panel", "Python integration");
    message.text = QCoreApplication::translate(
        "Panel",
        "WARNING: \nThis script uses Python but this is not installed correctly.\n"
        "Please ensure that Python 3.8 32-Bit is installed correctly and the environment\n"
        "variables PYTHON_PATH and PYTHON_LIB are set to the root of the Python\n"
        "installation and to the \\libs directory, e.g.\n"
        "PYTHON_PATH=C:\\Users\\Me\\AppData\\Local\\Programs\\Python\\Python38-32\n"
        "PYTHON_LIB =C:\\Users\\Me\\AppData\\Local\\Programs\\Python\\Python38-32\\libs\n\n"
        "The script can not be executed.");
    Prompt::ask(message);
    return false;
}

void PanelPython::publish(const QString &define, QObject *object)
{
    if (!m_bridge || !object || define.isEmpty() || !m_bridge->pythonStarted())
        return;
    QString name = define;
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_bridge->addObject(name, object, define);
}
