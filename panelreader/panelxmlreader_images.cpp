// PanelXmlReader: LEDs, pictures and SVG drawings embedded in the panel file.
#include "panelxmlreader.h"

#include "container.h"
#include "image.h"
#include "led.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "programstate.h"

#include <QGraphicsOpacityEffect>
#include <QTextCodec>
#include <QXmlStreamReader>

using namespace PanelXml;

// The "bitmask" of an LED as the int the lamp compares with: any integer
// literal; a mask beyond the signed range keeps its 32-bit pattern.
static int ledBitMask(const QString &written)
{
    const int mask = convertLiteralByFormat(numberLiteralFormat(written), written).toInt();
    quint32 pattern = 0;
    formatNumberLiteral(written, &pattern, DecimalLiteral, false);
    return mask == 0 && pattern != 0 ? int(pattern) : mask;
}

void PanelXmlReader::readLed(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Led *led = parent->createLed(define, readLabel(attributes), -1);

    const QString data = text(attributes, "data");
    m_panel->addLed(data, led);
    const QString bitmask = text(attributes, "bitmask");
    const int mask = ledBitMask(bitmask);
    if (data.isEmpty())
        xmlMessage(tr("LED without data doesn't make sense: "), QString(), true);
    m_panel->python().publish(define, led);

    led->setObjectName(QStringLiteral("%1_%2_%3").arg(data, bitmask).arg(ProgramState::instance().bitLedCount++));
    // An LED without define is known by the name it was just given.
    m_panel->setLED(define.isEmpty() ? led->objectName() : define, led);
    led->setProperty("data", data);
    led->setProperty("bitmask", mask);
    if (has(attributes, "oncolor")) {
        led->setProperty("OnColor", text(attributes, "oncolor"));
        led->setOnColor(text(attributes, "oncolor"));
    }
    if (has(attributes, "offcolor")) {
        led->setProperty("OffColor", text(attributes, "offcolor"));
        led->setOffColor(text(attributes, "offcolor"));
    }
    if (has(attributes, "shape"))
        led->setShape(text(attributes, "shape"));

    m_xml->skipCurrentElement();
    readCommonAttributes(attributes, led);
}

void PanelXmlReader::readImage(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    const QString file = text(attributes, "file");
    // The image shows (or reports) its picture as it is made.
    Image *image = parent->createImage(resolvePanelPath(file), define, readLabel(attributes), -1);
    image->setHost(m_panel);
    image->setProperty("File", file);
    m_panel->setImage(image->objectName(), image);
    readCommonAttributes(attributes, image);
    m_panel->python().publish(define, image);
    m_xml->skipCurrentElement();
}

// The text of the file as the stream decodes it: the encoding its XML
// declaration names, else UTF-8 (or UTF-16 by its byte-order mark). A byte-
// order mark is not part of the text, as it is not for the stream.
static QString decodedPanelText(const QByteArray &bytes)
{
    QXmlStreamReader declaration(bytes);
    declaration.readNext();
    const QString encoding = declaration.documentEncoding().toString();
    QTextCodec *codec = encoding.isEmpty() ? nullptr : QTextCodec::codecForName(encoding.toLatin1());
    if (!codec)
        codec = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForName("UTF-8"));
    return codec->toUnicode(bytes);
}

QString PanelXmlReader::readEmbeddedSvgText(bool *ok)
{
    // The stream counts characters of the decoded text, not bytes: the
    // positions are taken in that text, which may hold any character before
    // the element.
    const qint64 start = m_xml->characterOffset();
    m_xml->skipCurrentElement();
    *ok = false;
    if (m_xml->hasError())
        return QString();
    const qint64 end = m_xml->characterOffset();
    const QString fileText = decodedPanelText(m_fileBytes);
    if (start <= 0 || end < start || end > fileText.size() || fileText.at(int(start) - 1) != QLatin1Char('>'))
        return QString();
    *ok = true;
    // <svgembed .../>: no drawing.
    if (end == start)
        return QString();
    const int closing = fileText.lastIndexOf(QLatin1String("</"), int(end) - 1);
    if (closing < start || !fileText.midRef(closing + 2).startsWith(QLatin1String("svgembed"))) {
        *ok = false;
        return QString();
    }
    return fileText.mid(int(start), closing - int(start));
}

void PanelXmlReader::readSvgEmbed(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Image *image = parent->createImage(Image::embeddedSvgMark, define, readLabel(attributes), -1);
    image->setHost(m_panel);

    bool complete = false;
    const QString svg = readEmbeddedSvgText(&complete).simplified();
    if (!complete) {
        // The stream stops at the missing end; the element keeps no drawing.
        xmlMessage(tr("&lt;svgembed&gt; element without a matching &lt;/svgembed&gt;: its SVG is not read."), define,
                   true);
    } else if (!svg.isEmpty()) {
        image->setSvgBytes(svg.toUtf8());
        image->loadSvg();
        if (!image->hasValidSvg())
            xmlMessage(tr("The SVG of the &lt;svgembed&gt; element cannot be drawn."), define, true);
    }

    if (has(attributes, "passive")) {
        image->setPassive(text(attributes, "passive").toInt() != 0);
        image->setProperty("passive", text(attributes, "passive"));
    }
    if (has(attributes, "opacity")) {
        auto *effect = new QGraphicsOpacityEffect(image);
        effect->setOpacity(text(attributes, "opacity").toDouble());
        image->setGraphicsEffect(effect);
        image->setProperty("opacity", text(attributes, "opacity"));
    }
    if (has(attributes, "size")) {
        // The drawing's size; the widget's is the common attributes'.
        bool ok = false;
        const QSize size = readSize(attributes, &ok);
        if (ok && !size.isEmpty())
            image->setSvgSize(size);
    }
    for (const QString &name : image->collectSvgVariables())
        m_panel->addSvgImage(name, image);
    image->renderSvg();

    image->setProperty("File", Image::embeddedSvgMark);
    m_panel->setImage(image->objectName(), image);
    readCommonAttributes(attributes, image);
}
