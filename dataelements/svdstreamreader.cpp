#include "svdstreamreader.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "registermodel.h"
#include "svdreader.h"

#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QVector>

#include <utility>

namespace {

// Real descriptions nest about a dozen elements deep; Symscan's reader takes
// the same bound.
constexpr int maxNesting = 256;
constexpr quint64 maxDim = 65536;

int s_registerCounter = 0;

// "0x1F" hexadecimal, "#1010" binary ("x" digits count as 0), else decimal.
bool isSvdNumber(const QString &text, quint64 limit)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    quint64 value = 0;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = trimmed.mid(2).toULongLong(&ok, 16);
    } else if (trimmed.startsWith(QLatin1Char('#'))) {
        QString digits = trimmed.mid(1);
        digits.replace(QLatin1Char('x'), QLatin1Char('0'), Qt::CaseInsensitive);
        value = digits.toULongLong(&ok, 2);
    } else {
        value = trimmed.toULongLong(&ok, 10);
    }
    return ok && value <= limit;
}

const QSet<QString> &numberElements()
{
    static const QSet<QString> names{
        QStringLiteral("size"),        QStringLiteral("resetValue"),   QStringLiteral("resetMask"),
        QStringLiteral("baseAddress"), QStringLiteral("addressOffset"), QStringLiteral("lsb"),
        QStringLiteral("msb"),         QStringLiteral("bitOffset"),    QStringLiteral("bitWidth"),
        QStringLiteral("dim"),         QStringLiteral("dimIncrement"), QStringLiteral("value")};
    return names;
}

const QSet<QString> &namedElements()
{
    static const QSet<QString> names{QStringLiteral("peripheral"), QStringLiteral("register"),
                                     QStringLiteral("cluster"), QStringLiteral("field")};
    return names;
}

// Elements whose text is read as a whole (the checked numbers aside).
const QSet<QString> &textElements()
{
    static const QSet<QString> names{QStringLiteral("name"), QStringLiteral("description"),
                                     QStringLiteral("access"), QStringLiteral("bitRange"),
                                     QStringLiteral("dimIndex")};
    return names;
}

} // namespace

QString svdModelRegisterName(const QString &expandedName)
{
    QString name = expandedName;
    name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return name;
}

SvdStreamReader::SvdStreamReader(RegisterModelHost *host, const QString &panelFile, ListHooks hooks)
    : m_host(host), m_panelFile(panelFile), m_hooks(std::move(hooks))
{
}

int SvdStreamReader::registerCounter()
{
    return s_registerCounter;
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
    m_host->logMessage(
        QStringLiteral("<font color=\"red\"> <b>SVD warning: </b></font><b>%1 <a href=\"%2\">file</a> line %3, column %4</b><br>")
            .arg(message.toHtmlEscaped(),
                 filePositionLink(m_panelFile, QString::number(line), QString::number(column)),
                 QString::number(line), QString::number(column)));
}

// One pass over the stream: well-formedness, the root, the nesting depth, the
// numbers, the names and derivedFrom loops, each with its position.
bool SvdStreamReader::checkStream()
{
    struct Open {
        QString kind;
        qint64 line;
        qint64 column;
        bool named;
    };
    QVector<Open> named;   // the open peripherals, registers, clusters and fields
    struct Derivation {
        QString base;
        qint64 line;
        qint64 column;
    };
    QHash<QString, Derivation> peripheralBases;
    QString pendingBase;   // derivedFrom of the innermost open peripheral
    qint64 pendingLine = 0, pendingColumn = 0;
    int depth = 0;
    bool rootSeen = false;

    while (!atEnd()) {
        const TokenType token = readNext();
        if (token == StartElement) {
            const QString element = name().toString();
            if (!rootSeen) {
                rootSeen = true;
                if (element != QLatin1String("device")) {
                    raiseError(tr("Warning"));
                    return false;
                }
            }
            if (++depth > maxNesting) {
                raiseError(tr("Elements nest deeper than %1").arg(maxNesting));
                return false;
            }
            const qint64 line = lineNumber(), column = columnNumber();
            if (namedElements().contains(element)) {
                named.append({element, line, column, false});
                if (element == QLatin1String("peripheral")) {
                    pendingBase = attributes().value(QLatin1String("derivedFrom")).toString().trimmed();
                    pendingLine = line;
                    pendingColumn = column;
                }
                continue;
            }
            const bool isNumber = numberElements().contains(element);
            if (!isNumber && !textElements().contains(element))
                continue;
            const QString text = readElementText(ErrorOnUnexpectedElement);
            --depth;
            if (hasError())
                return false;
            if (element == QLatin1String("name")) {
                if (!named.isEmpty() && !named.last().named) {
                    named.last().named = true;
                    if (named.last().kind == QLatin1String("peripheral") && !pendingBase.isEmpty())
                        peripheralBases.insert(text.trimmed(), {pendingBase, pendingLine, pendingColumn});
                }
            } else if (isNumber) {
                const bool wide = element == QLatin1String("value");
                if (!isSvdNumber(text, wide ? ~quint64(0) : 0xFFFFFFFFu))
                    warnAt(tr("Not a number in <%1>: %2").arg(element, text.trimmed()), line, column);
                else if (element == QLatin1String("dim") && isSvdNumber(text, ~quint64(0))
                         && !isSvdNumber(text, maxDim))
                    warnAt(tr("Array of %1 elements refused").arg(text.trimmed()), line, column);
            }
        } else if (token == EndElement) {
            --depth;
            if (!named.isEmpty() && named.last().kind == name()) {
                const Open done = named.takeLast();
                if (!done.named)
                    warnAt(tr("<%1> without a name").arg(done.kind), done.line, done.column);
            }
        }
    }
    if (hasError())
        return false;
    if (!rootSeen) {
        raiseError(tr("Warning"));
        return false;
    }

    // derivedFrom loops among peripherals: the copies stop, and we say where.
    for (auto it = peripheralBases.constBegin(); it != peripheralBases.constEnd(); ++it) {
        QSet<QString> seen{it.key()};
        QString next = it.value().base;
        while (peripheralBases.contains(next) && !seen.contains(next)) {
            seen.insert(next);
            next = peripheralBases.value(next).base;
        }
        if (next == it.key())
            warnAt(tr("Peripheral %1 is derived from itself through derivedFrom").arg(it.key()),
                   it.value().line, it.value().column);
    }
    return true;
}

bool SvdStreamReader::read(QIODevice *device)
{
    if (!device) {
        raiseError(tr("No device"));
        return false;
    }
    return readData(device->readAll());
}

bool SvdStreamReader::readData(const QByteArray &data)
{
    clear();
    addData(data);
    int peripheralCounter = 0;
    m_peripheralsListExists = m_hooks.elementExists
                              && m_hooks.elementExists(QStringLiteral("$PERIPHERALS$"));

    if (!checkStream())
        return false;

    Symscan::SVDReader svd;
    const unsigned int result = svd.ReadData(data);
    if (result != Symscan::CLog::Success) {
        raiseError(tr("The SVD file's arrays or clusters are too large or nest too deeply"));
        return false;
    }
    if (m_hooks.setDeviceName)
        m_hooks.setDeviceName(svd.deviceName);
    if (!m_host)
        return true;

    const QString peripheralsList = QStringLiteral("$PERIPHERALS$");
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
                    m_hooks.addItem(registersList, registerName, registerName, s_registerCounter);
                ++s_registerCounter;
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
                field->readOnly = svdField.access.compare(QLatin1String("read-only"), Qt::CaseInsensitive) == 0;
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
