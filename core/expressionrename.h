#pragma once

#include <QString>

#include <functional>

// Rewrites the name operands of a formula text as it is written (blanks,
// operators, numbers and text literals stay as they are). An operand runs to
// the next operator character or blank, takes an index in brackets along and
// stops before a ".+", ".*" or ".^" operator; text in double quotes is no
// operand. rename gets each operand and returns its new text.
QString renameExpressionOperands(const QString &formula, const std::function<QString(const QString &)> &rename);

// Whether a reference names define: the define itself or the define with a
// ".keyword" suffix (MODE.label); GPIO.CR.SPEED does not name GPIO.CR.
bool referenceNames(const QString &reference, const QString &define);
// The reference naming newName where it names oldName; any other text as it is.
QString renameReference(const QString &reference, const QString &oldName, const QString &newName);
// The formula (or action condition) with every operand that names oldName
// naming newName; numbers, text literals and other names stay as written.
QString renameFormulaReferences(const QString &formula, const QString &oldName, const QString &newName);
// A list of assignments "target=value" separated by ";" (setDef lists, lockon
// conditions): every target and every value that names oldName names newName.
// Parts without "=", empty parts and the separators stay as written.
QString renameAssignmentReferences(const QString &list, const QString &oldName, const QString &newName);
// A list of values separated by ";", each a name or literal with an optional
// byte count before ":" (sendUSB data and receive data): every name that is
// oldName becomes newName.
QString renameCountedNames(const QString &list, const QString &oldName, const QString &newName);
