// PanelXmlReader: communication elements, the periodic exchanges with the
// Tyk adapter.
#include "panelxmlreader.h"

#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "pollentries.h"

#include <QXmlStreamReader>

using namespace PanelXml;

namespace {

// The text as written read as a decimal unsigned 32-bit number; 0 when it is
// none (no 0x or 0b forms).
quint32 decimalNumber(const QString &value)
{
    bool ok = false;
    const uint number = value.toUInt(&ok, 10);
    return ok ? quint32(number) : 0;
}

} // namespace

void PanelXmlReader::readCommunication()
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    // The define is only checked for duplicates; the exchange keeps none.
    checkDuplicateDefine(attributes);

    auto *entry = new ComPollEntry;
    entry->sendData = text(attributes, "data");
    entry->receiveData = text(attributes, "recdata");
    if (has(attributes, "OnChanged"))
        entry->onChanged = decimalNumber(text(attributes, "OnChanged")) == 1 ? 1 : 0;
    if (has(attributes, "interval"))
        entry->intervalMs = decimalNumber(text(attributes, "interval"));
    if (has(attributes, "timeout"))
        entry->timeoutMs = decimalNumber(text(attributes, "timeout"));
    m_panel->addComPoll(entry);

    // Text only: a child element leaves the stream in its error state.
    m_xml->readElementText();
}
