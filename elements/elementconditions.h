#pragma once

#include <QString>

class ActiveElement;
class ElementHost;

// The tool-tip text of an element, in the sections of the mask (bits as in
// ToolTipSection).
QString buildToolTip(ActiveElement *element, quint32 sections);

// Whether an action's condition holds: an empty condition holds; a formula
// holds when its value is not 0; a text comparison (NAME=="text" or !=) holds
// only for a LineEdit or TextEdit element named NAME. Names are looked up in
// host; without one a formula sees only numbers and a text comparison fails.
bool evaluateCondition(const QString &condition, ElementHost *host);
