#include "dataclass.h"

#include "jlink.h"
#include "numberliteral.h"
#include "pollentries.h"

#include <QVariant>

#include <cstring>

namespace {

constexpr quint32 noAddress = 0xFFFFFFFF;
constexpr quint32 maxBlockSize = 16 * 1024 * 1024;

quint32 floatBits(float value)
{
    quint32 word = 0;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

float floatFromBits(quint32 word)
{
    float value = 0.0f;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

} // namespace

DataClass::DataClass(const QString &name)
{
    setObjectName(name);
}

DataClass::~DataClass() = default;

// ---------------------------------------------------------------------------
// Reading

uint DataClass::value()
{
    if (readOnAccess && targetUsable()) {
        const std::lock_guard<std::mutex> locker(m_mutex);
        if (entry->byteSize > 4) {
            readBlockLocked();
        } else {
            quint32 word = 0;
            if (readWord(&word)) {
                const bool newer = m_pending && !entry->readDone;
                entry->readDone = 1;
                if (newer)
                    flushPendingLocked();   // the local value is the newer one
                else
                    m_value.store(word);
            }
        }
    }
    return m_value.load();
}

float DataClass::floatValue()
{
    if (readOnAccess && targetUsable()) {
        const std::lock_guard<std::mutex> locker(m_mutex);
        if (entry->byteSize > 4) {
            readBlockLocked();
        } else {
            // The bytes read replace the low bytes of the float; the others stay.
            quint32 word = floatBits(m_floatValue.load());
            if (readWord(&word)) {
                const bool newer = m_pending && !entry->readDone;
                entry->readDone = 1;
                if (newer)
                    flushPendingLocked();
                else
                    m_floatValue.store(floatFromBits(word));
            }
        }
    }
    return m_floatValue.load();
}

// Reads the entry's bytes (up to 4) over the low bytes of *word, least
// significant first; false when the probe refused.
bool DataClass::readWord(quint32 *word) const
{
    const quint32 count = entry->byteSize;
    uchar bytes[4];
    for (quint32 i = 0; i < 4; ++i)
        bytes[i] = uchar(*word >> (8 * i));
    if (JLink::JLINKARM_ReadMem(entry->address, count, bytes) != 0)
        return false;
    quint32 result = 0;
    for (quint32 i = 0; i < 4; ++i)
        result |= quint32(bytes[i]) << (8 * i);
    *word = result;
    return true;
}

// Reads the entry's bytes into the block. Only a block of the entry's size
// takes them, and only a complete read replaces what it held.
bool DataClass::readBlockLocked()
{
    if (m_buffer.isEmpty() || quint32(m_buffer.size()) != entry->byteSize)
        return false;
    QByteArray bytes(m_buffer.size(), Qt::Uninitialized);
    if (JLink::JLINKARM_ReadMem(entry->address, entry->byteSize, bytes.data()) != 0)
        return false;
    m_buffer = bytes;
    entry->readDone = 1;
    return true;
}

// ---------------------------------------------------------------------------
// Writing

void DataClass::setValue(uint value)
{
    store(value, Hold::Pending);
}

void DataClass::setFloatValue(float value)
{
    m_floatValue.store(value);
    if (entry && !entry->readOnly)
        writeWord(floatBits(value), Hold::Pending);
    emitChanged();
}

void DataClass::store(uint value, Hold hold)
{
    m_value.store(value);
    if (entry) {
        if (hasTrigger) {
            if (value != 0)
                fireTrigger();
        } else if (!entry->readOnly) {
            const quint32 shift = entry->bitShift;
            writeWord(shift < 32 ? quint32(value) << shift : 0, hold);
        }
    }
    emitChanged();
}

// Writes a word (sizes up to 4, least significant byte first) or the block
// (larger sizes) to the target. Before the target's value was read once the
// word waits as a pending write, or, for the panel's own values, is dropped.
void DataClass::writeWord(quint32 word, Hold hold)
{
    if (!targetUsable())
        return;
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (!entry->readDone) {
        // A block write would only send back bytes nobody has read yet.
        m_pending = hold == Hold::Pending && entry->byteSize <= 4;
        m_pendingWord = word;
        return;
    }
    if (entry->byteSize <= 4) {
        m_pending = false;
        writeBytesLocked(word);
    } else if (quint32(m_buffer.size()) == entry->byteSize) {
        JLink::JLINKARM_WriteMem(entry->address, entry->byteSize, m_buffer.constData());
    }
}

// Writes the held-back word and clears the pending mark.
void DataClass::flushPendingLocked()
{
    m_pending = false;
    writeBytesLocked(m_pendingWord);
}

// The entry's bytes (up to 4) of a word, least significant first.
void DataClass::writeBytesLocked(quint32 word)
{
    uchar bytes[4];
    for (quint32 i = 0; i < 4; ++i)
        bytes[i] = uchar(word >> (8 * i));
    JLink::JLINKARM_WriteMem(entry->address, entry->byteSize, bytes);
}

// A trigger variable: reads its block and then resets the variable it names.
// Nothing is reset when the block could not be read.
void DataClass::fireTrigger()
{
    if (!targetUsable())
        return;
    {
        const std::lock_guard<std::mutex> locker(m_mutex);
        if (!readBlockLocked())
            return;
    }
    if (triggerName.isEmpty() || !findVariable)
        return;
    if (DataClass *other = findVariable(triggerName))
        other->setValue(0);
}

void DataClass::setValueFromBytes(const QByteArray &bytes)
{
    // Most significant first; with more than four bytes the last four count.
    quint32 word = 0;
    for (const char byte : bytes)
        word = (word << 8) | quint8(byte);
    m_value.store(word);
    emitChanged();
}

void DataClass::resetToDefault()
{
    const QString text = property("my_default").toString();
    uint number = 0;
    float real = 0.0f;
    if (!text.isEmpty()) {
        const QString decimal = parseNumberLiteral(text);
        bool ok = false;
        number = decimal.toUInt(&ok, 10);
        if (!ok)
            number = 0;
        real = decimal.toFloat(&ok);
        if (!ok)
            real = 0.0f;
    }
    // A float variable's target word is its float, not the integer.
    if (isFloat) {
        m_value.store(number);
        m_floatValue.store(real);
        if (entry && !hasTrigger && !entry->readOnly)
            writeWord(floatBits(real), Hold::Drop);
        emitChanged();
    } else {
        m_floatValue.store(real);
        store(number, Hold::Drop);
    }
}

// ---------------------------------------------------------------------------
// Block

void DataClass::setSize(quint32 size)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_byteSize = size;
    // A size no target variable has (a typing error in the panel) gets no
    // block rather than gigabytes of memory.
    if (size > 4 && size <= maxBlockSize)
        m_buffer = QByteArray(int(size), '\0');
    else
        m_buffer.clear();
}

quint32 DataClass::byteSize() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_byteSize;
}

