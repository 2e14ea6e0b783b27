#include "svdstreamreader.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "programstate.h"
#include "registermodel.h"
#include "svdreader.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <utility>

QString svdModelRegisterName(const QString &expandedName)
{
    QString name = expandedName;
    if (name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
        name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    if (name.contains(QLatin1Char('.')))
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return name;
}

SvdStreamReader::SvdStreamReader(RegisterModelHost *host, const QString &panelFile, ListHooks hooks)
    : m_host(host), m_panelFile(panelFile), m_hooks(std::move(hooks))
{
}

int SvdStreamReader::registerCounter()
{
    return ProgramState::instance().svdRegisterCount;
}

QString SvdStreamReader::errorLocation() const
{
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(filePositionLink(m_panelFile, QString::number(lineNumber()), QString::number(columnNumber())),
             QString::number(lineNumber()), QString::number(columnNumber()));
}

void SvdStreamReader::warnAt(const QString &message, qint64 line, qint64 column)
{
    if (!m_host)
        return;
    // The position is one in the SVD file: the link opens that file when it
    // is known, and the line names it.
    const QString file = m_svdFile.isEmpty() ? m_panelFile : m_svdFile;
    const QString linkText =
        m_svdFile.isEmpty() ? QStringLiteral("file") : QFileInfo(m_svdFile).fileName().toHtmlEscaped();
    m_host->logMessage(
        QStringLiteral("<font color=\"red\"> <b>SVD warning: </b></font><b>%1 <a href=\"%2\">%5</a> line %3, column %4</b><br>")
            .arg(message.toHtmlEscaped(),
                 filePositionLink(file, QString::number(line), QString::number(column)),
                 QString::number(line), QString::number(column), linkText));
}

bool SvdStreamReader::read(QIODevice *device)
{
    if (!device) {
        raiseError(tr("No device"));
        return false;
    }
    if (const auto *file = qobject_cast<QFileDevice *>(device))
        m_svdFile = file->fileName();
    return readData(device->readAll());
}

bool SvdStreamReader::readData(const QByteArray &data)
{
    clear();
    addData(data);
    int peripheralCounter = 0;
    m_peripheralsListExists = m_hooks.elementExists
                              && m_hooks.elementExists(QStringLiteral("$PERIPHERALS$"));

    // One pass: the XML, the root, the nesting, the numbers and names are
    // checked while the registers are collected.
    Symscan::SVDReader &svd = m_device;
    svd.deviceName.clear();
    svd.peripherals.clear();
    const unsigned int result = Symscan::readSvdStream(
        *this, svd.deviceName, svd.peripherals,
        [this](const QString &message, qint64 line, qint64 column) { warnAt(message, line, column); });
    if (result == Symscan::CLog::NoSvdFile)
        return false;
    if (result == Symscan::SvdDeviceTooLarge) {
        raiseError(tr("The device would expand to more than %1 registers and fields in all, or more than %2 "
                      "enumerated values")
                       .arg(Symscan::svdMaxDeviceEntries)
                       .arg(Symscan::svdMaxEnumeratedValues));
        return false;
    }
    if (result != Symscan::CLog::Success) {
        raiseError(tr("The SVD file's arrays or clusters are too large or nest too deeply"));
        return false;
    }
    if (m_hooks.setDeviceName)
        m_hooks.setDeviceName(svd.deviceName);
    if (!m_host)
        return true;

    const QString peripheralsList = QStringLiteral("$PERIPHERALS$");
    // Most fields share their access text; it is compared once per text.
    QString lastAccess;
    bool lastReadOnly = false;
    const QString registersList = QStringLiteral("$REGISTERS$");
    for (const Symscan::Peripheral &peripheral : svd.peripherals) {
        if (peripheral.name.isEmpty())
            continue;
        ModuleRecord *module = m_host->getModule(peripheral.name);
        if (!module)
            m_host->addModule(module, peripheral.name);
        if (m_peripheralsListExists) {
            if (!m_hooks.addItem
                || !m_hooks.addItem(peripheralsList, peripheral.name, peripheral.name, peripheralCounter++)) {
                m_host->logMessage(
                    QStringLiteral("<font color=\"red\"> <b>XML-ERROR: Couldn't set EnumeratedValue %1 in "
                                   "$PERIPHERALS$ <a href=\"%2\">file</a> line %3, column %4</b></font><b>: %4<br>")
                        .arg(peripheral.name.toHtmlEscaped(),
                             filePositionLink(m_panelFile, QString::number(lineNumber()),
                                              QString::number(columnNumber())),
                             QString::number(lineNumber()), QString::number(columnNumber())));
            }
        }
        if (!module)
            continue;
        module->description = peripheral.description;
        if (m_peripheralsListExists && m_hooks.setLastPeripheralToolTip)
            m_hooks.setLastPeripheralToolTip(peripheral.description);

        for (const Symscan::Register &svdRegister : peripheral.registers) {
            if (svdRegister.name.isEmpty())
                continue;
            const QString registerName = svdModelRegisterName(svdRegister.name);
            RegisterRecord *reg = module->getRegister(registerName);
            if (!reg) {
                if (m_hooks.addItem)
                    m_hooks.addItem(registersList, registerName, registerName, ProgramState::instance().svdRegisterCount);
                ++ProgramState::instance().svdRegisterCount;
                reg = module->addRegister(QString(), registerName);
            }
            reg->address = int(svdRegister.address);   // the unsigned address's bits
            reg->description = svdRegister.description;
            // A register without a size anywhere up its tree keeps the one it has.
            if (svdRegister.size != 0 && !reg->setSize(int(qMin<quint32>(svdRegister.size, 64))))
                reportSvdSizeError(peripheral.name, registerName, QString(), int(svdRegister.size));
            reg->resetValue = int(svdRegister.resetValue);

            for (const Symscan::Field &svdField : svdRegister.fields) {
                if (svdField.name.isEmpty())
                    continue;
                FieldRecord *field = reg->getField(svdField.name);
                if (!field)
                    field = reg->addField(svdField.name);
                field->description = svdField.description;
                if (svdField.access != lastAccess) {
                    lastAccess = svdField.access;
                    lastReadOnly = lastAccess.compare(QLatin1String("read-only"), Qt::CaseInsensitive) == 0;
                }
                field->readOnly = lastReadOnly;
                const int msb = int(qMin<quint32>(svdField.msb, 0x7FFFFFFF));
                const int lsb = int(qMin<quint32>(svdField.lsb, 0x7FFFFFFF));
                if (msb >= lsb) {
                    const int width = msb - lsb + 1;
                    if (!field->setWidth(width))
                        reportSvdSizeError(peripheral.name, registerName, svdField.name, width);
                    reg->bindFieldElements(field, msb, lsb);
                    field->setBitRange(msb, lsb);
                }
                const quint64 mask = bitRangeMask(msb, lsb);
                for (const Symscan::SvdEnumeratedValue &value : svdField.enumeratedValues) {
                    field->addEnumeratedValue(value.name, value.description, int(value.value));
                    reg->addEnumeratedValue(value.name, value.description, int(value.value), mask, lsb);
                }
            }
        }
    }
    return !hasError();
}
