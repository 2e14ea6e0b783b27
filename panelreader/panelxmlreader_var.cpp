// PanelXmlReader: target variables (var elements), bound to target memory by
// address or by a symbol of the panel's ELF file.
#include "panelxmlreader.h"

#include "dataclass.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "pollentries.h"

#include <QPointer>
#include <QXmlStreamReader>

#include <limits>

using namespace PanelXml;

namespace {

constexpr quint32 noAddress = 0xFFFFFFFF;
constexpr quint32 noIndex = 0xFFFFFFFF;
constexpr quint8 noChannel = 0xFF;

// A number literal read as an unsigned 32-bit number; 0 when it is none.
quint32 unsignedNumber(const QString &value, bool *ok = nullptr)
{
    bool valid = false;
    const uint number = parseNumberLiteral(value).toUInt(&valid, 10);
    if (ok)
        *ok = valid;
    return valid ? quint32(number) : 0;
}

// A number literal read as a signed 32-bit number; 0 when it is none.
qint32 signedNumber(const QString &value)
{
    bool valid = false;
    const int number = parseNumberLiteral(value).toInt(&valid, 10);
    return valid ? qint32(number) : 0;
}

} // namespace

void PanelXmlReader::readVar()
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    auto *variable = new DataClass(define);
    const QString defaultText = text(attributes, "default");
    requireDefine(define, QStringLiteral("Var"));
    m_panel->python().publish(define, variable);
    variable->setProperty("my_default", defaultText);
    m_panel->setDataClass(define, variable);

    // Set when the element names a place in target memory that cannot be
    // trusted: such a variable is never bound, so no write can land at an
    // address nobody meant.
    bool refused = false;

    quint32 address = noAddress;
    if (has(attributes, "address")) {
        const QString addressText = text(attributes, "address");
        bool valid = false;
        address = unsignedNumber(addressText, &valid);
        if (!valid) {
            xmlMessage(tr("Var address \"%1\" is no unsigned 32-bit number, the variable is not bound: ")
                           .arg(addressText.toHtmlEscaped()),
                       define, true);
            refused = true;
        }
    }
    quint32 index = noIndex;
    if (has(attributes, "index"))
        index = quint32(signedNumber(text(attributes, "index")));
    quint8 channel = noChannel;
    if (has(attributes, "channel"))
        channel = quint8(signedNumber(text(attributes, "channel")) & 0xFF);
    quint32 byteSize = 0;
    if (has(attributes, "size"))
        byteSize = unsignedNumber(text(attributes, "size"));

    if (has(attributes, "symbol")) {
        const QString symbol = text(attributes, "symbol");
        unsigned long symbolAddress = 0;
        unsigned long symbolSize = 0;
        const unsigned int result =
            m_elfReader.GetAddress(symbol.toUtf8().constData(), &symbolAddress, &symbolSize);
        if (result != Symscan::CLog::Success) {
            // A warning: the "address" and "size" written beside the symbol,
            // where there are both, still bind the variable.
            xmlMessage(tr("Cannot find ELF symbol \"%1\". Error: %2")
                           .arg(symbol.toHtmlEscaped(), QString::fromLatin1(Symscan::CLog::ErrorCodeToString(result))),
                       QString(), false);
        } else if (symbolAddress > std::numeric_limits<quint32>::max()
                   || symbolSize > std::numeric_limits<quint32>::max() - symbolAddress) {
            xmlMessage(tr("ELF symbol \"%1\" lies beyond the 32-bit address space, the variable is not bound: ")
                           .arg(symbol.toHtmlEscaped()),
                       define, true);
            refused = true;
        } else {
            address = quint32(symbolAddress);
            byteSize = quint32(symbolSize);
        }
    }
    // The block takes the bytes that reads and writes move, so it is sized
    // once the symbol has had its say.
    if (byteSize > 4 && !refused)
        variable->setSize(byteSize);

    const QString svdSymbol = text(attributes, "svdsymbol");
    const quint32 interval = unsignedNumber(text(attributes, "interval"));
    const bool readOnly = unsignedNumber(text(attributes, "readonly")) != 0;
    const bool forceSet = unsignedNumber(text(attributes, "forceset")) != 0;
    if (has(attributes, "trigger")) {
        variable->hasTrigger = 1;
        variable->triggerName = parseNumberLiteral(text(attributes, "trigger"));
        // The variable a trigger resets is looked up when it fires: it may
        // come later in the panel.
        variable->findVariable = [panel = QPointer<Panel>(m_panel)](const QString &name) {
            return panel ? panel->registries().variablesByName.value(name, nullptr) : nullptr;
        };
    }
    if (has(attributes, "datatype")
        && parseNumberLiteral(text(attributes, "datatype")).compare(QLatin1String("float"), Qt::CaseInsensitive) == 0)
        variable->isFloat = 1;
    if (has(attributes, "readonaccess"))
        variable->readOnAccess = 1;

    const bool bound = (address != noAddress && byteSize != 0) || !svdSymbol.isEmpty() || index != noIndex
        || channel != noChannel;
    if (bound && !refused) {
        auto *entry = new VarPollEntry;
        entry->svdSymbol = svdSymbol;
        entry->address = address;
        entry->index = index;
        entry->channel = channel;
        entry->byteSize = byteSize;
        entry->bitShift = 0;
        entry->intervalMs = interval;
        entry->readOnly = readOnly;
        entry->forceSet = forceSet;
        entry->readDone = interval == 0;
        entry->target = variable;
        entry->lastValue = 0;
        m_panel->addVarPoll(entry);
        variable->entry = entry;
        // The entry goes with its variable, and leaves the poll list then.
        QObject::connect(variable, &QObject::destroyed, [entry, panel = QPointer<Panel>(m_panel)] {
            if (panel)
                panel->removeVarPoll(entry);
            delete entry;
        });
    }

    // Text only: a child element leaves the stream in its error state.
    m_xml->readElementText();

    m_panel->wiring().connectVariableToLeds(variable);
    m_panel->wiring().connectVariableToSvgImages(variable);
    m_panel->wiring().connectVariableToCurves(variable);
    m_panel->wiring().connectVariableToDials(variable);
    m_panel->wiring().connectVariableToThermos(variable);
    m_panel->wiring().connectVariableToLogs(variable);
    m_panel->wiring().connectToMathLabels(variable);
}