QByteArray DataClass::buffer() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_buffer;
}

bool DataClass::hasBuffer() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return !m_buffer.isEmpty();
}

// ---------------------------------------------------------------------------
// Pending write

bool DataClass::hasPendingWrite() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_pending;
}

void DataClass::discardPendingWrite()
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_pending = false;
}

// ---------------------------------------------------------------------------
// The polling thread's side

bool DataClass::firstRead()
{
    if (!entry)
        return true;
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (entry->readDone)
        return true;
    entry->readDone = 1;
    if (!m_pending)
        return true;
    flushPendingLocked();
    return false;
}

void DataClass::takePolledValue(quint32 word)
{
    m_value.store(word);
    if (isFloat && entry && entry->byteSize == 4)
        m_floatValue.store(floatFromBits(word));
    emitChanged();
}

bool DataClass::storeBlock(const QByteArray &bytes)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (m_buffer.isEmpty() || bytes.size() != m_buffer.size())
        return false;
    std::memcpy(m_buffer.data(), bytes.constData(), size_t(bytes.size()));
    if (entry)
        entry->readDone = 1;
    return true;
}

// ---------------------------------------------------------------------------

void DataClass::emitChanged()
{
    emit updateMathLabels();
    emit updateLEDs();
}

bool DataClass::targetUsable() const
{
    return entry && entry->byteSize != 0 && entry->address != noAddress;
}
