// PanelXmlReader: the spin box builders (integer, hexadecimal, floating point).
#include "panelxmlreader.h"

#include "container.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "hexspinbox.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "spinbox.h"

#include <QXmlStreamReader>

#include <cmath>
#include <limits>

using namespace PanelXml;

// A default to check against the range: decimal, else "0x" hexadecimal, else 0.
static qint64 integerDefault(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (ok)
        return value;
    if (text.startsWith(QLatin1String("0x"))) {
        const qint64 hex = text.toLongLong(&ok, 16);
        if (ok)
            return hex;
    }
    return 0;
}

// A double shown as an integer in a message: truncated, and kept within int.
static int truncatedToInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double limit = std::numeric_limits<int>::max();
    return int(std::trunc(qBound(-limit - 1, value, limit)));
}

static void setPrefixAndSuffix(QAbstractSpinBox *box, const QXmlStreamAttributes &attributes)
{
    const auto apply = [&](auto *spinBox) {
        if (has(attributes, "prefix"))
            spinBox->setPrefix(text(attributes, "prefix"));
        if (has(attributes, "suffix"))
            spinBox->setSuffix(text(attributes, "suffix"));
    };
    if (auto *ours = qobject_cast<SpinBox *>(box)) {
        // Its prefix waits for the text's first layout.
        if (has(attributes, "prefix"))
            ours->setShownPrefix(text(attributes, "prefix"));
        if (has(attributes, "suffix"))
            ours->setSuffix(text(attributes, "suffix"));
    } else if (auto *integer = qobject_cast<QSpinBox *>(box)) {
        apply(integer);
    } else if (auto *floating = qobject_cast<QDoubleSpinBox *>(box)) {
        apply(floating);
    }
}

bool PanelXmlReader::readIntegerRange(const QXmlStreamAttributes &attributes, const QString &define,
                                      const QString &word, int *min, int *max)
{
    bool minOk = false;
    bool maxOk = false;
    readRange(attributes, min, &minOk, max, &maxOk);
    if (!minOk)
        panelMistake(tr("min range in %1 is not a valid number").arg(word), define);
    if (!maxOk)
        panelMistake(tr("max range in %1 is not a valid number").arg(word), define);
    if (*min > *max) {
        panelMistake(tr("min > max in %1").arg(word), define);
        return false;
    }
    return true;
}

void PanelXmlReader::checkIntegerDefault(const QXmlStreamAttributes &attributes, const QString &define,
                                         double min, double max)
{
    if (!has(attributes, "default"))
        return;
    const qint64 value = integerDefault(text(attributes, "default"));
    if (value < min || value > max) {
        reportDefaultOutOfRange(define, QString::number(value), QString::number(truncatedToInt(min)),
                                QString::number(truncatedToInt(max)));
    }
}

// The range and default check of the two integer spin boxes.
void PanelXmlReader::readSpinBoxRange(const QXmlStreamAttributes &attributes, QSpinBox *box,
                                      const QString &define, const QString &word)
{
    if (!has(attributes, "range"))
        return;
    int min = 0;
    int max = 0;
    if (readIntegerRange(attributes, define, word, &min, &max))
        box->setRange(min, max);
    checkIntegerDefault(attributes, define, box->minimum(), box->maximum());
}

// A step written as a hexadecimal or decimal integer literal.
static bool integerStep(const QString &step, int *value)
{
    if (isHexLiteral(step))
        *value = parseNumberLiteral(step).toInt();
    else if (isDecimalLiteral(step))
        *value = step.toInt();
    else
        return false;
    return true;
}

int PanelXmlReader::readIntegerStep(const QXmlStreamAttributes &attributes)
{
    int step = 0;
    if (!integerStep(text(attributes, "step"), &step))
        attributeWarning(tr("\"step\" attribute invalid."), attributes);
    return step;
}

void PanelXmlReader::readSpinBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    SpinBox *box = parent->createSpinBox(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Spinbox"));
    readSpinBoxRange(attributes, box, define, QStringLiteral("spinbox"));
    readDefineAttributes(attributes, box, header, define);
    readCommonAttributes(attributes, box);
    readActions(box, 0);
    setPrefixAndSuffix(box, attributes);
    if (has(attributes, "step"))
        box->setSingleStep(readIntegerStep(attributes));
    connectValueElement(box, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages | ToCurves | ToDials
                                 | ToThermos | ToLogs);
    box->setElementProperty("isRaised", false);
}

void PanelXmlReader::readHexSpinBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    HexSpinBox *box = parent->createHexSpinBox(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Hexspinbox"));
    readDefineAttributes(attributes, box, header, define);
    readCommonAttributes(attributes, box);
    readSpinBoxRange(attributes, box, define, QStringLiteral("hexspinbox"));
    setPrefixAndSuffix(box, attributes);
    if (has(attributes, "step"))
        box->setSingleStep(readIntegerStep(attributes));
    readActions(box, 0);
    connectValueElement(box, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages | ToCurves | ToLogs);
    box->setElementProperty("isRaised", false);
}

// A bound of a floating-point range: fractions as doubles, other literals as
// signed 32-bit integers; text or an empty part is no number.
static double doubleBound(const QString &part, bool *ok)
{
    const int notation = numberLiteralFormat(part);
    *ok = notation != OtherText && notation != EmptyText;
    if (!*ok)
        return 0.0;
    if (notation == FractionLiteral) {
        QString cleaned = part.trimmed();
        cleaned.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
        return cleaned.toDouble();
    }
    return parseNumberLiteral(part).toInt();
}

void PanelXmlReader::readDoubleSpinBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    DoubleSpinBox *box = parent->createDoubleSpinBox(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Doublespinbox"));

    if (has(attributes, "range")) {
        const QStringList parts = text(attributes, "range").split(QLatin1Char(';'));
        bool minOk = false;
        bool maxOk = false;
        const double min = doubleBound(parts.first(), &minOk);
        const double max = parts.size() == 2 ? doubleBound(parts.at(1), &maxOk) : 0.0;
        if (!minOk)
            panelMistake(tr("min range in doublespinbox is not a valid number"), define);
        if (!maxOk)
            panelMistake(tr("max range in doublespinbox is not a valid number"), define);
        if (min > max)
            panelMistake(tr("min > max in doublespinbox"), define);
        else
            box->setRange(min, max);
        if (has(attributes, "default")) {
            const QString defaultText = text(attributes, "default");
            bool ok = false;
            double value = defaultText.toDouble(&ok);
            if (!ok && defaultText.startsWith(QLatin1String("0x")))
                value = defaultText.toInt(&ok, 16);
            if (!ok)
                value = 0.0;
            if (value < box->minimum() || value > box->maximum()) {
                reportDefaultOutOfRange(define, QString::number(truncatedToInt(value)),
                                        QString::number(truncatedToInt(box->minimum())),
                                        QString::number(truncatedToInt(box->maximum())));
            }
        }
    }
    readDefineAttributes(attributes, box, header, define);
    readCommonAttributes(attributes, box);
    readActions(box, 0);
    setPrefixAndSuffix(box, attributes);
    if (has(attributes, "step")) {
        const QString stepText = text(attributes, "step");
        int integer = 0;
        bool ok = integerStep(stepText, &integer);
        const double step = ok ? integer : stepText.toDouble(&ok);
        if (!ok)
            attributeWarning(tr("\"step\" attribute invalid."), attributes);
        box->setSingleStep(ok ? step : 0.0);
    }
    m_panel->wiring().connectDoubleSpinBoxValue(box);
    connectValueElement(box, ToMathLabels | ToSvgImages);
    setElementProperty(box, "isRaised", false);
}
