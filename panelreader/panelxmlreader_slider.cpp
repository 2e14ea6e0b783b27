// PanelXmlReader: the slider builder.
#include "panelxmlreader.h"

#include "container.h"
#include "panelxmlreader_p.h"
#include "slider.h"

#include <QFileInfo>
#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readSlider(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Slider *slider = parent->createSlider(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Slider"));

    // The attributes read here stay on the slider as written, for the panel
    // editor; "orientation" is the slider's own property already.
    for (const char *name : {"range", "image", "default", "step"}) {
        if (has(attributes, name))
            slider->setElementProperty(name, text(attributes, name));
    }

    if (has(attributes, "range")) {
        int min = 0;
        int max = 0;
        if (readIntegerRange(attributes, define, QStringLiteral("slider"), &min, &max))
            slider->setRange(min, max);
    }
    if (has(attributes, "orientation")) {
        const int orientation = text(attributes, "orientation").toInt();
        if (orientation == 0)
            slider->setOrientation(Qt::Vertical);
        else if (orientation == 1)
            slider->setOrientation(Qt::Horizontal);
    }
    if (has(attributes, "image")) {
        const QString path = resolvePanelPath(text(attributes, "image"));
        if (QFileInfo(path).isFile()) {
            slider->setStyleSheet(
                QStringLiteral("QSlider::groove:horizontal {background-image:url(%1); max-height: 20px;} "
                               "QSlider::handle:horizontal {background-color:blue; height:16px; width: 4px;}")
                    .arg(path));
        } else {
            attributeWarning(tr("Image file not found in UI element"), attributes);
        }
    }
    checkIntegerDefault(attributes, define, slider->minimum(), slider->maximum());
    if (has(attributes, "step"))
        slider->setSingleStep(readIntegerStep(attributes));

    readActions(slider, 0);
    readDefineAttributes(attributes, slider, header, define);
    readCommonAttributes(attributes, slider);
    connectValueElement(slider, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages | ToCurves | ToDials
                                    | ToThermos | ToLogs);
}
