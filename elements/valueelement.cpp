#include "valueelement.h"

#include "elementconditions.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "eventfilters.h"
#include "numberliteral.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

QList<ElementAction> readElementActions(const QVariant &data, const QString &key)
{
    const QVariantList list = data.toMap().value(key).toList();
    QList<ElementAction> actions;
    for (int i = 0; i < list.size();) {
        const QStringList parts = list.at(i).toString().split(QLatin1Char('_'));
        ElementAction action;
        action.event = parts.value(0);
        action.kind = parts.value(1);
        const int size = action.kind == QLatin1String("sendUSB") ? 5 : 3;
        if (i + size > list.size())
            break;
        action.condition = list.at(i + 1).toString();
        action.data = list.at(i + 2).toString();
        if (size == 5) {
            action.recData = list.at(i + 3).toString();
            action.delay = list.at(i + 4).toString();
        }
        actions.append(action);
        i += size;
    }
    return actions;
}

void waitProcessingEvents(const QDeadlineTimer &deadline)
{
    while (!deadline.hasExpired()) {
        QEventLoop slice;
        QTimer::singleShot(int(qBound<qint64>(0, deadline.remainingTime(), 2)), &slice, &QEventLoop::quit);
        slice.exec();
    }
}

quint64 defineValueOf(quint64 value, int lsb)
{
    if (lsb < 0)
        return value;
    return lsb >= 64 ? 0 : value << lsb;
}

quint64 fieldValueOf(quint64 defineValue, int lsb)
{
    if (lsb < 0)
        return defineValue;
    return lsb >= 64 ? 0 : defineValue >> lsb;
}

QString integerLiteralText(const QString &text)
{
    bool ok = false;
    if (isHexLiteral(text)) {
        QString digits = text;
        digits.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
        const quint64 value = digits.mid(2).toULongLong(&ok, 16);
        return ok ? QString::number(value) : QString();
    }
    if (!isDecimalLiteral(text))
        return QString();
    if (text.startsWith(QLatin1Char('-'))) {
        const qint64 value = text.toLongLong(&ok, 10);
        return ok ? QString::number(value) : QString();
    }
    const quint64 value = text.toULongLong(&ok, 10);
    return ok ? QString::number(value) : QString();
}

int indexFromLiteral(const QString &text, int count)
{
    bool ok = false;
    const qint64 number = integerLiteralText(text).toLongLong(&ok, 10);
    return ok && number >= 0 && number < count ? int(number) : -1;
}

QString defineValueText(const QString &valueText, int lsb)
{
    bool ok = false;
    quint64 value = valueText.toULongLong(&ok, 10);
    if (!ok)
        value = quint64(valueText.toLongLong(&ok, 10));
    return QString::number(quint32(defineValueOf(value, lsb)));
}

// ---------------------------------------------------------------------------

ElementGuard::ElementGuard(QObject *element, const ElementHost *host)
    : m_element(element)
    , m_host(host)
{
    if (m_host)
        m_host->beginElementCode();
    QWidget *panel = host ? host->panelWidget() : nullptr;
    for (QObject *object = element; object && panel; object = object->parent()) {
        if (object == panel) {
            m_panel = panel;
            m_inPanel = true;
            break;
        }
    }
}

ElementGuard::ElementGuard(const ElementGuard &other)
    : m_element(other.m_element)
    , m_host(other.m_host)
    , m_panel(other.m_panel)
    , m_inPanel(other.m_inPanel)
{
    if (m_host)
        m_host->beginElementCode();
}

ElementGuard &ElementGuard::operator=(const ElementGuard &other)
{
    if (this == &other)
        return *this;
    if (other.m_host)
        other.m_host->beginElementCode();
    if (m_host)
        m_host->endElementCode();
    m_element = other.m_element;
    m_host = other.m_host;
    m_panel = other.m_panel;
    m_inPanel = other.m_inPanel;
    return *this;
}

ElementGuard::~ElementGuard()
{
    if (m_host)
        m_host->endElementCode();
}

bool ElementGuard::alive() const
{
    if (!m_element)
        return false;
    if (!m_inPanel)
        return true;
    // Replacing the panel hides the old central widget and deletes it later.
    return m_panel && m_host && m_host->panelWidget() == m_panel;
}

// ---------------------------------------------------------------------------

// The notifications every value element raises: one list shared by all.
static const QStringList &valueNotifications()
{
    static const QStringList notifications{QStringLiteral("changedByUser"), QStringLiteral("updateMathLabels")};
    return notifications;
}

ValueElement::ValueElement(QObject *object)
    : m_object(object)
    , m_signalState(object, valueNotifications())
{
}

ValueElement::~ValueElement() = default;

void ValueElement::setElementProperty(const char *name, const QVariant &value)
{
    const int key = m_attributes.keyOf(name, m_object);
    if (key >= 0)
        m_attributes.setValue(key, value);
    else
        m_object->setProperty(name, value);
}

QVariant ValueElement::elementProperty(const char *name)
{
    const int key = m_attributes.keyOf(name, m_object);
    return key >= 0 ? m_attributes.value(key) : m_object->property(name);
}

void ValueElement::updateMathLabels()
{
    m_signalState.raise(&ElementSignals::updateMathLabels);
}

void ValueElement::updateToolTip()
{
    m_toolTipStale = true;
    installToolTipRequests();
}

