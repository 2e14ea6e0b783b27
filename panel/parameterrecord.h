#pragma once

#include <QString>
#include <QtGlobal>

// One parameter of the firmware, as the panel's parameter map describes it
// (parametermap header element). The catalog dialog reads the display and
// filter rules of its columns from these records.
struct ParameterRecord {
    quint32 number = 0;  // "Nr"
    QString id;          // "ID": the catalog column the parameter describes
    QString varName;     // "VarName": the target variable holding it
    QString text;        // "Text": the name shown to the user
    QString unit;        // "Unit"
    QString type;        // "type": "float", "ul32", "URL", ...
    QString comment;     // "comment"
    QString min;         // "min", as written
    QString max;         // "max", as written
    // "readonly": the decimal number kept as a one-character text whose
    // character code is that number ("1" gives U+0001, absent gives U+0000).
    QString readonly;
    QString formula;     // "formula": an expression over defines and variables
    bool filter = false; // "Filter": true only for the text "1"
    quint32 displayMask = 0; // "DisplayMask": hexadecimal; non-zero shows the column
};
