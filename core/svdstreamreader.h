#pragma once

#include "svdreader.h"

#include <QCoreApplication>
#include <QString>
#include <QXmlStreamReader>

#include <functional>
#include <vector>

class QIODevice;
class RegisterModelHost;

// Reads a CMSIS-SVD file into the register model: a module per peripheral, a
// register per register (arrays and clusters expanded, derived peripherals and
// registers copied), a field per field with its enumerated values. Fields that
// panel elements were bound to before the read are placed at their bits. The
// pass and its expansion rules are Symscan's (readSvdStream), run with the
// checks that report file positions (well-formed XML, the "device" root,
// numbers and names); this reader fills the model and the "$PERIPHERALS$" /
// "$REGISTERS$" lists.
class SvdStreamReader : public QXmlStreamReader
{
    Q_DECLARE_TR_FUNCTIONS(SvdStreamReader)
public:
    // What the read needs of the panel beyond the register model.
    struct ListHooks {
        // Whether an element is bound to the define.
        std::function<bool(const QString &define)> elementExists;
        // Adds an item (text, value, key) to the list element of the define.
        std::function<bool(const QString &define, const QString &text, const QString &value, int key)>
            addItem;
        // Sets the tool tip of the last item of the "$PERIPHERALS$" list.
        std::function<void(const QString &text)> setLastPeripheralToolTip;
        // Receives the device name.
        std::function<void(const QString &name)> setDeviceName;
    };

    // `panelFile` is the file that error locations link to.
    SvdStreamReader(RegisterModelHost *host, const QString &panelFile, ListHooks hooks = ListHooks());

    // Reads the whole file. False when the file is not well-formed XML, its
    // root is not "device", or its arrays, derivations or nesting are refused;
    // errorString() then says why and lineNumber()/columnNumber() say where.
    // Doubtful numbers, missing names, bases of derivedFrom that are not
    // found and the like are logged with their position in the SVD file and
    // the read goes on; read() names the file when the device is one.
    bool read(QIODevice *device);
    bool readData(const QByteArray &data);

    // HTML text naming the current line and column, linked to the panel file.
    QString errorLocation() const;

    bool peripheralsListExists() const { return m_peripheralsListExists; }
    // The device of the last read as the expansion rules gave it, in file
    // order (empty after a failed read).
    const std::vector<Symscan::Peripheral> &peripherals() const { return m_device.peripherals; }
    // Keys of the list items: peripherals count from 0 on every read, registers
    // go on counting for the whole run.
    static int registerCounter();

private:
    void warnAt(const QString &message, qint64 line, qint64 column);

    RegisterModelHost *m_host;
    QString m_panelFile;
    QString m_svdFile; // the file read; the logged positions link to it (else to the panel file)
    ListHooks m_hooks;
    bool m_peripheralsListExists = false;
    Symscan::SVDReader m_device;
};

// The register-model name of an expanded SVD register: "[%s]" arrays lose
// their brackets (RELOAD[0] gives RELOAD0) and cluster names are joined with
// "_" (CH[0].MODE gives CH0_MODE).
QString svdModelRegisterName(const QString &expandedName);
