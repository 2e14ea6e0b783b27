#pragma once

#include "clog.h"
#include "symscan_export.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class QByteArray;
class QDomElement;

namespace Symscan {

// One enumerated value of a field.
struct SvdEnumeratedValue
{
    QString name;
    QString description;
    quint32 value = 0;
};

struct Field
{
    QString name;
    QString description;
    bool accessRestricted = false; // access other than read-write
    QString access;                // the access text that applies, empty when none
    quint32 msb = 0;
    quint32 lsb = 0;
    std::vector<SvdEnumeratedValue> enumeratedValues;
};

struct Register
{
    quint32 size = 0;              // bits
    quint32 address = 0xFFFFFFFFu; // absolute; 0xFFFFFFFF without addressOffset
    quint32 resetValue = 0;
    quint32 resetMask = 0;
    QString name;                  // cluster members read "CLUSTER.REG"
    QString description;
    std::vector<Field> fields;
};

struct Peripheral
{
    QString name;
    QString description;
    quint32 baseAddress = 0;
    std::vector<Register> registers;
};

// Reads a CMSIS-SVD register description into peripherals, registers, fields
// and enumerated values. Follows the standard: decimal, "0x" and "#" binary
// numbers; lsb/msb, bitOffset/bitWidth and bitRange; size, access and reset
// values inherited from device, peripheral and cluster; derivedFrom on
// peripherals and registers; dim arrays with %s; clusters flattened into
// their registers. Every Read starts afresh.
class SYMSCAN_EXPORT SVDReader
{
public:
    // A CLog code: Success, NoSvdFile (unreadable, not well-formed, or a root
    // other than "device"), 17 for a text node where elements belong,
    // GeneralError for dim arrays that would make over a million registers
    // or clusters nested deeper than 32.
    unsigned int Read(const QString &path);
    unsigned int Read(const wchar_t *path);
    unsigned int ReadData(const QByteArray &data);

    QString deviceName;
    std::vector<Peripheral> peripherals;

private:
    // Size, access and reset values handed down the element tree.
    struct Properties
    {
        std::optional<quint32> size;
        std::optional<quint32> resetValue;
        std::optional<quint32> resetMask;
        QString access;
        void inheritFrom(const QDomElement &element);
    };
    // The registers being collected for one peripheral, addressed relative
    // to it until its base address is known.
    struct RegisterBlock;

    unsigned int readXML(const QDomElement &root);
    unsigned int readDevice(const QDomElement &device);
    unsigned int readPeripherals(const QDomElement &list, const Properties &inherited);
    unsigned int readPeripheral(const QDomElement &element, const Properties &inherited,
                                const QHash<QString, QDomElement> &byName, int depth, Peripheral &out);
    unsigned int readRegisters(const QDomElement &list, const Properties &inherited, quint64 offset,
                               const QString &prefix, RegisterBlock &block, int depth);
    unsigned int readRegister(const QDomElement &element, const Properties &inherited, quint64 offset,
                              const QString &prefix, RegisterBlock &block);
    unsigned int readFields(const QDomElement &list, const QString &access, Register &out);
    unsigned int readField(const QDomElement &element, const QString &access, Field &out);
    unsigned int readEnumeratedValues(const QDomElement &list, Field &out);
    unsigned int readEnumeratedValue(const QDomElement &element, SvdEnumeratedValue &out);

    static QString getText(const QDomElement &element);
};

} // namespace Symscan
