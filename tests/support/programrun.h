#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// One run of the real program as a child process, headless, with its
// settings under configDir and without QUILLMATE_NONINTERACTIVE: the options
// alone must keep a run that has to end from waiting on a dialog.
struct ProgramRun {
    bool finished = false; // false: it did not end within the time-out and was killed
    int exitCode = -1;     // -1 after a crash or a kill
    QString stdErr;
};

// `adjust`, when given, changes the environment last (for example to take
// the display variables away).
inline ProgramRun runProgram(const QString &program, const QStringList &arguments, const QString &workingDir,
                             const QString &configDir, int timeoutMs = 30000,
                             const std::function<void(QProcessEnvironment &)> &adjust = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    environment.remove(QStringLiteral("QUILLMATE_NONINTERACTIVE"));
    if (adjust)
        adjust(environment);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDir);
    process.start(program, arguments);
    ProgramRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}
