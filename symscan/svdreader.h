#pragma once

#include "clog.h"
#include "symscan_export.h"

#include <QHash>
#include <QString>

#include <functional>
#include <vector>

class QByteArray;
class QXmlStreamReader;

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
    qint64 line = 0;               // where the field element starts in the file
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
    qint64 line = 0;               // where the register element starts in the file
};

struct Peripheral
{
    QString name;
    QString description;
    quint32 baseAddress = 0;
    std::vector<Register> registers;
    qint64 line = 0;               // where the peripheral element starts in the file
};

// Reports a doubtful part of an SVD description: message, line, column.
using SvdWarningSink = std::function<void(const QString &message, qint64 line, qint64 column)>;

// Reads an SVD description in one forward pass of `xml` (which holds the
// data) and expands it as SVDReader does; derivedFrom is resolved after the
// pass. Returns a CLog code: Success; NoSvdFile when the XML is not
// well-formed, the root is not "device" or elements nest deeper than 256 (the
// reader's error then says why and where); 17 for text where elements belong;
// GeneralError for dim arrays or clusters beyond the bounds; SvdDeviceTooLarge
// for a device beyond svdMaxDeviceEntries. On failure the outputs are left
// empty.
//
// With `warnings` the pass also checks as the program's own reader does: the
// root must be "device" exactly, name, description, access, bitRange, dimIndex
// and number elements must hold text only, and doubtful numbers, missing names,
// refused arrays and peripherals derived from themselves are reported, and so
// are bases of derivedFrom that are not found, enumerated values with bits
// that do not matter ("#1x0": one item, its bits 0) and repeated field names
// that no free name is left for. Every number an SVD file may write reads:
// decimal, 0x/0X, # and 0b binary, after an optional "+"; one that cannot be
// read leaves its datum unset (an enumerated value is no item).
// The whole device expands to at most this many registers and fields
// (derived peripherals, arrays of peripherals, registers, clusters and fields
// counted as expanded) and at most svdMaxEnumeratedValues enumerated values;
// a file that would give more is refused before anything more is allocated.
constexpr std::size_t svdMaxDeviceEntries = std::size_t(1) << 20;
constexpr std::size_t svdMaxEnumeratedValues = std::size_t(1) << 22;
// readSvdStream's result for such a file (beyond the CLog codes).
constexpr unsigned int SvdDeviceTooLarge = 41;

SYMSCAN_EXPORT unsigned int readSvdStream(QXmlStreamReader &xml, QString &deviceName,
                                          std::vector<Peripheral> &peripherals,
                                          const SvdWarningSink &warnings = SvdWarningSink());

// Reads a CMSIS-SVD register description into peripherals, registers, fields
// and enumerated values. Follows the standard: decimal, "0x", "#" and "0b"
// numbers; lsb/msb, bitOffset/bitWidth and bitRange; size, access and reset
// values inherited from device, peripheral and cluster; derivedFrom on
// peripherals, registers (also by an array's %s name) and enumeratedValues;
// dim arrays with %s of peripherals, registers, clusters and fields (a
// peripheral or field "NAME[%s]" gives NAME0, NAME1, ...; registers keep
// "NAME[0]"); every registers element of a peripheral; clusters flattened
// into their registers. Of two enumeratedValues of a field the one for
// writing counts; isDefault entries are no items; a field name given twice
// in a register is NAME_lsb for the later field. Every Read starts afresh. One pass of readSvdStream does
// the work; a byte the file's encoding does not allow is read as U+FFFD.
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
};

} // namespace Symscan
