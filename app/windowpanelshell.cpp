#include "windowpanelshell.h"

#include "mainwindow.h"

#include "errorreporter.h"
#include "quillpanel.h"
#include "panelteardown.h"
#include "prompt.h"
#include "tykvalueexchange.h"

#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>

#include <memory>

QWidget *WindowPanelShell::dialogParent()
{
    return &m_window;
}

QString WindowPanelShell::runningScriptFile() const
{
    return m_window.m_scripts.scriptFile();
}

void WindowPanelShell::cancelHighlight()
{
    m_window.m_elementFinder->cancelHighlight();
}

TykLink *WindowPanelShell::tykLinkForTables(bool create)
{
    return m_window.m_tykAdapter->link(create);
}

QString WindowPanelShell::tableWorkingDirectory() const
{
    return m_window.m_settings.workingDir;
}

void WindowPanelShell::setTableWorkingDirectory(const QString &dir)
{
    m_window.setWorkingDir(dir);
}

void WindowPanelShell::loadFile(const QString &name)
{
    // An element's loadFile action that a script line set off: the failed
    // open counts against the run, as a failed LOAD does.
    if (!m_window.loadFile(name, false) && m_window.m_scripts.runDepth() > 0)
        m_window.m_scripts.addScriptError();
}

void WindowPanelShell::setProjectModified()
{
    m_window.setWindowModified(true);
}

void WindowPanelShell::showPanelWidget(QWidget *widget)
{
    // The old panel may still be running the signal that loads this one (a
    // loadFile or runScript action, a wait): it then goes once control is
    // back in the event loop, not under its own feet. Otherwise it goes now,
    // before the new panel is built beside it.
    //
    // The old panel stays a child of the window until it goes: taken out of
    // the window first, each of its widgets would take the application's
    // style afresh (and each combo box would build its popup list for it),
    // which made dropping a large panel take minutes and gigabytes.
    if (QWidget *old = m_window.centralWidget()) {
        if (m_window.m_panel && m_window.m_panel->elementCodeRunning()) {
            old->hide();
            old->deleteLater();
            m_window.m_retiredPanelWidgets.removeAll(QPointer<QWidget>());
            m_window.m_retiredPanelWidgets.append(old);
        } else {
            deletePanelWidget(old);
        }
    }
    m_window.setCentralWidget(widget);
}

void WindowPanelShell::runScript(const QString &text)
{
    m_window.m_scripts.runText(text);
}

void WindowPanelShell::startProgram(const QString &command)
{
    QStringList parts = command.split(QLatin1Char(' '));
    const QString program = parts.takeFirst().replace(QLatin1Char('\\'), QLatin1Char('/'));
    QProcess process;
    process.start(program, parts, QIODevice::ReadWrite);

    std::unique_ptr<QProgressDialog> progress;
    if (Prompt::instance().isInteractive()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Executing command..."), QString(), 0, 100,
                                                     &m_window, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progress->setWindowModality(Qt::WindowModal);
        progress->setCancelButton(nullptr);
        progress->show();
    }
    // At most 501 passes of 100 ms; the window keeps running meanwhile.
    for (int pass = 0; pass <= 500 && process.state() != QProcess::NotRunning; ++pass) {
        if (progress)
            progress->setValue(qMin(pass / 3, 100));
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    output.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    logMessage(output);
    progress.reset();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
}

bool WindowPanelShell::isRecording() const
{
    return m_window.m_scripts.recorder().isRecording();
}

void WindowPanelShell::recordScriptLine(const QString &line, const QString &consoleLine)
{
    m_window.m_scripts.recorder().record(line, consoleLine);
}

void WindowPanelShell::sendUSB(const QString &values)
{
    m_window.m_tykValues->send(values);
}

void WindowPanelShell::recData(const QString &values)
{
    m_window.m_tykValues->receive(values);
}
