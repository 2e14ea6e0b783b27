#pragma once

#include <QString>

#include <functional>

// Rewrites the name operands of a formula text as it is written (blanks,
// operators, numbers and text literals stay as they are). An operand runs to
// the next operator character or blank, takes an index in brackets along and
// stops before a ".+", ".*" or ".^" operator; text in double quotes is no
// operand. rename gets each operand and returns its new text.
QString renameExpressionOperands(const QString &formula, const std::function<QString(const QString &)> &rename);
