#include "combobox.h"

#include "consolelinks.h"
#include "definevalue.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "eventfilters.h"
#include "kindedits.h"
#include "registermodel.h"

#include <QSet>

#include <algorithm>
#include <climits>

static const QString hideMark = QStringLiteral("$$$HIDE$$$");
static const QString overrideMark = QStringLiteral("$$$OVERRIDE$$$");

ComboBox::ComboBox(const QString &name, QWidget *parent)
    : QComboBox(parent)
    , ValueElement(this)
{
    setObjectName(name);
    installWheelGuard(this);
}

void ComboBox::initialize()
{
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ComboBox::valueChanged,
            Qt::UniqueConnection);
    connect(this, QOverload<int>::of(&QComboBox::activated), this, &ComboBox::valueChangedByUser,
            Qt::UniqueConnection);
    warnDuplicates();
    finishInitialize(this);
}

void ComboBox::warnDuplicates()
{
    QSet<QString> values;
    QSet<QString> texts;
    for (int i = 0; i < count(); ++i) {
        values.insert(itemData(i).toString());
        texts.insert(itemText(i));
    }
    const QString link = linkTarget(objectName());
    const QString line = QStringLiteral("<font color=\"orange\"> <b>XML Warning: </font>Combobox "
                                        "<a href=\"%1\">%2</a> has duplicate %3.</b><br>");
    // Loading goes on: both are warnings only.
    if (values.size() < count())
        logMessage(line.arg(link, objectName(), QStringLiteral("values")));
    if (texts.size() < count())
        logMessage(line.arg(link, objectName(), QStringLiteral("texts")));
}

// ---------------------------------------------------------------------------
// Items

void ComboBox::appendItem(const QString &text, const QVariant &value)
{
    if (text.startsWith(hideMark))
        return;
    QComboBox::addItem(QIcon(), text, value);
}

void ComboBox::setLastItemToolTip(const QString &text)
{
    if (!text.isEmpty() && count() > 0)
        setItemData(count() - 1, text, Qt::ToolTipRole);
}

int ComboBox::findExactly(const QString &text, int role) const
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i, role).toString() == text)
            return i;
    }
    return -1;
}

int ComboBox::indexFromText(const QString &text, int keyword)
{
    const QString valueText = resolveReference(text);
    switch (keyword) {
    case KeywordValue: {
        const QString number = integerLiteralText(valueText);
        return number.isEmpty() ? -1 : findExactly(number, Qt::UserRole);
    }
    case KeywordLabel:
        return findExactly(valueText, Qt::DisplayRole);
    case KeywordIndex:
        return indexFromLiteral(valueText, count());
    default:
        return -1;
    }
}

void ComboBox::addItem(const QString &name, const QString &text, int value)
{
    const QVariantMap overrides = elementProperty("override").toMap();
    const QString valueText = QString::number(value);
    // Hidden by name or by value, as the panel's hide entries name either.
    if (overrides.value(name).toString() == hideMark || overrides.value(valueText).toString() == hideMark)
        return;

    // A placeholder of the panel takes the value in its own place, so the
    // actions and locks filed under its index stay with it.
    int index = findExactly(overrideMark + name, Qt::DisplayRole);
    QString shown = overrides.value(name).toString();
    if (index < 0) {
        index = findExactly(overrideMark + valueText, Qt::DisplayRole);
        shown = overrides.value(valueText).toString();
        if (shown.isEmpty())
            shown = text;
    }
    if (index >= 0) {
        setItemText(index, shown);
        setItemData(index, valueText, Qt::UserRole);
    } else {
        appendItem(text, valueText);
    }
    ActiveElement::addItem(name, text, value);
}

// ---------------------------------------------------------------------------
// Change paths

void ComboBox::valueChanged(int index)
{
    // An emptied list reports -1.
    if (index == -1)
        return;
    if (!runSendData(index))
        return;
    m_currentIndex = index;
    markModified();
    updateToolTip();
}

void ComboBox::valueChangedByUser(int index)
{
    userChoice(this, index, &m_storedIndex);
}

