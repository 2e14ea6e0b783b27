// MainWindow: the adapter's firmware version and its update.
#include "mainwindow.h"
#include "activeelement.h"
#include "apppaths.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "programversion.h"
#include "prompt.h"
#include "timerlabel.h"
#include "tyklink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <memory>

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

QString MainWindow::getTykFirmwarePath()
{
    return AppPaths::programDir() + QStringLiteral("/Tyk-Stick_Firmware");
}

void MainWindow::queryTykFirmwareVersion(bool quiet)
{
    if (!isTykInterface(m_panel->ioPortName())) {
        ::logMessage(QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML doesn't use an Tyk.</font><br>"));
        return;
    }
    if (!m_targetLink.tykLink) {
        m_targetLink.tykLink = newTykLink();
        m_targetLink.tykLink->openLog(m_settings.tykLoggingMode, m_settings.tykLoggingTimeStamps, m_settings.tykLoggingFilename);
    }

    const QByteArray request("\x01\x10", 2);
    bool sent = m_targetLink.tykLink->transfer(request);
    if (!sent) {
        m_targetLink.tykLink->connectAdapter();
        sent = m_targetLink.tykLink->transfer(request);
    }
    if (sent)
        QThread::msleep(300);

    if (!sent || m_targetLink.tykLink->replyLength() < 6) {
        const QString failure = QStringLiteral("Could not retrieve firmware version.");
        if (quiet)
            ::logMessage(QStringLiteral("<font color=\"orange\">%1</font><br>").arg(failure));
        else
            showBox(this, QMessageBox::Critical, failure);
        return;
    }

    const QByteArray reply = m_targetLink.tykLink->getReceivedData();
    if (reply.size() < 6) // the reply went away between the two reads
        return;
    const quint16 firmware[3] = {quint8(reply.at(2)), quint8(reply.at(3)), quint8(reply.at(4))};
    QString text = QStringLiteral("Tyk Firmware Version %1.%2.%3").arg(firmware[0]).arg(firmware[1]).arg(firmware[2]);

    bool hasRange = false;
    for (int i = 0; i < 3; ++i)
        hasRange = hasRange || m_panel->fwVersionMin()[i] != 0 || m_panel->fwVersionMax()[i] != 0;
    int result = 0;
    if (!hasRange) {
        text += QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML has no version to compare with.</font>");
    } else if (versionCompare(firmware, m_panel->fwVersionMin()) == -1) {
        result = -1;
        text += QStringLiteral("<font color=\"red\">\n\nVersion is too low for the currently loaded XML (needs ") +
                m_panel->getFWVersionRangeText() + QStringLiteral(").</font>");
    } else if (versionCompare(firmware, m_panel->fwVersionMax()) == 1) {
        result = 1;
        text += QStringLiteral("<font color=\"red\">\n\nVersion is too high for the currently loaded XML (needs ") +
                m_panel->getFWVersionRangeText() + QStringLiteral(").</font>");
    } else {
        text += QStringLiteral("<font color=\"green\">\n\nVersion is valid for the currently loaded XML.</font>");
    }

    if (!quiet)
        showBox(this, QMessageBox::Information, text);
    else if (!hasRange || result != 0)
        ::logMessage(text + QStringLiteral("<br>"));
}

void MainWindow::getTykFWVersion()
{
    queryTykFirmwareVersion(false);
}

void MainWindow::updateTykFW()
{
    const QString updater = getTykFirmwarePath() + QLatin1Char('/') + QLatin1String(updaterName);

    if (m_targetLink.tykLink) {
        PromptAnswer answer;
        showBox(this, QMessageBox::Warning,
                QStringLiteral("Tyk is currently connected.\nAfter updating Tyk the device connected to Tyk "
                               "must be re-initialized.\nDo you want to continue ?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, &answer);
        if (answer.button != QMessageBox::Yes)
            return;
    }
    if (!QFileInfo::exists(updater)) {
        showBox(this, QMessageBox::Critical, QStringLiteral("%1 not found.").arg(QLatin1String(updaterName)));
        return;
    }
    const QString firmwareFile = Prompt::instance().openFileName(
        this, QStringLiteral("Open Firmware File"), getTykFirmwarePath(), QStringLiteral("Hex Files (*.hex)"));
    if (firmwareFile.isEmpty())
        return;

    if (m_targetLink.tykLink)
        m_targetLink.tykLink->disconnect();
    const QList<QPointer<TimerLabel>> timers = timerLabels(m_panel);
    for (TimerLabel *timer : timers)
        timer->setRunning(false);

    QProcess process;
    process.setProgram(updater);
    process.setArguments({QStringLiteral("-FW=%1").arg(firmwareFile), QStringLiteral("-NOZIP")});
    bool processFailed = false;
    connect(&process, &QProcess::errorOccurred, this, [&processFailed](QProcess::ProcessError) { processFailed = true; });
    process.start(QIODevice::ReadWrite);

    // A progress dialog only where someone can see it.
    std::unique_ptr<QProgressDialog> progress;
    if (Prompt::instance().isInteractive()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Updating Tyk..."), QString(), 0, 100, this,
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
        showBox(this, QMessageBox::Information,
                QStringLiteral("Update successfully finished\n(even if progress bar hasn't reached 100%)."));
    } else {
        showBox(this, QMessageBox::Critical, QStringLiteral("Update failed."));
    }

    if (m_targetLink.tykLink)
        m_targetLink.tykLink->connectAdapter();
    for (TimerLabel *timer : timers) {
        if (timer)
            timer->reset();
    }
}
