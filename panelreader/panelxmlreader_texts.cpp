// PanelXmlReader: toggle buttons, texts and the icon attributes that push
// and toggle buttons share.
#include "panelxmlreader.h"

#include "container.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "text.h"
#include "togglebutton.h"
#include "valueelement.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPixmap>
#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readToggleButton(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    ToggleButton *button = parent->createToggleButton(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Togglebutton"));
    if (has(attributes, "icon"))
        readIconAttributes(attributes, button);
    button->setStyleSheet(QStringLiteral(
        "QPushButton{ border: 1px solid gray; height: 22px; background: palette(button);}"
        "QPushButton:checked{ border: 1px solid gray; height: 22px; background: palette(mid);}"
        "QPushButton:pressed{ border: 1px solid gray; height: 22px; background: palette(mid);}"));
    readToggleTail(button, attributes, header, define);
    if (text(attributes, "enabled") == QLatin1String("false"))
        button->setEnabled(false);

    // Colours are written "r;g;b"; the style sheet wants "r,g,b".
    const auto rgb = [&attributes](const char *name) {
        return text(attributes, name).replace(QLatin1Char(';'), QLatin1Char(','));
    };
    if (has(attributes, "offcolor")) {
        button->setElementProperty("OffColor", text(attributes, "offcolor"));
        button->setStyleSheet(QStringLiteral("QPushButton{background-color: rgb(%1);}").arg(rgb("offcolor")));
    }
    const QString checkedLook = QStringLiteral(
        "{background-color: rgb(%1);border-style: inset;border-width: 1px;border-color: black;}");
    QString onSheet;
    if (has(attributes, "oncolor")) {
        button->setElementProperty("OnColor", text(attributes, "oncolor"));
        onSheet = QStringLiteral("QPushButton:checked") + checkedLook.arg(rgb("oncolor"));
    } else {
        // No colour of the panel's: "on" in the palette's highlight colours.
        const QString look = QStringLiteral("{background-color: palette(highlight);color: palette(highlighted-text);"
                                            "border-style: inset;border-width: 1px;border-color: black;}");
        onSheet = QStringLiteral("QPushButton:checked") + look + QStringLiteral("QPushButton:pressed") + look;
    }
    button->setStyleSheet(button->styleSheet() + onSheet);

    readActions(button, 0);
    connectSharedActionSignals(button, QStringLiteral("checked"), {QStringLiteral("runScript")});
}

void PanelXmlReader::readText(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Text *label = parent->createText(define, readLabel(attributes), -1);
    if (has(attributes, "wordwrap")) {
        label->setWordWrap(text(attributes, "wordwrap").toUInt() != 0);
        label->setProperty("wordwrap", text(attributes, "wordwrap"));
    }
    m_panel->python().publish(define, label);
    // The label shows the "label" attribute; the element's content is dropped.
    m_xml->skipCurrentElement();
    readCommonAttributes(attributes, label);
    const QString toolTip = label->property("tooltip").toString();
    if (!toolTip.isEmpty())
        label->setToolTip(toolTip);
}

void PanelXmlReader::readIconAttributes(const QXmlStreamAttributes &attributes, QAbstractButton *button)
{
    const QString file = text(attributes, "icon");
    const QPixmap picture(resolvePanelPath(file));
    setElementProperty(button, "Icon", file);
    if (!has(attributes, "size")) {
        // A picture that failed to load makes the button 0 by 0.
        button->setFixedSize(picture.size());
        button->setIconSize(picture.size());
    }
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    if (has(attributes, "nograyout")) {
        const uint noGrayOut = text(attributes, "nograyout").toUInt();
        setElementProperty(button, "nograyout", noGrayOut);
        // A disabled button then shows the picture in full colour.
        if (noGrayOut != 0)
            icon.addPixmap(picture, QIcon::Disabled);
    }
    if (icon.isNull())
        attributeWarning(tr("Icon file not found in UI element"), attributes);
    button->setIcon(icon);
    if (has(attributes, "size")) {
        bool ok = false;
        button->setIconSize(readSize(attributes, &ok));
        if (!ok)
            attributeWarning(tr("\"size\" attribute invalid."), attributes);
    }
}

void PanelXmlReader::connectSharedActionSignals(QObject *element, const QString &signalEvent,
                                                const QStringList &kinds)
{
    const QList<ElementAction> actions = readElementActions(elementProperty(element, "data"), QStringLiteral("0"));
    for (const ElementAction &action : actions) {
        if (kinds.contains(action.kind) && action.event != signalEvent)
            connectAction(signalEvent + QLatin1Char('_') + action.kind, action.kind, element);
    }
}
