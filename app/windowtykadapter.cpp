// The window's side of the Tyk adapter: its link, the report of a port that
// cannot be opened, and the adapter's firmware version and update.
#include "windowtykadapter.h"

#include "mainwindow.h"

#include "activeelement.h"
#include "apppaths.h"
#include "errorreporter.h"
#include "programversion.h"
#include "prompt.h"
#include "quillpanel.h"
#include "timerlabel.h"
#include "tyklink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QThread>

#include <algorithm>
#include <memory>

TykLink *WindowTykAdapter::newLink()
{
    auto *link = new TykLink(m_window.m_panel->header().ioPortName, m_window.m_panel->header().ioPortSettings);
    link->setConsole([this](const QString &line) { m_window.consolePrint(line); });
    link->setOpenFailureReporter(
        [this](const QString &text, bool repeated) { reportOpenFailure(text, repeated); });
    return link;
}

void WindowTykAdapter::reportOpenFailure(const QString &text, bool repeated)
{
    // In a script, each line that needed the port and could not open it
    // fails once, however often it (or the polling meanwhile) retried.
    // Elsewhere the first failure in a row is said, not every retry.
    const bool inScript = m_window.m_scripts.runDepth() > 0;
    const QString step = inScript
        ? QStringLiteral("%1:%2").arg(m_window.m_scripts.current().file).arg(m_window.m_scripts.current().lineNumber)
        : QString();
    if (repeated && step == m_openFailureStep)
        return;
    m_openFailureStep = step;
    ::logMessage(QStringLiteral("<font color=\"red\">Tyk: %1</font><br>").arg(text.toHtmlEscaped()));
    if (inScript)
        m_window.m_scripts.addScriptError();
}

TykLink *WindowTykAdapter::link(bool create)
{
    if (!m_window.m_targetLink.tykLink && create) {
        m_window.m_targetLink.tykLink = newLink();
        m_window.m_targetLink.tykLink->openLog(m_window.m_settings.tykLoggingMode, m_window.m_settings.tykLoggingTimeStamps, m_window.m_settings.tykLoggingFilename);
    }
    return m_window.m_targetLink.tykLink;
}

namespace {

const char *const updaterName = "Tyk-Updater.exe";

void showBox(QWidget *parent, QMessageBox::Icon icon, const QString &text,
             QMessageBox::StandardButtons buttons = QMessageBox::Ok,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
             PromptAnswer *answer = nullptr)
{
    PromptMessage message;
    message.parent = parent;
    message.icon = icon;
    message.title = QCoreApplication::applicationName();
    message.text = text;
    message.buttons = buttons;
    message.defaultButton = defaultButton;
    const PromptAnswer given = Prompt::ask(message);
    if (answer)
        *answer = given;
}

// Every timer element of the panel.
QList<QPointer<TimerLabel>> timerLabels(const Panel *panel)
{
    QList<QPointer<TimerLabel>> timers;
    for (ActiveElement *element : panel->getAllElements()) {
        if (TimerLabel *timer = timerLabelOf(element))
            timers << timer;
    }
    return timers;
}

} // namespace

QString WindowTykAdapter::firmwarePath()
{
    return AppPaths::programDir() + QStringLiteral("/Tyk-Stick_Firmware");
}

