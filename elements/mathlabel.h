#pragma once

#include "valueelement.h"

#include <QByteArray>
#include <QLabel>
#include <QStringList>

class ElementHost;

// How a formula label hands its value to its display format: chosen from the
// format's conversion ("%d" Integer, "%x" Hex, "%f" Fixed, "%e" and "%g"
// General, "%b" Binary, the label's own base-2 rendering).
enum MathFormatKind {
    MathFormatGeneral = 0,
    MathFormatInteger = 1,
    MathFormatHex = 2,
    MathFormatFixed = 3,
    MathFormatBinary = 4,
};

// The panel element "math": a label that shows the result of a formula over
// other elements' defines and target variables. The panel evaluates the
// formula when one of its inputs changes and hands the result to setValue;
// the label formats and shows it, runs its own actions (sendUSB, setDef) and
// announces its new value, so that what reads the label follows in turn.
//
// A display format holds exactly one conversion, d i u x X f e g or b, with
// flags, width and precision (each at most 99), and any literal text around
// it ("%%" for a percent sign). Integer conversions show the low 32 bits of
// the value unless they carry the "ll" modifier.
class MathLabel : public QLabel, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    // An empty name gives "MATH_<n>", n counting up from 0 for the process.
    explicit MathLabel(const QString &name, QWidget *parent = nullptr);

    // The format a label shows with until it is given one.
    static QByteArray defaultFormat() { return QByteArrayLiteral("%4.2f"); }
    // The conversion character of a usable display format; 0 for a format
    // the label does not show with.
    static char formatConversion(const QByteArray &format);

    // Stores the format and chooses its kind from the conversion; a Hex
    // format sets the "prefix" property to "0x". A format the label cannot
    // show with is reported ("Unknown format") and fallback is used instead.
    void setFormat(const QByteArray &format, const QByteArray &fallback = defaultFormat());
    QByteArray format() const { return m_format; }
    MathFormatKind formatKind() const { return m_kind; }

    // Stores, formats and shows the value, runs the actions and, for a label
    // with a name, emits updateMathLabels.
    void setValue(double value);
    double currentValue() const { return m_value; }

    void setPostfixTokens(QStringList tokens) { m_postfixTokens = std::move(tokens); }
    void setLiterals(const QStringList &literals) { m_literals = literals; }
    void setVariables(const QStringList &variables) { m_variables = variables; }
    QStringList postfixTokens() const { return m_postfixTokens; }
    QStringList literals() const { return m_literals; }
    QStringList variables() const { return m_variables; }

    // Runs every sendUSB and setDef action of the label whose condition
    // holds, whatever its event: changed_sendUSB and changed_recData (then
    // the delay), or changed_setDef. False when the label went away meanwhile.
    bool runActions();

    // ---- ActiveElement
    // The label text: "prefix", the text, "suffix".
    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void enable(bool on) override;
    // Sets "max", the highest value the bits hold (-1: no range check).
    bool acceptsBitRange(int msb, int lsb) override;
    // Marks the project and the label's header changed, then the tool tip.
    void updateToolTip() override;

private:
    // The number as the display shows it; binaryAsDecimal: the Binary kind
    // gives the integer in decimal.
    QString numberText(bool binaryAsDecimal) const;

    QByteArray m_format;
    MathFormatKind m_kind = MathFormatGeneral;
    double m_value = 0.0;
    QStringList m_postfixTokens;
    QStringList m_literals;
    QStringList m_variables;
};

// Formula labels read by other elements (a table's commands) and edited in
// the panel editor.
// The element's formula evaluated over host now, when the element is a
// formula label (0 when the formula does not evaluate); false for any other element.
bool formulaResultOf(ActiveElement *element, ElementHost *host, double *result);
// Shows result on the element when it is a formula label (MathLabel::setValue).
void showFormulaResult(ActiveElement *element, double result);
// Gives a formula label the formula as written (its postfix form, numbers,
// names and "expression"); the label, to be registered with the panel under
// its new names, or null when the element is no formula label.
MathLabel *setLabelFormula(QWidget *element, const QString &formula);
