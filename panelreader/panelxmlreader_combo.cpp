// PanelXmlReader: the combo element and its items.
#include "panelxmlreader.h"

#include "combobox.h"
#include "container.h"
#include "numberliteral.h"
#include "panelxmlreader_p.h"

#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readCombo(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    ComboBox *combo = parent->createComboBox(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Combobox"));
    // Locks are given per item.
    if (has(attributes, "lockon"))
        xmlMessage(tr("\"lockon\" is not allowed for combobox: "), QString(), false);
    readDefineAttributes(attributes, combo, header, define);
    readCommonAttributes(attributes, combo);
    while (m_xml->readNextStartElement()) {
        if (m_xml->name() == QLatin1String("item"))
            readComboItem(combo);
        else
            m_xml->skipCurrentElement();
    }
    connectValueElement(combo, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages);
    combo->setElementProperty("isRaised", false);
}

// An item is an entry of the list, an override entry (a placeholder that an
// enumerated value of the bound SVD field fills, under the item's label) or a
// hide entry (an enumerated value never shown). Its setDef, locks and actions
// are filed under its key: the entry's index in the list.
void PanelXmlReader::readComboItem(ComboBox *combo)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    if (has(attributes, "startcond") && !checkStartCondition(attributes)) {
        m_xml->skipCurrentElement();
        return;
    }
    QVariantMap overrides = combo->elementProperty("override").toMap();
    QVariantList itemTexts = combo->elementProperty("itemText").toList();

    const QString label = readLabel(attributes);
    const char *overrideName = has(attributes, "override") ? "override"
        : has(attributes, "overridevalue")                ? "overridevalue"
                                                           : nullptr;
    QString entryText = label;
    bool hidden = false;
    if (overrideName) {
        const QString key = text(attributes, overrideName);
        overrides.insert(key, label);
        entryText = QStringLiteral("$$$OVERRIDE$$$") + key;
    } else if (has(attributes, "hide")) {
        const QString key = text(attributes, "hide");
        overrides.insert(key, QStringLiteral("$$$HIDE$$$"));
        entryText = QStringLiteral("$$$HIDE$$$") + key;
        hidden = true;
    }

    // Without a value an entry counts the entries before it, so values stay
    // without gaps also when items are left out or hidden.
    QString value = QString::number(combo->count());
    if (has(attributes, "value")) {
        const QString written = text(attributes, "value");
        value = convertLiteralByFormat(numberLiteralFormat(written), written);
    }
    itemTexts.append(entryText + QStringLiteral("#$#") + value);
    combo->appendItem(entryText, value);
    combo->setElementProperty("override", overrides);
    combo->setElementProperty("itemText", itemTexts);

    if (hidden) {
        // A hidden entry is never chosen: what it would set, lock or run
        // belongs to no entry of the list.
        bool unused = has(attributes, "setDef") || has(attributes, "setdef") || has(attributes, "lockon");
        while (m_xml->readNextStartElement()) {
            unused = unused || m_xml->name() == QLatin1String("action");
            m_xml->skipCurrentElement();
        }
        if (unused)
            xmlMessage(tr("setdef, lockon and actions of a hidden combobox item are not used: "),
                       combo->objectName(), false);
        return;
    }

    const int key = combo->count() - 1;
    appendSetDefAction(combo, attributes, key);
    hookLocks(combo, attributes, key);
    readActions(combo, key);
}
