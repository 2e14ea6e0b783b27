#pragma once

#include <QDialog>
#include <QPointer>

class QwtPlot;
class Panel;
class QStandardItemModel;
class QTableView;

// The keyword of a register table column type ("regname", "address", ...);
// empty for a type outside the list.
QString columnTypeName(int type);

// The table dialogs the property table opens for what does not fit into one
// cell: actions, combo items, plot curves and register table columns. Each
// reads the live element when it is built; Ok writes the table back.
class ElementTableDialog : public QDialog
{
    Q_OBJECT
public:
    QTableView *view() const { return m_view; }
    QStandardItemModel *model() const { return m_model; }

public slots:
    virtual void insertLine();
    // Removes the table row of the current cell; the element is unchanged
    // until Ok.
    void deleteLine();

protected:
    ElementTableDialog(QWidget *element, QWidget *parent, const QStringList &columns);
    // Sizes the first columns to their contents once the rows are in.
    void finishTable(int columns);

    QTableView *m_view;
    QStandardItemModel *m_model;
    QPointer<QWidget> m_element;
};

// The actions of an element (of its radio group for a radio button): one row
// per action, the event and the command chosen from lists. Every row keeps
// the key its action was filed under, so that the element still runs it
// after Ok; a new row takes the key of the element (a radio button's or a
// combo item's number, when written into "Index").
class EditActionsDialog : public ElementTableDialog
{
    Q_OBJECT
public:
    EditActionsDialog(QWidget *element, QWidget *parent);
    // The object that holds the actions ("data" property).
    QObject *holder() const { return m_holder; }

public slots:
    void accept() override;

private:
    QPointer<QObject> m_holder;
    QString m_defaultKey;
};

// The items of a combo box: text and value; "Hide" set keeps the item in
// the list of the panel without showing it.
class EditItemsDialog : public ElementTableDialog
{
    Q_OBJECT
public:
    EditItemsDialog(QWidget *combo, QWidget *parent);

public slots:
    void accept() override;
};

// The curves of a plot: label, colour and data; Insert adds a curve at once,
// Ok applies the edited labels, colours and data.
class EditCurvesDialog : public ElementTableDialog
{
    Q_OBJECT
public:
    EditCurvesDialog(QwtPlot *plot, QWidget *parent, Panel *panel = nullptr);

public slots:
    void insertLine() override;
    void accept() override;

private:
    Panel *m_panel;
};

// The columns of a register table; Ok applies the edited fields.
class EditColumnsDialog : public ElementTableDialog
{
    Q_OBJECT
public:
    EditColumnsDialog(QWidget *table, QWidget *parent);

public slots:
    void insertLine() override;
    void accept() override;
};
