// PanelXmlReader: data loggers (log with its logitem columns) and timers.
#include "panelxmlreader.h"

#include "apppaths.h"
#include "container.h"
#include "loglabel.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "timerlabel.h"

#include <QXmlStreamReader>

using namespace PanelXml;

// The decimal number of an attribute; 0 when absent or no number.
static int decimal(const QXmlStreamAttributes &attributes, const char *name)
{
    return text(attributes, name).toInt(nullptr, 10);
}

void PanelXmlReader::readLog(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    LogLabel *log = parent->createLogLabel(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Log"));

    // The file is taken from the working directory, not from the panel's.
    if (has(attributes, "filename"))
        log->setFileName(AppPaths::normalizePanelPath(text(attributes, "filename")));
    if (has(attributes, "append"))
        log->setAppend(decimal(attributes, "append") != 0);
    if (has(attributes, "console"))
        log->setConsole(decimal(attributes, "console") != 0);
    // A character code; a delimiter written as the character itself is no number.
    if (has(attributes, "delimiter"))
        log->setDelimiter(char(quint8(decimal(attributes, "delimiter"))));
    if (has(attributes, "timestamp"))
        log->setTimeStampKind(quint8(decimal(attributes, "timestamp")));
    if (has(attributes, "type"))
        log->setType(text(attributes, "type"));
    readCommonAttributes(attributes, log);
    readLogItems(log);
}

void PanelXmlReader::readLogItems(LogLabel *log)
{
    while (m_xml->readNextStartElement()) {
        const QXmlStreamAttributes attributes = m_xml->attributes();
        // An item without its source or its label is no column, and its
        // actions would belong to the column before: the whole item is passed over.
        if (m_xml->name() != QLatin1String("logitem") || !has(attributes, "data") || !has(attributes, "label")) {
            m_xml->skipCurrentElement();
            continue;
        }
        const QString data = text(attributes, "data");
        if (log->hasLogItem(data)) {
            xmlMessage(tr("Source logged twice in one log, the second column is not added: "), data, false);
            m_xml->skipCurrentElement();
            continue;
        }
        log->setElementProperty("data", data);
        m_panel->addLog(data, log);
        log->addLogItem(text(attributes, "label"), data);
        readActions(log, log->itemCount() - 1);
    }
}

void PanelXmlReader::readTimer(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    TimerLabel *timer = nullptr;
    if (isVisible(attributes)) {
        timer = parent->createTimerLabel(define, readLabel(attributes), -1);
    } else {
        // Outside every layout, but it goes with the panel's root container
        // like the other elements: a timer of a replaced panel must not run on.
        QWidget *owner = m_openContainers.isEmpty() ? nullptr : dynamic_cast<QWidget *>(m_openContainers.first());
        timer = new TimerLabel(define, owner ? owner : dynamic_cast<QWidget *>(parent));
        timer->setHost(m_panel);
        m_panel->addInvisibleElement(timer);
    }
    m_panel->setTimer(timer->objectName(), timer);

    if (has(attributes, "run")) {
        const int run = decimal(attributes, "run");
        timer->setRun(run != 0);
        timer->setElementProperty("run", QString::number(run));
    }
    if (has(attributes, "singleShot")) {
        const int singleShot = decimal(attributes, "singleShot");
        timer->setSingleShot(singleShot != 0);
        timer->setElementProperty("singleShot", QString::number(singleShot));
    }
    if (has(attributes, "interval")) {
        const int interval = decimal(attributes, "interval");
        timer->setDefaultInterval(interval);
        timer->setElementProperty("interval", QString::number(interval));
    }

    readDefineAttributes(attributes, timer, header, define);
    // A timer without a define is still set, started and stopped by its name
    // (TIMER_0.run=1); it just has no line in a header.
    if (define.isEmpty())
        m_panel->registerElement(timer->objectName(), timer);
    readCommonAttributes(attributes, timer);
    readActions(timer, 0);
    // The walk sends every action through its "changed" signal, whatever
    // event the panel gave it (the reader has warned about any other).
    connectSharedActionSignals(timer, QStringLiteral("changed"),
                               {QStringLiteral("sendUSB"), QStringLiteral("setDef"), QStringLiteral("loadFile"),
                                QStringLiteral("startProgram"), QStringLiteral("runScript")});
    connectValueElement(timer, ToMathLabels | ToLeds | ToSvgImages | ToCurves | ToDials | ToThermos | ToLogs);
}
