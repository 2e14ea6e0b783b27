#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

struct VarPollEntry;

// One target variable: a value that elements, formulas, scripts and the
// adapter exchanges read and set. Bound to a VarPollEntry it lives in target
// memory: setting it writes there through J-Link, reading it may read there,
// and the memory polling thread keeps it fresh.
//
// The GUI thread and the polling thread both use a variable. The value words
// are atomics; the block, the pending write and the entry's `readDone` are
// kept under one lock, so a write can never slip between the first read and
// the decision whether to hold it back.
class DataClass : public QObject
{
    Q_OBJECT
    Q_PROPERTY(uint value READ value WRITE setValue)
public:
    explicit DataClass(const QString &name);
    ~DataClass() override;

    // The value; a variable that reads on access reads target memory first.
    uint value();
    float floatValue();
    void setValue(uint value);
    void setFloatValue(float value);
    // The bytes, most significant first, as the value; nothing is written.
    void setValueFromBytes(const QByteArray &bytes);
    // The number of the "my_default" property, or 0 without one.
    void resetToDefault();

    // Sizes above 4 bytes keep their bytes in a block of exactly that size.
    void setSize(quint32 size);
    quint32 byteSize() const;
    // A copy of the block; empty when the variable has none.
    QByteArray buffer() const;
    bool hasBuffer() const;

    // A write made while the target's value was not read yet waits here;
    // the first read writes it. The panel's own set-up values are dropped
    // before polling starts: the target keeps its values until then.
    bool hasPendingWrite() const;
    void discardPendingWrite();

    // The polling thread's side. firstRead() marks the entry read and writes
    // a held-back value; it returns false when it did so, since the word just
    // read is older than that value. takePolledValue() stores a word read from
    // the target (no write back) and signals it. storeBlock() fills the block
    // with bytes read for it; false when there is no block of that size.
    bool firstRead();
    void takePolledValue(quint32 word);
    bool storeBlock(const QByteArray &bytes);

    // How a trigger finds the variable it resets: the variable registry of the
    // panel the variable belongs to (set by the reader; none: nothing reset).
    using VariableLookup = std::function<DataClass *(const QString &name)>;
    VariableLookup findVariable;

    // Set by the reader before any thread runs.
    QString name;
    VarPollEntry *entry = nullptr;     // not owned
    quint8 hasTrigger = 0;
    QString triggerName;               // the variable a trigger resets
    quint32 isFloat = 0;
    quint8 readOnAccess = 0;

signals:
    void updateLEDs();
    void updateMathLabels();

private:
    enum class Hold { Pending, Drop };
    void store(uint value, Hold hold);
    void writeWord(quint32 word, Hold hold);
    void fireTrigger();
    bool readBlockLocked();
    bool readWord(quint32 *word) const;
    void flushPendingLocked();
    void writeBytesLocked(quint32 word);
    void emitChanged();
    bool targetUsable() const;

    std::atomic<quint32> m_value{0};
    std::atomic<float> m_floatValue{0.0f};
    quint32 m_byteSize = 0;

    mutable std::mutex m_mutex;
    QByteArray m_buffer;
    bool m_pending = false;
    quint32 m_pendingWord = 0;
};
