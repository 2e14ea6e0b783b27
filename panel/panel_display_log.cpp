// Panel: logging a define's value to the log elements bound to it.
#include "quillpanel.h"

#include "dataclass.h"
#include "loglabel.h"

#include <QPointer>

void Panel::on_updateLog()
{
    // A target variable's change is not logged; only elements give their value.
    QObject *from = signalSource();
    if (qobject_cast<DataClass *>(from))
        return;
    QObject *source = elementOf(from);
    ActiveElement *element = activeElementOf(source);
    if (!element)
        return;
    const QString name = source->objectName();
    const QString value = element->value(KeywordValue, 1);
    QList<QPointer<LogLabel>> logs;
    for (LogLabel *log : m_registries.logItemsByData.value(name))
        logs.append(log);
    for (const QPointer<LogLabel> &log : qAsConst(logs)) {
        if (log)
            log->logValue(name, value);
    }
}
