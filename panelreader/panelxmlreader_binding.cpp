// PanelXmlReader: binding elements to their defines, duplicate defines,
// element actions (the "data" property) and lock conditions ("locks").
#include "panelxmlreader.h"

#include "elementkinds.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "registermodel.h"

#include <QWidget>
#include <QXmlStreamReader>

using namespace PanelXml;

// ---------------------------------------------------------------------------
// Defines

QString PanelXmlReader::checkDuplicateDefine(const QXmlStreamAttributes &attributes, bool check)
{
    const QString define = text(attributes, "define");
    if (define.isEmpty() || !check)
        return define;
    QString message;
    if (m_panel->getActiveElement(define))
        message = tr("Duplicate define ");
    else if (m_panel->registries().pushButtonsByName.contains(define))
        message = tr("Duplicate define PushButton");
    else if (m_panel->registries().variablesByName.contains(define))
        message = tr("Duplicate define Var");
    else if (m_panel->registries().imagesByName.contains(define))
        message = tr("Duplicate define Image");
    // The element is built all the same; a value element then replaces the
    // first one under the define.
    if (!message.isEmpty())
        panelMistake(message, define);
    return define;
}

// A setDef list: "setDef", or "setdef" when the first is empty or starts empty.
static QStringList setDefItems(const QXmlStreamAttributes &attributes, const char *name,
                               const char *lowerName)
{
    QStringList items = text(attributes, name).split(QLatin1Char(';'));
    if (items.first().isEmpty())
        items = text(attributes, lowerName).split(QLatin1Char(';'));
    return items;
}

void PanelXmlReader::readDefineAttributes(const QXmlStreamAttributes &attributes, QObject *element,
                                          const QString &groupHeader, const QString &define)
{
    const bool ownHeader = has(attributes, "header");
    QString header = ownHeader ? text(attributes, "header") : groupHeader;
    // A header attribute that names no file would leave the define out of
    // every header without a word (or write a file named by blanks): it is
    // refused like a header outside the working directory.
    if (ownHeader && header.trimmed().isEmpty()) {
        if (!define.isEmpty()) {
            xmlMessage(tr("Empty header file name, the define is not written:"), define, true);
            m_panel->editHeader().refuseHeader(header);
        }
        header.clear();
    }
    // The same string as the element before's (a header group's): that one
    // stays in the folder and is listed already. Headers are only ever added
    // to either table during a read.
    if (header.isNull() || !header.isSharedWith(m_lastBoundHeader)) {
        // Headers are written into the working directory and nowhere else:
        // the element is bound without a header, so that file is never written.
        auto staysInFolder = m_headerStaysInFolder.constFind(header);
        if (staysInFolder == m_headerStaysInFolder.constEnd())
            staysInFolder = m_headerStaysInFolder.insert(header, headerNameStaysInFolder(header));
        if (!staysInFolder.value()) {
            xmlMessage(tr("Header file outside the working directory, not written:"), header, true);
            m_panel->editHeader().refuseHeader(header);
            header.clear();
        }
        if (!headerVersions.contains(header))
            headerVersions.insert(header, m_panel->header().xmlVersion);
        if (!header.isNull() && staysInFolder.value())
            m_lastBoundHeader = header;
    }
    const bool svd = usesSvd(attributes);
    if (ActiveElement *active = asActiveElement(element)) {
        active->containerChain = m_openContainers;
        m_panel->assignRegisterField(define, header, active, svd);
    }
    // A default is mostly a short number that many elements share.
    setElementProperty(element, "my_default", m_recordTexts.value(attributes.value(QLatin1String("default"))));
    setElementProperty(element, "header", header);
    // Without an SVD file the element needs no "svd" property: an absent one
    // reads as empty all the same.
    if (svd && !define.isEmpty() && !m_panel->header().svdFile.isEmpty())
        setElementProperty(element, "svd", m_panel->header().svdFile);
    if (has(attributes, "svd"))
        setElementProperty(element, "my_svd", text(attributes, "svd"));

    const ElementKind *kind = elementKindOf(element);
    const char *setDefEvent = kind ? kind->setDefEvent : nullptr;
    const char *setDefInvEvent = kind ? kind->setDefInvEvent : nullptr;
    if (setDefEvent && (has(attributes, "setDef") || has(attributes, "setdef"))) {
        connectAction(QLatin1String(setDefEvent), QStringLiteral("setDef"), element);
        const QStringList items = setDefItems(attributes, "setDef", "setdef");
        setElementProperty(element, "default_setdef", items);
        noteNamedTargets(QStringLiteral("setDef"), items.join(QLatin1Char(';')), define);
    }
    if (setDefInvEvent && (has(attributes, "setDefInv") || has(attributes, "setdefinv"))) {
        connectAction(QLatin1String(setDefInvEvent), QStringLiteral("setDef"), element);
        const QStringList items = setDefItems(attributes, "setDefInv", "setdefinv");
        setElementProperty(element, "default_setdefinv", items);
        noteNamedTargets(QStringLiteral("setDefInv"), items.join(QLatin1Char(';')), define);
    }
    if (has(attributes, "confirmation"))
        setElementProperty(element, "confirmation", text(attributes, "confirmation"));
    if (auto *widget = qobject_cast<QWidget *>(element); widget && has(attributes, "enabled"))
        widget->setEnabled(text(attributes, "enabled").toInt() != 0);
    if (element && element->isWidgetType())
        m_panel->python().publish(define, element);
}