void ComboBox::sendData(int index)
{
    runSendData(index);
}

bool ComboBox::runSendData(int index)
{
    ElementGuard guard(this, host());
    if (isEnabled()) {
        // The kinds without an unselected signal use the selected one; the
        // window connects no unselected receive signal.
        const QString selected = QStringLiteral("selected");
        if (!runChoiceWalk(guard, QString::number(index), QString::number(m_currentIndex),
                           {QStringLiteral("sendUSB"), QStringLiteral("setDef"), QStringLiteral("runScript"),
                            QStringLiteral("loadFile")},
                           {{QStringLiteral("recData"), selected}, {QStringLiteral("runScript"), selected},
                            {QStringLiteral("loadFile"), selected}}))
            return false;
    }
    signalState().raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void ComboBox::sendLocks(bool on)
{
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    sendLockTexts(guard, QString::number(currentIndex()), on);
}

void ComboBox::emitSendLock(const QString &lock)
{
    signalState().raise(&ElementSignals::sendLock, lock);
}

void ComboBox::applyLocks()
{
    if (isEnabled())
        sendLocks(true);
}

void ComboBox::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void ComboBox::makeReadOnly()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------
// Values

QString ComboBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return currentData().toString();
    case KeywordLabel:
        return currentText();
    case KeywordIndex:
        return QString::number(currentIndex());
    case KeywordDefineValue:
        return defineValueText(currentData().toString(), lsb());
    case KeywordTypeInfo:
        return QStringLiteral("ComboBox");
    case KeywordModule:
        return m_moduleName;
    default:
        return unsupportedKeyword(keyword);
    }
}

void ComboBox::listModuleRegisters(const QString &reference)
{
    ElementHost *window = host();
    if (!window)
        return;
    // MODCOMBO.module: the module another register list shows; else the
    // label of the element (a module chosen in a combo box).
    const QString moduleSuffix = QLatin1Char('.') + elementKeywords.at(KeywordModule);
    const bool module = reference.endsWith(moduleSuffix);
    const QString name = module ? reference.left(reference.size() - moduleSuffix.size()) : reference;
    ActiveElement *other = window->getActiveElement(name);
    if (!other)
        return;
    const QString moduleName = other->value(module ? KeywordModule : KeywordLabel, 1);
    ModuleRecord *record = moduleName.isEmpty() ? nullptr : window->getModule(moduleName);
    if (!record)
        return;

    struct Entry {
        quint32 offset;
        QString name;
        QString description;
    };
    QList<Entry> entries;
    for (auto it = record->registers.cbegin(); it != record->registers.cend(); ++it) {
        if (it.value() && it.value()->size() != 0)
            entries.append(Entry{quint32(it.value()->address), it.key(), it.value()->description});
    }
    // By address offset; registers at one offset by name, so the order never
    // depends on the hash.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.offset != b.offset ? a.offset < b.offset : a.name < b.name;
    });

    ElementGuard guard(this, host());
    m_moduleName = moduleName;
    clear();
    for (const Entry &entry : qAsConst(entries)) {
        if (!guard.alive())
            return;
        QComboBox::addItem(entry.name, QString::number(entry.offset));
        setItemData(count() - 1, entry.description, Qt::ToolTipRole);
    }
}

void ComboBox::setValue(const QString &text, int keyword)
{
    if (keyword == KeywordRegister) {
        listModuleRegisters(text);
        return;
    }
    if (keyword == KeywordModule)
        return;

    QString valueText = text;
    const int suffix = keywordSuffixIndexOf(text);
    if (suffix == KeywordModule || suffix == KeywordRegisterName) {
        QString name = text;
        stripKeywordSuffix(name, suffix);
        ElementHost *window = host();
        if (ActiveElement *other = window ? window->getActiveElement(name) : nullptr) {
            valueText = other->value(suffix, 1);
            // Nothing listed there yet.
            if (valueText.isEmpty())
                return;
        }
    }
    const int index = indexFromText(valueText, keyword);
    if (index < 0) {
        reportInvalidSetValue(this, text);
        return;
    }
    // Not blocked: the program's change path runs the actions.
    setCurrentIndex(index);
}

