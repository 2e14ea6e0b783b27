#include "lineedit.h"

#include "elementhost.h"
#include "errorreporter.h"
#include "numberliteral.h"

#include <QColor>
#include <QPalette>

// The keyword of the field's background colour.
static const int colorKeyword = 25;

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
    elementSignals()->raise(&ElementSignals::changedByUser);
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
    elementSignals()->raise(&ElementSignals::updateMathLabels);
    return guard.alive();
}

void LineEdit::enable(bool on)
{
    enableUnlessLocked(this, on);
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