// ---------------------------------------------------------------------------
// Actions

QString PanelXmlReader::readActionCommand(const QXmlStreamAttributes &attributes)
{
    const QString command = text(attributes, "cmd");
    return command == QLatin1String("setdef") ? QStringLiteral("setDef") : command;
}

QString PanelXmlReader::actionKey(const QXmlStreamAttributes &attributes)
{
    return text(attributes, "event") + QLatin1Char('_') + readActionCommand(attributes);
}

void PanelXmlReader::readActions(QObject *element, int number)
{
    while (m_xml->readNextStartElement()) {
        if (m_xml->name() == QLatin1String("action"))
            readAction(element, number);
        else
            m_xml->skipCurrentElement();
    }
}

// The events an element class can raise, and the class's name in messages.
struct EventRule {
    const char *className;
    QStringList events;
    const char *typeName;
};

static const EventRule *eventRuleFor(const QObject *element)
{
    static const EventRule rules[] = {
        {"ComboBox", {QStringLiteral("selected"), QStringLiteral("unselected")}, "ComboBox"},
        {"CheckBox", {QStringLiteral("checked"), QStringLiteral("unchecked")}, "CheckBox"},
        {"QButtonGroup", {QStringLiteral("selected"), QStringLiteral("unselected")}, "Radio"},
        {"MathLabel", {QStringLiteral("changed")}, "Math"},
        {"TimerLabel", {QStringLiteral("changed")}, "Timer"},
        {"Knob", {QStringLiteral("changed")}, "Knob"},
        {"SpinBox", {QStringLiteral("changed")}, "SpinBox"},
        {"DoubleSpinBox", {QStringLiteral("changed")}, "DoubleSpinBox"},
        {"PushButton",
         {QStringLiteral("clicked"), QStringLiteral("pressed"), QStringLiteral("released")},
         "Button"},
        {"ToggleButton", {QStringLiteral("checked"), QStringLiteral("unchecked")}, "ToggleButton"},
    };
    for (const EventRule &rule : rules) {
        if (element->inherits(rule.className))
            return &rule;
    }
    return nullptr;
}

void PanelXmlReader::readAction(QObject *element, int number)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString event = text(attributes, "event");
    const QString objectName = element->objectName();
    if (!m_eventNames.contains(event))
        xmlMessage(tr("Unknown event \"%1\"in action: ").arg(event.toHtmlEscaped()), objectName, false);
    const EventRule *rule = eventRuleFor(element);
    if (rule && !rule->events.contains(event)) {
        xmlMessage(tr("Can't use event \"%1\" in UI element \"%2\"")
                       .arg(event.toHtmlEscaped(), QLatin1String(rule->typeName)),
                   objectName, false);
    }
    const QString command = readActionCommand(attributes);
    // Elements split a key at "_" into event and command: an event with "_"
    // would be read back as another action, so it is not recorded.
    if (!m_commandNames.contains(command) || event.contains(QLatin1Char('_'))) {
        if (!m_commandNames.contains(command))
            xmlMessage(tr("Unknown command \"%1\"in action: ").arg(command.toHtmlEscaped()), objectName,
                       false);
    } else {
        connectAction(actionKey(attributes), command, element);
        appendAction(attributes, element, number);
    }
    m_xml->skipCurrentElement();
}

