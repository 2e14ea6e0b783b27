#pragma once

// The number rules and console lines of the panel validator
// (PanelXmlReader::validateXmlFile, panelvalidator.cpp).

#include <QSet>
#include <QString>

// The values the bit suffix at the end of a define holds: "[n]" or "[n:m]"
// gives 2^(n-m+1) - 1 + add ("[7:0]" with add 0 gives 255, with add 1 256).
// -1 when the define has no such suffix, -2 when its width is 0 or less or
// more than 31 bits. A 31-bit range with add 1 does not fit an int and gives
// INT_MAX (unlimited).
int bitRangeCapacity(const QString &define, int add);

// The number of digits after the first "." followed by digits in text
// (0.125 gives 3, 5 gives 0); -1 for an empty text.
int decimalPlaces(const QString &text);

// A math element of a validated panel: its line and its formula, simplified
// and without blanks.
struct MathFormula {
    qint64 line = 0;
    QString formula;
};

namespace PanelValidation {

// text with "&", "<" and ">" written as entities.
QString escapeMarkup(QString text);

// One report of a validation run: the blue title line and the red list line;
// nothing when text is empty. Both go to the console and the log file.
void consolePrintValidationError(const QString &title, const QString &text);
// One red "Validation Error" line per finding, sorted so that runs compare.
void consolePrintXmlErrors(const QSet<QString> &errors);

} // namespace PanelValidation
