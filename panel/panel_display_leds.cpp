// Panel: refreshing LEDs and SVG images after a define or variable changed.
// The sender is a target variable or an element (through its signals
// companion); its object name is the define or variable the items are
// registered under.
#include "quillpanel.h"

#include "dataclass.h"
#include "elementsignals.h"
#include "errorreporter.h"
#include "image.h"
#include "led.h"

#include <QSet>

void Panel::on_updateLED()
{
    QObject *source = senderElement();
    if (!source)
        return;
    const QString name = source->objectName();
    auto *variable = qobject_cast<DataClass *>(source);
    ActiveElement *element = variable ? nullptr : activeElementOf(source);
    if (!variable && !element) {
        reportInvalidLedbValue(name);
        return;
    }
    // A copy: a lamp's repaint never changes the table, but the walk must
    // not depend on that.
    const QList<Led *> leds = m_registries.ledsByData.value(name);
    const QString text = element ? element->value(KeywordValue, 1) : QString();
    for (Led *led : leds) {
        if (!led)
            continue;
        if (variable)
            led->setValueBits(variable->value());
        else
            led->setValueText(text);
    }
}

void Panel::on_updateSvgImage()
{
    QObject *source = senderElement();
    if (!source)
        return;
    const QString name = source->objectName();
    if (!qobject_cast<DataClass *>(source) && !activeElementOf(source)) {
        reportInvalidLedbValue(name);
        return;
    }
    // The images read the values themselves.
    const QList<Image *> images = m_registries.imagesByDefine.value(name);
    for (Image *image : images) {
        if (!image || image->isPassive())
            continue;
        image->updateSvgValues();
        image->renderSvg();
    }
}

void Panel::refreshSvgImages()
{
    // Every image whose drawing names a value: those registered by name and
    // those registered under the values they show (an image without a define
    // is only there). Passive ones too: this is their first drawing with values.
    QList<Image *> images;
    QSet<Image *> seen;
    const auto take = [&images, &seen](Image *image) {
        if (image && !seen.contains(image) && !image->svgVariables().isEmpty()) {
            seen.insert(image);
            images.append(image);
        }
    };
    for (Image *image : qAsConst(m_registries.imagesByName))
        take(image);
    for (const QList<Image *> &list : qAsConst(m_registries.imagesByDefine)) {
        for (Image *image : list)
            take(image);
    }
    for (Image *image : qAsConst(images)) {
        image->updateSvgValues();
        image->renderSvg();
    }
}
