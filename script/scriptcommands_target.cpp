// Target commands: flash an image through J-Link, send a task to the Tyk
// adapter, and read the Intel HEX file an edit element names.
#include "activeelement.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "inputfile.h"
#include "intelhexreader.h"
#include "jlink.h"
#include "jlinkconnection.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptwindowhost.h"

#include <QFileInfo>

namespace {

void reportTargetError(ScriptEngine &engine, const ScriptCall &call, const QString &message)
{
    engine.reportScriptError(message, call);
}

// Image files the probe software can flash; any other name (an ELF file
// included) is passed over.
bool isDownloadImage(const QString &name)
{
    static const char *const endings[] = {".hex", ".bin", ".mot", ".srec", ".s19", ".s"};
    for (const char *ending : endings) {
        if (name.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool download(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString file = call.parameter(0);
    if (!isDownloadImage(file))
        return true;
    // The probe software would wait on a FIFO for ever; only files are flashed.
    const QString refusal = notRegularFileError(file);
    if (!refusal.isEmpty()) {
        reportTargetError(engine, call, QStringLiteral("Download of %1 failed: %2").arg(file, refusal));
        return false;
    }
    JLinkSettings &settings = host->scriptJLinkSettings();
    settings = JLinkSettings();
    if (jlinkDefaultSettings(settings) < 0 || jlinkConnect(settings) < 0) {
        reportTargetError(engine, call, QStringLiteral("Download of %1 failed: the target is not connected").arg(file));
        return false;
    }
    JLink::JLINKARM_Reset();
    JLink::JLINKARM_BeginDownload(0);
    // The library takes the name as the file system's bytes (UTF-8 here).
    const int result = JLink::JLINK_DownloadFile(QFile::encodeName(file).constData(), 0);
    JLink::JLINKARM_EndDownload();
    if (result < 0) {
        JLink::JLINKARM_Close();
        reportTargetError(engine, call, QStringLiteral("Download of %1 failed (%2)").arg(file).arg(result));
        return false;
    }
    JLink::JLINKARM_Reset();
    JLink::JLINKARM_Go();
    JLink::JLINKARM_Close();
    return true;
}

// A header number of SENDTASK: a 16-bit unsigned decimal, anything else 0.
quint16 headerNumber(const QString &text)
{
    bool ok = false;
    const quint16 value = text.trimmed().toUShort(&ok, 10);
    return ok ? value : 0;
}

bool sendTask(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString file = call.parameter(0);
    const quint16 a = headerNumber(call.parameter(1));
    const quint16 b = headerNumber(call.parameter(2));
    const quint16 c = headerNumber(call.parameter(3));
    const quint16 d = headerNumber(call.parameter(4));
    QString error;
    // A task the window refused without a reason has been reported there.
    if (!host->scriptSendTask(file, quint8(a), b != 0, quint8(c), d, &error) && !error.isEmpty())
        reportTargetError(engine, call, QStringLiteral("Task %1 not sent: %2").arg(file, error));
    return true;
}

// The value text of the edit element bound to define; empty for any other.
QString defineElementText(ScriptEngine &engine, const QString &define)
{
    ActiveElement *element = engine.host() ? engine.host()->elementByDefine(define) : nullptr;
    QObject *object = objectOf(element);
    if (!holdsText(object))
        return QString();
    return element->value(KeywordValue, 1);
}

bool writeBsl(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString path = defineElementText(engine, call.parameter(0));
    const IntelHexResult result = readIntelHexFile(path, &host->scriptIntelHexBlocks());
    if (result.status == IntelHexCannotOpen) {
        reportTargetError(engine, call, QStringLiteral("Cannot open Intel HEX file \"%1\": %2").arg(path, result.error));
    } else if (result.status != IntelHexRead) {
        reportTargetError(engine, call, QStringLiteral("Intel HEX file %1 line %2: %3")
                                            .arg(QFileInfo(path).absoluteFilePath())
                                            .arg(result.lineNumber)
                                            .arg(result.error));
    }
    return true;
}

bool readBsl(ScriptWindowHost *, ScriptEngine &engine, const ScriptCall &call)
{
    // The element is read; nothing is done with it.
    defineElementText(engine, call.parameter(0));
    return true;
}

} // namespace

QVector<ScriptCommand> targetCommands(ScriptWindowHost *host)
{
    using Handler = bool (*)(ScriptWindowHost *, ScriptEngine &, const ScriptCall &);
    const auto bind = [host](Handler handler) {
        return [host, handler](ScriptEngine &engine, const ScriptCall &call) { return handler(host, engine, call); };
    };
    return {
        {QStringLiteral("SENDTASK"), 5, bind(sendTask)},
        {QStringLiteral("WRITEBSL"), 1, bind(writeBsl)},
        {QStringLiteral("READBSL"), 1, bind(readBsl)},
        {QStringLiteral("DOWNLOAD"), 1, bind(download)},
    };
}
