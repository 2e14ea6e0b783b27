#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

// The panel XML attributes an editor change writes, in order: attribute and
// text (an empty text removes the attribute).
using AttributeWrites = QList<QPair<QString, QString>>;

// The panel editor's property rows that only some kinds have, each kind's in
// its own file. Each applies the row to the element's widget, keeps what the
// writer reads, adds the attributes to record to writes and returns true;
// false when the kind has no such row. The kind table (ElementKind::editRow)
// names the one of each kind. Some rows every labelled or ranged kind has,
// each applied its own way: "Label" (the shown text; "label" recorded where
// the file keeps it), "Range" ("low..high"), "File" (an image or icon file).
bool editCheckBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editTextRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editPushButtonRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editImageRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
bool editGroupBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes);
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

// The panel editor's property rows of an element of the kind, after its
// define: "name!value" texts in the order the editor shows them. The kind
// table (ElementKind::listRows) names the one of each kind.
void listCheckBoxRows(QWidget *element, QStringList *rows);
void listToggleButtonRows(QWidget *element, QStringList *rows);
void listPushButtonRows(QWidget *element, QStringList *rows);
void listTextRows(QWidget *element, QStringList *rows);
void listLineEditRows(QWidget *element, QStringList *rows);
void listTextEditRows(QWidget *element, QStringList *rows);
void listComboBoxRows(QWidget *element, QStringList *rows);
void listMathLabelRows(QWidget *element, QStringList *rows);
void listSpinBoxRows(QWidget *element, QStringList *rows);
void listDoubleSpinBoxRows(QWidget *element, QStringList *rows);
void listKnobRows(QWidget *element, QStringList *rows);
void listGridRows(QWidget *element, QStringList *rows);
void listImageRows(QWidget *element, QStringList *rows);
void listTimerLabelRows(QWidget *element, QStringList *rows);
void listLedRows(QWidget *element, QStringList *rows);
void listPlotRows(QWidget *element, QStringList *rows);
void listTableRows(QWidget *element, QStringList *rows);

// The two bounds of a "Range" row ("low..high"); false when it has no "..".
bool splitRangeRow(const QString &value, QString *low, QString *high);

// The combo box items the editor's item dialog wrote: each item's text and
// value replace the combo's items. False when the element is no combo box.
bool replaceComboItems(QWidget *element, const QList<QPair<QString, QString>> &items);

// The value of a row the editor opens a dialog for.
QString editorDetailsText();
// "name!value" of a row that shows the element's attribute of that name.
QString attributeRow(QWidget *element, const char *row, const char *attribute);
