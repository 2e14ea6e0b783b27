#include "pinmappingreader.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "pinmappingmodel.h"

#include <QIODevice>
#include <QSet>
#include <QStringList>

namespace {

// An unsigned decimal; text that is no number gives 0.
quint32 unsignedNumber(const QStringRef &text)
{
    return text.toUInt(nullptr, 10);
}

quint16 shortNumber(const QStringRef &text)
{
    return quint16(text.toULongLong(nullptr, 10));
}

// "red;green;blue", each decimal and kept within 0..255; false (colour left
// alone) for fewer than three parts.
bool readColor(const QStringRef &text, QColor *color)
{
    const QVector<QStringRef> parts = text.split(QLatin1Char(';'));
    if (parts.size() < 3)
        return false;
    int rgb[3];
    for (int i = 0; i < 3; ++i)
        rgb[i] = qBound(0, parts.at(i).trimmed().toInt(nullptr, 10), 255);
    *color = QColor(rgb[0], rgb[1], rgb[2], 255);
    return true;
}

// "x;y" with exactly two parts.
template <typename T>
bool readPair(const QStringRef &text, T *x, T *y)
{
    const QVector<QStringRef> parts = text.split(QLatin1Char(';'));
    if (parts.size() != 2)
        return false;
    *x = T(parts.at(0).toInt(nullptr, 10));
    *y = T(parts.at(1).toInt(nullptr, 10));
    return true;
}

bool readUnsignedPair(const QStringRef &text, PinButtonPos *pos)
{
    const QVector<QStringRef> parts = text.split(QLatin1Char(';'));
    if (parts.size() != 2)
        return false;
    pos->x = parts.at(0).toUInt(nullptr, 10);
    pos->y = parts.at(1).toUInt(nullptr, 10);
    return true;
}

} // namespace

PinMappingReader::PinMappingReader(PinMappingModel *model, const QString &panelFile)
    : m_model(model), m_panelFile(panelFile), m_warn([](const QString &html) { logMessage(html); })
{
}

bool PinMappingReader::read(QIODevice *device)
{
    m_model->deleteElement();
    m_model->reset();
    m_pinLimitReported = m_entryLimitReported = m_conditionLimitReported = m_imageLimitReported = false;

    setDevice(device);
    if (readNextStartElement()) {
        if (name() != QLatin1String("pinmapping"))
            raiseError(tr("Warning"));
        else
            readPinMappingElements();
    }
    return !error();
}

QString PinMappingReader::errorLocation() const
{
    const QString line = QString::number(lineNumber());
    const QString column = QString::number(columnNumber());
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(filePositionLink(m_panelFile, line, column), line, column);
}

void PinMappingReader::warn(const QString &text)
{
    if (!m_warn)
        return;
    const QString file = m_fileName.isEmpty() ? QString() : m_fileName.toHtmlEscaped() + QLatin1Char(' ');
    m_warn(QStringLiteral("<font color=\"orange\"><b>Pin mapping warning: </b></font>%1 (%2line %3, column %4)<br>")
               .arg(text.toHtmlEscaped(), file, QString::number(lineNumber()), QString::number(columnNumber())));
}

void PinMappingReader::skipToEnd()
{
    skipCurrentElement();
}

void PinMappingReader::readPinMappingElements()
{
    PinMappingModel &m = *m_model;
    while (readNextStartElement()) {
        const QStringRef element = name();
        const QXmlStreamAttributes a = attributes();
        if (element == QLatin1String("chipsize")) {
            if (a.hasAttribute(QLatin1String("len")))
                m.chipSize = unsignedNumber(a.value(QLatin1String("len")));
        } else if (element == QLatin1String("colors")) {
            if (a.hasAttribute(QLatin1String("chip")))
                readColor(a.value(QLatin1String("chip")), &m.chipColor);
            if (a.hasAttribute(QLatin1String("background")))
                readColor(a.value(QLatin1String("background")), &m.backgroundColor);
        } else if (element == QLatin1String("buttonpos")) {
            if (a.hasAttribute(QLatin1String("details")))
                readUnsignedPair(a.value(QLatin1String("details")), &m.detailsPos);
            if (a.hasAttribute(QLatin1String("export")))
                readUnsignedPair(a.value(QLatin1String("export")), &m.exportPos);
        } else if (element == QLatin1String("tooltips")) {
            if (a.hasAttribute(QLatin1String("activated")))
                m.toolTipsActivated = unsignedNumber(a.value(QLatin1String("activated"))) != 0;
        } else if (element == QLatin1String("pinsize")) {
            if (a.hasAttribute(QLatin1String("len")))
                m.pinSize = unsignedNumber(a.value(QLatin1String("len")));
        } else if (element == QLatin1String("arrowsize")) {
            if (a.hasAttribute(QLatin1String("len")))
                m.arrowSize = unsignedNumber(a.value(QLatin1String("len")));
        } else if (element == QLatin1String("margins")) {
            const struct {
                const char *name;
                quint32 *field;
            } margins[] = {{"TopY", &m.marginTop}, {"BottomY", &m.marginBottom},
                           {"LeftX", &m.marginLeft}, {"RightX", &m.marginRight}};
            for (const auto &margin : margins) {
                if (a.hasAttribute(QLatin1String(margin.name)))
                    *margin.field = unsignedNumber(a.value(QLatin1String(margin.name)));
            }
        } else if (element == QLatin1String("image")) {
            if (m.images.size() >= maxImages) {
                if (!m_imageLimitReported)
                    warn(tr("More than %1 images: the rest are not shown.").arg(maxImages));
                m_imageLimitReported = true;
            } else {
                PinImageEntry image;
                image.file = a.value(QLatin1String("file")).toString();
                image.moveable = unsignedNumber(a.value(QLatin1String("moveable"))) != 0;
                if (a.hasAttribute(QLatin1String("pos")))
                    readPair(a.value(QLatin1String("pos")), &image.x, &image.y);
                m.images.append(image);
            }
        } else if (element == QLatin1String("geometry")) {
            readPinEntry();
            continue; // the sub-reader stopped on the end tag
        } else if (element == QLatin1String("mapping")) {
            readMapEntry();
            continue;
        } else if (element == QLatin1String("mapconditions")) {
            readMapCondEntry();
            continue;
        } else if (element == QLatin1String("name")) {
            m.chipName = readElementText(QXmlStreamReader::SkipChildElements);
            continue;
        }
        skipToEnd();
    }
}