void PanelXmlReader::appendAction(const QXmlStreamAttributes &attributes, QObject *element, int number)
{
    const QString key = actionKey(attributes);
    const QString index = QString::number(number);
    QVariantMap map = elementProperty(element, "data").toMap();
    QVariantList list = map.value(index).toList();
    list << key << text(attributes, "cond") << text(attributes, "data");
    // Elements read five entries for every sendUSB key, whatever its event.
    if (readActionCommand(attributes) == QLatin1String("sendUSB")) {
        usesTyk = true;
        list << text(attributes, "recdata") << text(attributes, "delay");
    }
    map.insert(index, list);
    setElementProperty(element, "data", map);
}

void PanelXmlReader::appendSetDefAction(QObject *element, const QXmlStreamAttributes &attributes, int number)
{
    if (!has(attributes, "setDef") && !has(attributes, "setdef"))
        return;
    const QString items = text(attributes, has(attributes, "setdef") ? "setdef" : "setDef");
    noteNamedTargets(QStringLiteral("setDef"), items, element->objectName());
    connectAction(QStringLiteral("selected_setDef"), QStringLiteral("setDef"), element);
    const QString index = QString::number(number);
    QVariantMap map = elementProperty(element, "data").toMap();
    QVariantList list = map.value(index).toList();
    list << QStringLiteral("selected_setDef") << text(attributes, "cond") << items;
    map.insert(index, list);
    setElementProperty(element, "data", map);
}

void PanelXmlReader::connectAction(const QString &key, const QString &command, QObject *element)
{
    if (raisesSignal(element, key))
        m_panel->wiring().connectAction(key, command, element);
}

// ---------------------------------------------------------------------------
// Locks and the window's value connections

void PanelXmlReader::readLockOn(QObject *element, const QXmlStreamAttributes &attributes, int number)
{
    QVariantMap map = elementProperty(element, "locks").toMap();
    map.insert(QString::number(number), text(attributes, "lockon").split(QLatin1Char(';')));
    setElementProperty(element, "locks", map);
}

void PanelXmlReader::hookLocks(QObject *element, const QXmlStreamAttributes &attributes, int number)
{
    if (!has(attributes, "lockon"))
        return;
    noteNamedTargets(QStringLiteral("lockon"), text(attributes, "lockon"), element->objectName());
    readLockOn(element, attributes, number);
    if (raisesSignal(element, QStringLiteral("sendLock")))
        m_panel->wiring().connectLocks(element);
}

void PanelXmlReader::connectValueElement(QObject *element, unsigned connections)
{
    // Elements still without their value handling lack the signals. The
    // element's signals are looked up once for all its connections.
    ElementSignalState *signalSet = signalStateOf(element);
    if (!signalSet)
        return;
    if (connections & ChangedByUser && signalSet->raises(QStringLiteral("changedByUser")))
        m_panel->wiring().connectChangedByUser(element);
    if (!signalSet->raises(QStringLiteral("updateMathLabels")))
        return;
    static const struct {
        ValueConnection flag;
        Panel::RefreshSlot slot;
    } updates[] = {
        {ToMathLabels, &Panel::on_updateMathLabel},
        {ToLeds, &Panel::on_updateLED},
        {ToSvgImages, &Panel::on_updateSvgImage},
        {ToCurves, &Panel::on_updateCurve},
        {ToDials, &Panel::on_updateDial},
        {ToThermos, &Panel::on_updateThermo},
        {ToLogs, &Panel::on_updateLog},
    };
    Panel::RefreshSlot refreshSlots[sizeof updates / sizeof *updates];
    int count = 0;
    for (const auto &update : updates) {
        if (connections & update.flag)
            refreshSlots[count++] = update.slot;
    }
    m_panel->wiring().connectRefreshSlots(signalSet, refreshSlots, count);
}

void PanelXmlReader::requireDefine(const QString &define, const QString &kind)
{
    if (define.isEmpty())
        xmlMessage(tr("%1 without define is not allowed: ").arg(kind), QString(), true);
}
