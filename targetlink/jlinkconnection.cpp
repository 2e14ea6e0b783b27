#include "jlinkconnection.h"
#include "targetlinklog.h"

#include "jlink.h"


namespace {

const int commandErrorSize = 1024;

// Runs one command of the library's command language; a text in the error
// buffer is the library's refusal.
bool execCommand(const QByteArray &command)
{
    char error[commandErrorSize] = {};
    JLink::JLINKARM_ExecCommand(command.constData(), error, commandErrorSize);
    if (error[0] == '\0')
        return true;
    jlinkErrorCallback(error);
    return false;
}

} // namespace

int jlinkDefaultSettings(JLinkSettings &settings)
{
    settings.hostInterface = JLinkSettings::HostUsb;
    settings.targetInterface = 1;
    settings.serialNumber = 0;
    settings.speedKHz = 4000;
    settings.settingsFile = "Settings.jlink";
    settings.deviceName = "VRC4471";
    return 0;
}

int jlinkConnect(const JLinkSettings &settings)
{
    // Without the library every later step would answer its default; the
    // binding has reported the missing library.
    if (JLink::loadJLinkDll(true) || !JLink::jlinkAvailable())
        return -1;

    if (settings.hostInterface == JLinkSettings::HostIp) {
        if (JLink::JLINKARM_SelectIP(settings.ipHost.constData(), 0) == 1)
            return -1;
    } else if (settings.serialNumber != 0) {
        if (JLink::JLINKARM_EMU_SelectByUSBSN(settings.serialNumber) < 0)
            return -1;
    }

    if (const char *error = JLink::JLINKARM_OpenEx(jlinkLogCallback, jlinkErrorCallback)) {
        jlinkErrorCallback(error);
        return -1;
    }

    // Names go in as they stand, blanks included, without quotes.
    if (!settings.settingsFile.isEmpty()
        && !execCommand(QByteArrayLiteral("ProjectFile = ") + settings.settingsFile))
        return -1;
    if (!settings.deviceName.isEmpty()
        && !execCommand(QByteArrayLiteral("device = ") + settings.deviceName))
        return -1;

    JLink::JLINKARM_TIF_Select(int(settings.targetInterface));
    JLink::JLINKARM_SetSpeed(settings.speedKHz);

    if (JLink::JLINKARM_Connect() != 0) {
        jlinkErrorCallback("Could not connect to target.");
        return -1;
    }
    return 0;
}

void jlinkErrorCallback(const char *text)
{
    qCDebug(lcTargetLink).noquote() << QStringLiteral("ERROR: ") + QString::fromLocal8Bit(text ? text : "");
}

void jlinkLogCallback(const char *text)
{
    qCDebug(lcTargetLink).noquote() << QStringLiteral("Log: ") + QString::fromLocal8Bit(text ? text : "");
}
