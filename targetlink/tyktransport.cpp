#include "tyktransport.h"

#include "prompt.h"

#include <QElapsedTimer>

#include <algorithm>
#include <iterator>
#include <vector>

const HidApi &systemHidApi()
{
    static const HidApi api = {hid_init, hid_exit, hid_enumerate, hid_free_enumeration,
                               hid_open, hid_close, hid_write, hid_read_timeout};
    return api;
}

const UsbAdapterEntry usbAdapterTable[2] = {
    {QStringLiteral("Tyk"), 0x0640, 0x0A10},
    {QStringLiteral("FTD260"), 0x0403, 0x6030},
};

int askWhichTyk(const QStringList &names)
{
    Q_UNUSED(names) // the user picks between the first adapter and the second
    Prompt &prompt = Prompt::instance();
    if (!prompt.isInteractive())
        return 0;
    const QStringList choices = {QStringLiteral("Tyk"), QStringLiteral("Tyk2")};
    bool ok = false;
    const QString answer = prompt.item(nullptr, QStringLiteral("More than one Tyk connected"),
                                       QStringLiteral("There are two Tyks connected to the system.\n"
                                                      "Which one would should be used?"),
                                       choices, 0, &ok);
    return ok && answer == choices.at(1) ? 1 : 0;
}

// ---------------------------------------------------------------- HID

HidTransport::HidTransport(const HidApi &api, TykChooser chooser)
    : m_api(api)
    , m_chooser(std::move(chooser))
{
    m_api.init();
}

HidTransport::~HidTransport()
{
    close();
    m_api.exit();
}

bool HidTransport::adapterPresent(int row, std::wstring *serial, bool *hasSerial)
{
    const UsbAdapterEntry &entry = usbAdapterTable[row];
    hid_device_info *devices = m_api.enumerate(static_cast<unsigned short>(entry.vendorId),
                                               static_cast<unsigned short>(entry.productId));
    if (!devices)
        return false;
    if (serial && hasSerial) {
        *hasSerial = devices->serial_number != nullptr;
        if (*hasSerial)
            *serial = devices->serial_number;
    }
    m_api.free_enumeration(devices);
    return true;
}

bool HidTransport::open()
{
    close();
    const int rows = int(std::size(usbAdapterTable));
    int found = 0;
    for (int row = 0; row < rows; ++row)
        found += adapterPresent(row, nullptr, nullptr) ? 1 : 0;

    int start = 0;
    if (found == rows && m_chooser) {
        QStringList names;
        for (const UsbAdapterEntry &entry : usbAdapterTable)
            names << entry.name;
        start = std::clamp(m_chooser(names), 0, rows - 1);
    }

    for (int row = start; row < rows; ++row) {
        std::wstring serial;
        bool hasSerial = false;
        if (!adapterPresent(row, &serial, &hasSerial))
            continue;
        const UsbAdapterEntry &entry = usbAdapterTable[row];
        m_device = m_api.open(static_cast<unsigned short>(entry.vendorId),
                              static_cast<unsigned short>(entry.productId),
                              hasSerial ? serial.c_str() : nullptr);
        if (m_device)
            return true;
    }
    m_error = QStringLiteral("No Tyk adapter found on USB");
    return false;
}

void HidTransport::close()
{
    if (m_device) {
        m_api.close(m_device);
        m_device = nullptr;
    }
}

bool HidTransport::write(const QByteArray &bytes)
{
    if (!m_device) {
        m_error = QStringLiteral("Tyk adapter not open");
        return false;
    }
    std::vector<unsigned char> report(size_t(bytes.size()) + 1, 0);
    std::copy(bytes.cbegin(), bytes.cend(), report.begin() + 1);
    if (m_api.write(m_device, report.data(), report.size()) < 0) {
        m_error = QStringLiteral("Writing to the Tyk adapter failed");
        return false;
    }
    return true;
}

bool HidTransport::read(QByteArray &reply, int maxLen, int timeoutMs)
{
    Q_UNUSED(maxLen) // a reply is always one whole input report
    reply.clear();
    if (!m_device) {
        m_error = QStringLiteral("Tyk adapter not open");
        return false;
    }
    unsigned char buffer[ReportSize] = {};
    const int n = m_api.read_timeout(m_device, buffer, sizeof buffer, timeoutMs);
    if (n < 0) {
        m_error = QStringLiteral("Reading from the Tyk adapter failed");
        return false;
    }
    if (n == 0) {
        m_error = QStringLiteral("The Tyk adapter did not reply within %1 ms").arg(timeoutMs);
        return false;
    }
    reply = QByteArray(reinterpret_cast<const char *>(buffer), ReportSize);
    return true;
}

