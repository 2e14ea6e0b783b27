// The parameter map beside a panel: the firmware's parameters in nested groups.
#include "parametermapreader.h"

#include "quillpanel.h"
#include "parameterrecord.h"

#include <QIODevice>

ParameterMapReader::ParameterMapReader(Panel *owner)
    : m_owner(owner)
{
}

bool ParameterMapReader::readParameterMap(QIODevice *device)
{
    if (!device->isSequential())
        device->reset();
    m_xml.setDevice(device);
    // Only the first top-level element counts.
    if (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("parameters"))
            readGroup(0);
        else
            // Another file named by mistake: said, not passed over in silence.
            m_xml.raiseError(tr("The root element is <%1>, not <parameters>: not a parameter map")
                                 .arg(m_xml.name().toString()));
    }
    return !m_xml.hasError();
}

QString ParameterMapReader::xmlErrorString() const
{
    return tr("%1\nLine %2, column %3").arg(m_xml.errorString()).arg(m_xml.lineNumber()).arg(m_xml.columnNumber());
}

void ParameterMapReader::readGroup(int depth)
{
    while (m_xml.readNextStartElement()) {
        const QStringRef name = m_xml.name();
        if (name == QLatin1String("parametergroup") && depth < maxGroupDepth)
            readGroup(depth + 1);
        else if (name == QLatin1String("parameter"))
            readParameter();
        else
            m_xml.skipCurrentElement();
    }
}

ParameterRecord ParameterMapReader::recordOf(const QXmlStreamAttributes &attributes)
{
    const auto value = [&attributes](const char *name) { return attributes.value(QLatin1String(name)).toString(); };
    ParameterRecord record;
    record.number = value("Nr").toUInt(); // 0 when absent or no number
    record.id = value("ID");
    record.varName = value("VarName");
    record.text = value("Text");
    record.unit = value("Unit");
    record.type = value("type");
    record.comment = value("comment");
    record.min = value("min");
    record.max = value("max");
    // A code point beyond Unicode's range, or no number at all, gives U+0000.
    const uint readonly = value("readonly").toUInt();
    record.readonly = QString(QChar(readonly <= 0xffff ? ushort(readonly) : ushort(0)));
    record.formula = value("formula");
    record.filter = value("Filter") == QLatin1String("1");
    QString mask = value("DisplayMask").trimmed();
    if (mask.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        mask.remove(0, 2);
    record.displayMask = mask.toUInt(nullptr, 16);
    return record;
}

void ParameterMapReader::readParameter()
{
    const ParameterRecord record = recordOf(m_xml.attributes());
    m_xml.skipCurrentElement();
    if (!record.id.isEmpty())
        m_owner->editHeader().parameterMap.append(record);
}