void WindowTykAdapter::queryFirmwareVersion(bool quiet)
{
    if (!isTykInterface(m_window.m_panel->header().ioPortName)) {
        ::logMessage(QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML doesn't use an Tyk.</font><br>"));
        return;
    }
    link(true);

    const QByteArray request("\x01\x10", 2);
    bool sent = m_window.m_targetLink.tykLink->transfer(request);
    if (!sent) {
        m_window.m_targetLink.tykLink->connectAdapter();
        sent = m_window.m_targetLink.tykLink->transfer(request);
    }
    if (sent)
        QThread::msleep(300);

    if (!sent || m_window.m_targetLink.tykLink->replyLength() < 6) {
        const QString failure = QStringLiteral("Could not retrieve firmware version.");
        if (quiet)
            ::logMessage(QStringLiteral("<font color=\"orange\">%1</font><br>").arg(failure));
        else
            showBox(&m_window, QMessageBox::Critical, failure);
        return;
    }

    const QByteArray reply = m_window.m_targetLink.tykLink->getReceivedData();
    if (reply.size() < 6) // the reply went away between the two reads
        return;
    const quint16 firmware[3] = {quint8(reply.at(2)), quint8(reply.at(3)), quint8(reply.at(4))};
    QString text = QStringLiteral("Tyk Firmware Version %1.%2.%3").arg(firmware[0]).arg(firmware[1]).arg(firmware[2]);

    bool hasRange = false;
    for (int i = 0; i < 3; ++i)
        hasRange = hasRange || m_window.m_panel->header().fwVersionMin[i] != 0 || m_window.m_panel->header().fwVersionMax[i] != 0;
    int result = 0;
    if (!hasRange) {
        text += QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML has no version to compare with.</font>");
    } else if (versionCompare(firmware, m_window.m_panel->header().fwVersionMin) == -1) {
        result = -1;
        text += QStringLiteral("<font color=\"red\">\n\nVersion is too low for the currently loaded XML (needs ") +
                m_window.m_panel->header().fwVersionRangeText() + QStringLiteral(").</font>");
    } else if (versionCompare(firmware, m_window.m_panel->header().fwVersionMax) == 1) {
        result = 1;
        text += QStringLiteral("<font color=\"red\">\n\nVersion is too high for the currently loaded XML (needs ") +
                m_window.m_panel->header().fwVersionRangeText() + QStringLiteral(").</font>");
    } else {
        text += QStringLiteral("<font color=\"green\">\n\nVersion is valid for the currently loaded XML.</font>");
    }

    if (!quiet)
        showBox(&m_window, QMessageBox::Information, text);
    else if (!hasRange || result != 0)
        ::logMessage(text + QStringLiteral("<br>"));
}

void WindowTykAdapter::updateFirmware()
{
    const QString updater = firmwarePath() + QLatin1Char('/') + QLatin1String(updaterName);

    if (m_window.m_targetLink.tykLink) {
        PromptAnswer answer;
        showBox(&m_window, QMessageBox::Warning,
                QStringLiteral("Tyk is currently connected.\nAfter updating Tyk the device connected to Tyk "
                               "must be re-initialized.\nDo you want to continue ?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, &answer);
        if (answer.button != QMessageBox::Yes)
            return;
    }
    if (!QFileInfo::exists(updater)) {
        showBox(&m_window, QMessageBox::Critical, QStringLiteral("%1 not found.").arg(QLatin1String(updaterName)));
        return;
    }
    const QString firmwareFile = Prompt::instance().openFileName(
        &m_window, QStringLiteral("Open Firmware File"), firmwarePath(), QStringLiteral("Hex Files (*.hex)"));
    if (firmwareFile.isEmpty())
        return;

    if (m_window.m_targetLink.tykLink)
        m_window.m_targetLink.tykLink->disconnect();
    const QList<QPointer<TimerLabel>> timers = timerLabels(m_window.m_panel);
    for (TimerLabel *timer : timers)
        timer->setRunning(false);

    QProcess process;
    process.setProgram(updater);
    process.setArguments({QStringLiteral("-FW=%1").arg(firmwareFile), QStringLiteral("-NOZIP")});
    bool processFailed = false;
    QObject::connect(&process, &QProcess::errorOccurred, &process, [&processFailed](QProcess::ProcessError) { processFailed = true; });
    process.start(QIODevice::ReadWrite);

    // A progress dialog only where someone can see it.
    std::unique_ptr<QProgressDialog> progress;
    if (Prompt::instance().isInteractive()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Updating Tyk..."), QString(), 0, 100, &m_window,
                                                     Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progress->setWindowModality(Qt::WindowModal);
        progress->setCancelButton(nullptr);
        progress->setMinimumDuration(0);
        progress->show();
    }
    constexpr int maxChecks = 500;
    int checks = 0;
    while (!processFailed && process.state() != QProcess::NotRunning && checks < maxChecks) {
        QCoreApplication::processEvents();
        if (progress)
            progress->setValue(std::min(100, checks / 3));
        QThread::msleep(100);
        ++checks;
    }
    const bool stillRunning = process.state() != QProcess::NotRunning;
    if (stillRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    progress.reset();

    // An updater that reports an error through its exit code has failed too.
    if (!processFailed && !stillRunning && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0) {
        showBox(&m_window, QMessageBox::Information,
                QStringLiteral("Update successfully finished\n(even if progress bar hasn't reached 100%)."));
    } else {
        showBox(&m_window, QMessageBox::Critical, QStringLiteral("Update failed."));
    }

    if (m_window.m_targetLink.tykLink)
        m_window.m_targetLink.tykLink->connectAdapter();
    for (TimerLabel *timer : timers) {
        if (timer)
            timer->reset();
    }
}