void ValueElement::ensureToolTip()
{
    if (!m_toolTipStale)
        return;
    m_toolTipStale = false;
    if (auto *widget = qobject_cast<QWidget *>(m_object))
        widget->setToolTip(buildToolTip(this, host() ? host()->toolTipSections() : 0xffff));
}

QStringList ValueElement::lockTexts(const QString &key)
{
    return elementProperty("locks").toMap().value(key).toStringList();
}

int ValueElement::lsb()
{
    const QVariant value = elementProperty("lsb");
    return value.isValid() ? value.toInt() : -1;
}

void ValueElement::finishInitialize(QWidget *confirmTarget)
{
    if (host() && host()->feedsFormula(m_object->objectName()))
        updateMathLabels();
    updateToolTip();
    if (confirmTarget)
        installConfirmation(confirmTarget);
}

void ValueElement::installConfirmation(QWidget *widget)
{
    if (!elementProperty("confirmation").toString().isEmpty())
        widget->installEventFilter(new QInputEventRecorder(widget));
}

bool ValueElement::runActions(const ElementGuard &guard, const ActionRules &rules, const QString &key)
{
    const QList<ElementAction> actions = readElementActions(elementProperty("data"), key);
    for (const ElementAction &action : actions) {
        if (!rules.kinds.contains(action.kind))
            continue;
        if (rules.eventApplies && !rules.eventApplies(action.event))
            continue;
        // A condition may report an error, and an error box runs its own event loop.
        const bool applies = evaluateCondition(action.condition, host());
        if (!guard.alive())
            return false;
        if (!applies)
            continue;
        const QString event = rules.signalEvent.isEmpty() ? action.event : rules.signalEvent;
        if (action.kind != QLatin1String("sendUSB")) {
            m_signalState.emitText(rules.signalEvents.value(action.kind, event) + QLatin1Char('_') + action.kind,
                       action.data);
            if (!guard.alive())
                return false;
            continue;
        }
        const QDeadlineTimer deadline(qMax<qint64>(0, action.delay.toLongLong()));
        m_signalState.emitText(rules.signalEvents.value(action.kind, event) + QStringLiteral("_sendUSB"),
                   action.data);
        if (!guard.alive())
            return false;
        m_signalState.emitText(rules.signalEvents.value(QStringLiteral("recData"), event) + QStringLiteral("_recData"),
                   action.recData);
        if (!guard.alive())
            return false;
        waitProcessingEvents(deadline);
        if (!guard.alive())
            return false;
    }
    return true;
}

bool ValueElement::runChoiceWalk(const ElementGuard &guard, const QString &newKey, const QString &oldKey,
                                 const QStringList &kinds, const QHash<QString, QString> &unselectedEvents)
{
    ActionRules selected;
    selected.kinds = kinds;
    selected.eventApplies = [](const QString &event) { return event == QLatin1String("selected"); };
    ActionRules unselected;
    unselected.kinds = kinds;
    unselected.eventApplies = [](const QString &event) { return event == QLatin1String("unselected"); };
    unselected.signalEvents = unselectedEvents;
    return runActions(guard, selected, newKey) && runActions(guard, unselected, oldKey)
        && sendLockTexts(guard, oldKey, false) && sendLockTexts(guard, newKey, true)
        && emitEach(guard, QStringLiteral("selected_setDef"), textListProperty("default_setdef"));
}

bool ValueElement::emitEach(const ElementGuard &guard, const QString &signalName, const QStringList &texts)
{
    for (const QString &text : texts) {
        m_signalState.emitText(signalName, text);
        if (!guard.alive())
            return false;
    }
    return true;
}

bool ValueElement::sendLockTexts(const ElementGuard &guard, const QString &key, bool lock)
{
    return emitEach(guard, lock ? QStringLiteral("sendLock") : QStringLiteral("sendUnlock"), lockTexts(key));
}

void ValueElement::recordSet(const QWidget *focusWidget, const QString &value, const QString &consoleValue)
{
    if (!host() || !host()->isRecording() || !focusWidget || !focusWidget->hasFocus())
        return;
    const auto line = [this](const QString &text) {
        return QStringLiteral("Set(%1, %2)").arg(m_object->objectName(), text);
    };
    host()->recordScriptLine(line(value), line(consoleValue.isEmpty() ? value : consoleValue));
}

void ValueElement::userChoice(const QWidget *focusWidget, int index, int *storedIndex)
{
    recordSet(focusWidget, QString::number(index));
    ElementGuard guard(m_object, host());
    m_signalState.raise(&ElementSignals::changedByUser);
    if (guard.alive())
        *storedIndex = index;
}

QString ValueElement::unsupportedKeyword(int keyword)
{
    reportUnsupportedValueKind(m_object, keyword);
    return QString();
}

void ValueElement::markModified()
{
    if (host())
        host()->markModified(this);
}

QString ValueElement::resolveReference(const QString &text)
{
    const int keyword = keywordSuffixIndexOf(text);
    QString name = text;
    stripKeywordSuffix(name, keyword);
    ActiveElement *other = host() ? host()->getActiveElement(name) : nullptr;
    return other ? other->value(keyword, 1) : text;
}

void ValueElement::enableUnlessLocked(QWidget *widget, bool on)
{
    if (!locked)
        widget->setEnabled(on);
}