void PinMappingReader::readPinEntry()
{
    PinMappingModel &m = *m_model;
    QSet<quint16> numbers;
    for (const PinEntry &pin : qAsConst(m.pins))
        numbers.insert(pin.nr);
    while (readNextStartElement()) {
        const QXmlStreamAttributes a = attributes();
        if (name() == QLatin1String("pin") && a.hasAttribute(QLatin1String("nr"))) {
            if (m.pins.size() >= maxPins) {
                if (!m_pinLimitReported)
                    warn(tr("More than %1 pins: the rest are not read.").arg(maxPins));
                m_pinLimitReported = true;
                skipToEnd();
                continue;
            }
            PinEntry pin;
            const QStringRef nrText = a.value(QLatin1String("nr"));
            pin.nr = shortNumber(nrText);
            pin.pinName = a.value(QLatin1String("pinname")).toString();
            pin.quadrant = shortNumber(a.value(QLatin1String("quadrant")));
            pin.index = shortNumber(a.value(QLatin1String("index")));
            pin.color = QColor(192, 192, 192);
            readColor(a.value(QLatin1String("color")), &pin.color);

            const quint64 fullNr = nrText.toULongLong(nullptr, 10);
            if (fullNr != pin.nr)
                warn(tr("Pin number %1 of pin %2 is out of range (0 to 65535).").arg(nrText.toString(), pin.pinName));
            else if (numbers.contains(pin.nr))
                warn(tr("Pin number %1 is given twice.").arg(pin.nr));
            if (m.pinIndexByName.contains(pin.pinName))
                warn(tr("Pin %1 is defined twice; conditions and functions go to the last one.").arg(pin.pinName));
            if (pin.quadrant > 3)
                warn(tr("Pin %1 has quadrant %2 (0 to 3): it is not drawn.").arg(pin.pinName).arg(pin.quadrant));
            numbers.insert(pin.nr);
            m.pins.append(pin);
            m.pinIndexByName.insert(pin.pinName, m.pins.size() - 1);
        }
        skipToEnd();
    }
}

void PinMappingReader::readMapEntry()
{
    PinMappingModel &m = *m_model;
    while (readNextStartElement()) {
        const QXmlStreamAttributes a = attributes();
        if (name() == QLatin1String("mapentry") && a.hasAttribute(QLatin1String("pinname"))) {
            if (m.mapEntries.size() >= maxEntries) {
                if (!m_entryLimitReported)
                    warn(tr("More than %1 map entries: the rest are not read.").arg(maxEntries));
                m_entryLimitReported = true;
                skipToEnd();
                continue;
            }
            MapEntry entry;
            entry.pinName = a.value(QLatin1String("pinname")).toString();
            entry.output = a.value(QLatin1String("direction")).toString().toUpper() == QLatin1String("O") ? 1 : 0;
            entry.function = a.value(QLatin1String("function")).toString();
            entry.dispName = a.value(QLatin1String("dispname")).toString();
            entry.info = a.value(QLatin1String("info")).toString();
            entry.link = a.value(QLatin1String("link")).toString();
            entry.color = QColor(128, 128, 128);
            readColor(a.value(QLatin1String("color")), &entry.color);
            m.mapEntries.append(entry);
            m.entryIndexByFunction.insert(entry.function, m.mapEntries.size() - 1);
        }
        skipToEnd();
    }
}

void PinMappingReader::readMapCondEntry()
{
    PinMappingModel &m = *m_model;
    while (readNextStartElement()) {
        const QXmlStreamAttributes a = attributes();
        if (name() == QLatin1String("mapcondentry") && a.hasAttribute(QLatin1String("cond"))) {
            if (m.conditions.size() >= maxEntries) {
                if (!m_conditionLimitReported)
                    warn(tr("More than %1 conditions: the rest are not read.").arg(maxEntries));
                m_conditionLimitReported = true;
            } else {
                m.conditions.append({a.value(QLatin1String("cond")).toString(),
                                     a.value(QLatin1String("function")).toString()});
            }
        }
        skipToEnd();
    }
}
