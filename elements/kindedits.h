#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

// The panel XML attributes an editor change writes, in order: attribute and
// text (an empty text removes the attribute).
using AttributeWrites = QList<QPair<QString, QString>>;

// The panel editor's property rows that only some kinds have, each kind's in
// its own file. Each applies the row to the element's widget, keeps what the
// writer reads, adds the attributes to record to writes and returns true;
// false when the kind has no such row. The kind table (ElementKind::editRow)
// names the one of each kind.
bool editSpinBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editDoubleSpinBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editKnobRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editSliderRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editLineEditRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editTextEditRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editMathLabelRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editTimerLabelRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editLedRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editToggleButtonRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editGridRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editPlotRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