void ComboBox::loadValue(const QString &text)
{
    int index = findExactly(text, Qt::UserRole);
    if (index < 0) {
        bool ok = false;
        index = text.toInt(&ok, 10);
        if (!ok || index < 0 || index >= count()) {
            reportInvalidLoadValue(this, text);
            return;
        }
    }
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
    m_storedIndex = m_currentIndex = index;
}

void ComboBox::resetToDefault()
{
    QString text = elementProperty("my_default").toString();
    if (text.isEmpty()) {
        m_storedIndex = 0;
    } else {
        const int keyword = keywordIndexOf(text);
        stripKeyword(text, keyword);
        if (keyword == KeywordRegister) {
            // register=MODCOMBO: the registers of the module chosen there.
            ElementGuard guard(this, host());
            setValue(text, KeywordRegister);
            if (guard.alive())
                sendData(0);
            return;
        }
        m_storedIndex = indexFromText(text, keyword);
        if (m_storedIndex < 0) {
            reportInvalidSetValue(this, text);
            return;
        }
    }
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(m_storedIndex);
    }
    m_currentIndex = m_storedIndex;
}

void ComboBox::reapplyStoredValue()
{
    setCurrentIndex(m_storedIndex);
}

QString ComboBox::storedValueText()
{
    return itemData(m_storedIndex).toString();
}

bool ComboBox::acceptsBitRange(int msb, int lsb)
{
    // The items decide which values the field takes.
    Q_UNUSED(msb)
    Q_UNUSED(lsb)
    return true;
}

ApplyResult ComboBox::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        qint64 number = 0;
        if (!readDefineInteger(text, &number) || number < INT_MIN || number > INT_MAX)
            return ApplyResult::refused(ApplyResult::InvalidValue);
        const int n = int(number);
        if (n < 0 || n >= count())
            return ApplyResult::outOfRange(n, count() - 1, "setItem");
        if (beforeChange)
            beforeChange();
        setSignalsBlocked(this, [&] { setCurrentIndex(n); });
        valueChangedByUser(n);
        valueChanged(n);
        return ApplyResult::applied();
    }
    if (!isEnabled())
        return ApplyResult::applied();
    const int index = readUserDecimal(text);
    // A negative index is refused as well: no item list is indexed with it.
    if (index < 0 || index >= count())
        return ApplyResult::outOfRange(index, count() - 1, "setItem");
    if (beforeChange)
        beforeChange();
    // As a choice with the mouse: the index change runs the actions, the
    // user's slot records the line.
    const int before = currentIndex();
    setCurrentIndex(index);
    if (before == index)
        valueChanged(index);
    valueChangedByUser(index);
    return ApplyResult::applied();
}

void listComboBoxRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<ComboBox *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Items!") + editorDetailsText());
}

bool replaceComboItems(QWidget *element, const QList<QPair<QString, QString>> &items)
{
    auto *combo = qobject_cast<ComboBox *>(element);
    if (!combo)
        return false;
    QVariantList entries;
    combo->setElementProperty("itemText", QVariant());
    combo->clear();
    for (const auto &item : items) {
        entries << item.first + QStringLiteral("#$#") + item.second;
        combo->appendItem(item.first, item.second);
    }
    combo->setElementProperty("itemText", entries);
    return true;
}

bool ComboBox::acceptsLockValue(const QString &value, bool labelLock) const
{
    for (int i = 0; i < count(); ++i) {
        if (labelLock ? itemText(i) == value : itemData(i).toString() == value)
            return true;
    }
    return false;
}

QString ComboBox::lockEntryLabel(const QString &key, int position) const
{
    Q_UNUSED(position)
    return itemText(int(key.toUInt()));
}

QList<TestInputLine> ComboBox::testInputLines() const
{
    return {{TestInputLine::Set, 0, double(count())}};
}
