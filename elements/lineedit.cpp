#include "lineedit.h"

#include "definevalue.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "kindedits.h"
#include "numberliteral.h"

#include <QColor>
#include <QPalette>
#include <QRegularExpression>
#include <QValidator>

#include <algorithm>
#include <cmath>

// The keyword of the field's background colour.
static const int colorKeyword = 25;

namespace {

// A number as a numeric edit holds it: a literal of the panel notations
// within 64 bits (10, -3, 0x1F, (0x20u), 0b101, 2.5), or another finite
// floating-point number (-0.5, 1e3).
bool isNumberText(const QString &text)
{
    const int notation = numberLiteralFormat(text);
    if (notation == DecimalLiteral || notation == HexLiteral || notation == FractionLiteral
        || notation == BinaryLiteral)
        return parseNumberLiteral(text) != QLatin1String("0") || isZeroLiteral(text);
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// A numeric edit's typing rule: a number or nothing is a value; text that may
// still become a number is let through while typing; anything else is refused.
class NumberValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        Q_UNUSED(pos)
        if (input.isEmpty() || isNumberText(input))
            return Acceptable;
        static const QRegularExpression start(QStringLiteral(
            "^\\s*\\(?[-+]?(0[xb]?)?[0-9a-fA-F]*\\.?[0-9]*([eE][-+]?[0-9]*)?u?\\)?\\s*$"));
        return start.match(input).hasMatch() ? Intermediate : Invalid;
    }
};

} // namespace

LineEdit::LineEdit(const QString &name, QWidget *parent)
    : QLineEdit(parent)
    , ValueElement(this)
{
    setObjectName(name);
}

void LineEdit::initialize()
{
    connect(this, &QLineEdit::textEdited, this, &LineEdit::valueChangedByUser, Qt::UniqueConnection);
    connect(this, &QLineEdit::textChanged, this, &LineEdit::valueChanged, Qt::UniqueConnection);
    updateToolTip();
    installConfirmation(this);
}

void LineEdit::setNumeric(bool on)
{
    m_numeric = on;
    if (on && !validator()) {
        if (!m_numberValidator)
            m_numberValidator = new NumberValidator(this);
        setValidator(m_numberValidator);
    } else if (!on && validator() == m_numberValidator) {
        setValidator(nullptr);
    }
}

bool LineEdit::acceptsText(const QString &text) const
{
    if (const QValidator *rule = validator()) {
        QString typed = text;
        int position = typed.size();
        if (rule->validate(typed, position) != QValidator::Acceptable)
            return false;
    }
    if (!inputMask().isEmpty()) {
        // The mask keeps what fits it and drops the rest; the text must come
        // through whole and complete.
        QLineEdit masked;
        masked.setInputMask(inputMask());
        masked.setText(text);
        if (!masked.hasAcceptableInput() || masked.text() != text)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Change paths

void LineEdit::valueChanged(const QString &text)
{
    Q_UNUSED(text)
    if (!runSendData())
        return;
    markModified();
    updateToolTip();
}

void LineEdit::valueChangedByUser(const QString &text)
{
    // The line edit writes its value right after the comma.
    if (host() && host()->isRecording() && hasFocus()) {
        const QString line = QStringLiteral("Set(%1,%2)").arg(objectName(), text);
        host()->recordScriptLine(line, line);
    }
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    m_storedValue = text;
}

void LineEdit::sendData(const QString &text)
{
    Q_UNUSED(text)
    runSendData();
}

bool LineEdit::runSendData()
{
    ElementGuard guard(this, host());
    ActionRules rules;
    rules.kinds = QStringList{QStringLiteral("setDef"), QStringLiteral("runScript")};
    rules.signalEvent = QStringLiteral("changed");
    if (!runActions(guard, rules))
        return false;
    signalState().raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void LineEdit::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void LineEdit::makeReadOnly()
{
    setReadOnly(true);
}

// ---------------------------------------------------------------------------
// Values

QString LineEdit::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return m_numeric ? parseNumberLiteral(text()) : text();
    case KeywordDefineValue:
        return text();
    case KeywordTypeInfo:
        return QStringLiteral("LineEdit");
    default:
        return unsupportedKeyword(keyword);
    }
}

void LineEdit::setValue(const QString &text, int keyword)
{
    if (keyword == KeywordValue) {
        if (!acceptsText(text)) {
            reportInvalidSetValue(this, text);
            return;
        }
        // Not blocked: the actions run.
        setText(text);
        return;
    }
    bool ok = false;
    const QRgb rgb = keyword == colorKeyword ? text.toUInt(&ok, 10) : 0;
    if (!ok) {
        reportInvalidSetValue(this, text);
        return;
    }
    QPalette colors = palette();
    colors.setBrush(QPalette::Base, QColor(rgb));
    setPalette(colors);
}

void LineEdit::loadValue(const QString &text)
{
    if (!acceptsText(text)) {
        reportInvalidLoadValue(this, text);
        return;
    }
    {
        const QSignalBlocker blocker(this);
        setText(text);
    }
    m_storedValue = text;
}

void LineEdit::resetToDefault()
{
    m_storedValue = elementProperty("my_default").toString();
    // The field never shows its default cut off.
    const int width = fontMetrics().horizontalAdvance(m_storedValue) + 10;
    if (width > minimumWidth())
        setMinimumWidth(width);
    setText(m_storedValue);
}

void LineEdit::reapplyStoredValue()
{
    setText(m_storedValue);
}

QString LineEdit::storedValueText()
{
    return m_storedValue;
}

bool LineEdit::acceptsBitRange(int msb, int lsb)
{
    // Only a whole define.
    return msb == -1 && lsb == -1;
}

ApplyResult LineEdit::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        // The field's typing rule holds for a define value too.
        if (!acceptsText(text))
            return ApplyResult::refused(ApplyResult::InvalidValue);
        if (beforeChange)
            beforeChange();
        setSignalsBlocked(this, [&] { setText(text); });
        valueChangedByUser(text);
        valueChanged(text);
        return ApplyResult::applied();
    }
    if (!isEnabled())
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    const bool same = this->text() == text;
    setText(text);
    if (same)
        valueChanged(text);
    valueChangedByUser(text);
    return ApplyResult::applied();
}

bool editLineEditRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *edit = qobject_cast<LineEdit *>(element);
    if (edit && row == QLatin1String("Label")) {
        edit->setText(value);
        writes->append({QStringLiteral("label"), value});
        return true;
    }
    if (!edit || row != QLatin1String("Readonly"))
        return false;
    edit->setReadOnly(value.toInt() != 0);
    return true;
}

void listLineEditRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<LineEdit *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
}

bool LineEdit::acceptsLockValue(const QString &value, bool labelLock) const
{
    Q_UNUSED(value)
    Q_UNUSED(labelLock)
    return true;
}

bool LineEdit::takeChosenFile(const QString &file)
{
    // The text change runs the actions once; the user's slot keeps the value.
    const bool same = text() == file;
    setText(file);
    if (same)
        valueChanged(file);
    valueChangedByUser(file);
    return true;
}
