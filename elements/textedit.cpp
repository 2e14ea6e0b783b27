#include "textedit.h"

#include "definevalue.h"
#include "errorreporter.h"
#include "kindedits.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

TextEdit::TextEdit(const QString &name, QWidget *parent)
    : QTextEdit(parent)
    , ValueElement(this)
{
    // Pasted text arrives as plain text.
    setAcceptRichText(false);
    setTextInteractionFlags(textInteractionFlags() | Qt::LinksAccessibleByMouse);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    setObjectName(name);
}

QSize TextEdit::sizeHint() const
{
    return QSize(20, 20);
}

void TextEdit::mouseReleaseEvent(QMouseEvent *event)
{
    const QString anchor = anchorAt(event->pos());
    if (!anchor.isEmpty()) {
        QDesktopServices::openUrl(QUrl(anchor));
        return;
    }
    // Elsewhere the release ends a selection as usual.
    QTextEdit::mouseReleaseEvent(event);
}

void TextEdit::initialize()
{
    connect(this, &QTextEdit::textChanged, this, &TextEdit::valueChangedByUser, Qt::UniqueConnection);
    updateToolTip();
    installConfirmation(this);
}

void TextEdit::updateToolTip()
{
    setToolTip(toHtml());
}

// ---------------------------------------------------------------------------
// Change paths

void TextEdit::valueChangedByUser()
{
    recordSet(this, singleLineText());
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    m_storedValue = toHtml();
    updateToolTip();
}

void TextEdit::valueChanged(const QString &text)
{
    ElementGuard guard(this, host());
    sendData(text);
    if (!guard.alive())
        return;
    markModified();
    updateToolTip();
}

void TextEdit::sendData(const QString &text)
{
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changed_sendUSB, text);
    if (guard.alive())
        signalState().raise(&ElementSignals::changed_setDef, text);
}

void TextEdit::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void TextEdit::makeReadOnly()
{
    setReadOnly(true);
}

// ---------------------------------------------------------------------------
// Values

QString TextEdit::singleLineText() const
{
    return toPlainText().replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString TextEdit::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return toPlainText();
    case KeywordDefineValue:
        // A define is one line of a C header.
        return singleLineText();
    case KeywordTypeInfo:
        return QStringLiteral("EditBox");
    default:
        return unsupportedKeyword(keyword);
    }
}

void TextEdit::setValue(const QString &text, int keyword)
{
    if (keyword != KeywordValue) {
        reportInvalidSetValue(this, text);
        return;
    }
    setText(text);
}

void TextEdit::loadValue(const QString &text)
{
    {
        const QSignalBlocker blocker(this);
        if (text.isEmpty())
            clear();
        else
            setHtml(text);
    }
    m_storedValue = text;
}

void TextEdit::resetToDefault()
{
    m_storedValue = elementProperty("my_default").toString();
    setText(m_storedValue);
}

void TextEdit::reapplyStoredValue()
{
    setText(m_storedValue);
}

QString TextEdit::storedValueText()
{
    // The content as it stands, not the stored value.
    return toHtml();
}

bool TextEdit::acceptsBitRange(int msb, int lsb)
{
    // Only a whole define.
    return msb == -1 && lsb == -1;
}

ApplyResult TextEdit::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        if (beforeChange)
            beforeChange();
        setSignalsBlocked(this, [&] { setText(text); });
        valueChangedByUser();
        valueChanged(text);
        return ApplyResult::applied();
    }
    if (!isEnabled())
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    // The text change runs the user's slot (the recorder line); the actions
    // run on valueChanged.
    const QString before = toPlainText();
    setText(text);
    if (toPlainText() == before)
        valueChangedByUser();
    valueChanged(text);
    return ApplyResult::applied();
}

bool editTextEditRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *edit = qobject_cast<TextEdit *>(element);
    if (edit && row == QLatin1String("Label")) {
        edit->setPlainText(value);
        writes->append({QStringLiteral("label"), value});
        return true;
    }
    if (!edit || row != QLatin1String("Readonly"))
        return false;
    edit->setReadOnly(value.toInt() != 0);
    return true;
}

void listTextEditRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<TextEdit *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->toPlainText());
}

bool TextEdit::acceptsLockValue(const QString &value, bool labelLock) const
{
    Q_UNUSED(value)
    Q_UNUSED(labelLock)
    return true;
}

bool TextEdit::takeChosenFile(const QString &file)
{
    const QString before = toPlainText();
    setText(file);
    if (toPlainText() == before)
        valueChangedByUser();
    valueChanged(file);
    return true;
}
