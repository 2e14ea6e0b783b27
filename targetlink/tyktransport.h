#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <string>

#include <hidapi.h>

// One way to reach the Tyk adapter: its USB HID interface or a serial port.
class TykTransport
{
public:
    virtual ~TykTransport() = default;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends one request; false when the bytes could not be written.
    virtual bool write(const QByteArray &bytes) = 0;
    // Reads one reply of at most maxLen bytes, waiting up to timeoutMs for it.
    // False on a failed read; over HID a time-out is a failed read as well.
    virtual bool read(QByteArray &reply, int maxLen, int timeoutMs) = 0;
    // What went wrong in the last failed call, one line of plain text.
    virtual QString errorString() const = 0;
    // Whether a failed open is an error of its own: a port the panel names
    // must open, while a bench without an adapter on USB is no fault.
    virtual bool failedOpenIsAnError() const { return false; }
};

// The hidapi calls the HID transport makes. Defaults to the library's own
// functions; tests install a table that plays the adapter.
struct HidApi {
    int (*init)();
    int (*exit)();
    hid_device_info *(*enumerate)(unsigned short vendorId, unsigned short productId);
    void (*free_enumeration)(hid_device_info *devices);
    hid_device *(*open)(unsigned short vendorId, unsigned short productId, const wchar_t *serial);
    void (*close)(hid_device *device);
    int (*write)(hid_device *device, const unsigned char *data, size_t length);
    int (*read_timeout)(hid_device *device, unsigned char *data, size_t length, int milliseconds);
};

const HidApi &systemHidApi();

struct UsbAdapterEntry {
    QString name;
    int vendorId;
    int productId;
};

// The adapters looked for over HID, in search and choice order.
extern const UsbAdapterEntry usbAdapterTable[2];

// Picks the table row to start from when both adapters are attached; gets the
// rows' names. The default asks the user when the run is interactive and
// takes row 0 otherwise.
using TykChooser = std::function<int(const QStringList &names)>;
int askWhichTyk(const QStringList &names);

// Over HID each request is one output report with report id 0 in front, and
// each reply one 64-byte input report.
class HidTransport final : public TykTransport
{
public:
    static constexpr int ReportSize = 64;

    explicit HidTransport(const HidApi &api = systemHidApi(), TykChooser chooser = askWhichTyk);
    ~HidTransport() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_device != nullptr; }
    bool write(const QByteArray &bytes) override;
    bool read(QByteArray &reply, int maxLen, int timeoutMs) override;
    QString errorString() const override { return m_error; }

private:
    bool adapterPresent(int row, std::wstring *serial, bool *hasSerial);

    const HidApi &m_api;
    TykChooser m_chooser;
    hid_device *m_device = nullptr;
    QString m_error;
};

// Serial settings text "baud;databits;parity;stopbits". Anything but exactly
// four parts keeps 115200 8N1; a part that is no valid value keeps its default.
struct SerialSettings {
    qint32 baudRate = 115200;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

SerialSettings parseSerialSettings(const QString &text);
// Device paths keep their case; a bare name like "ttyUSB0" is taken from /dev.
QString serialDevicePath(const QString &portName);
// Applies the settings (no flow control), opens the port for reading and
// writing and clears both directions' buffers.
bool openSerialPort(QSerialPort &port, const QString &portName, const SerialSettings &settings);

// Over a serial port the request goes out as it is; the reply is what arrives
// within the wait, gathered until the line stays quiet for a moment.
class SerialTransport final : public TykTransport
{
public:
    SerialTransport(const QString &portName, const QString &settings);
    ~SerialTransport() override;

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(const QByteArray &bytes) override;
    bool read(QByteArray &reply, int maxLen, int timeoutMs) override;
    QString errorString() const override { return m_error; }
    bool failedOpenIsAnError() const override { return true; }

    const QSerialPort &port() const { return m_port; }

private:
    bool fail(const QString &what);

    QString m_portName;
    SerialSettings m_settings;
    QSerialPort m_port;
    QString m_error;
};