// ---------------------------------------------------------------- serial

SerialSettings parseSerialSettings(const QString &text)
{
    SerialSettings s;
    const QStringList parts = text.trimmed().split(QLatin1Char(';'));
    if (text.trimmed().isEmpty() || parts.size() != 4)
        return s;

    bool ok = false;
    const qint32 baud = parts.at(0).trimmed().toInt(&ok, 10);
    if (ok && baud > 0)
        s.baudRate = baud;

    const int dataBits = parts.at(1).trimmed().toInt(&ok, 10);
    if (ok && dataBits >= 5 && dataBits <= 8)
        s.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString parity = parts.at(2).trimmed().toUpper();
    const QChar p = parity.isEmpty() ? QChar() : parity.at(0);
    if (p == QLatin1Char('E'))
        s.parity = QSerialPort::EvenParity;
    else if (p == QLatin1Char('O'))
        s.parity = QSerialPort::OddParity;
    else if (p == QLatin1Char('S'))
        s.parity = QSerialPort::SpaceParity;
    else if (p == QLatin1Char('M'))
        s.parity = QSerialPort::MarkParity;

    const int stopBits = parts.at(3).trimmed().toInt(&ok, 10);
    if (ok && stopBits == 2)
        s.stopBits = QSerialPort::TwoStop;
    else if (ok && stopBits == 3)
        s.stopBits = QSerialPort::OneAndHalfStop;
    return s;
}

QString serialDevicePath(const QString &portName)
{
    const QString name = portName.trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return name;
    return QStringLiteral("/dev/") + name;
}

bool openSerialPort(QSerialPort &port, const QString &portName, const SerialSettings &settings)
{
    if (port.isOpen())
        port.close();
    port.setPortName(serialDevicePath(portName));
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setDataBits(settings.dataBits);
    port.setParity(settings.parity);
    port.setStopBits(settings.stopBits);
    port.setBaudRate(settings.baudRate, QSerialPort::AllDirections);
    port.clearError();
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.clear(QSerialPort::AllDirections);
    return true;
}

SerialTransport::SerialTransport(const QString &portName, const QString &settings)
    : m_portName(portName)
    , m_settings(parseSerialSettings(settings))
{
}

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::fail(const QString &what)
{
    m_error = QStringLiteral("Serial port %1: %2 (%3)")
                  .arg(serialDevicePath(m_portName), what, m_port.errorString());
    return false;
}

bool SerialTransport::open()
{
    if (openSerialPort(m_port, m_portName, m_settings))
        return true;
    return fail(QStringLiteral("cannot open"));
}

void SerialTransport::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialTransport::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return fail(QStringLiteral("not open"));
    // Whatever a previous exchange left behind is no part of this reply.
    m_port.clear(QSerialPort::Input);
    if (m_port.write(bytes) != bytes.size())
        return fail(QStringLiteral("write failed"));
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(1000))
            return fail(QStringLiteral("write failed"));
    }
    return true;
}

bool SerialTransport::read(QByteArray &reply, int maxLen, int timeoutMs)
{
    // Once the first bytes are in, the reply is complete when the line stays
    // quiet this long.
    constexpr int QuietMs = 20;
    reply.clear();
    if (!m_port.isOpen())
        return fail(QStringLiteral("not open"));

    QElapsedTimer clock;
    clock.start();
    reply += m_port.read(maxLen);
    while (reply.size() < maxLen) {
        const int wait = reply.isEmpty() ? int(std::max<qint64>(0, timeoutMs - clock.elapsed()))
                                         : QuietMs;
        if (wait == 0)
            break;
        if (!m_port.waitForReadyRead(wait)) {
            const QSerialPort::SerialPortError error = m_port.error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                return fail(QStringLiteral("connection lost"));
            m_port.clearError();
            break;
        }
        reply += m_port.read(maxLen - reply.size());
    }
    return true;
}
