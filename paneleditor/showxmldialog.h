#pragma once

#include <QAbstractItemDelegate>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QTreeView>

#include "quillpanel.h"

#include <functional>

class ButtonGroup;
class Container;
class QRadioButton;
class QMenu;
class QStandardItem;
class QStandardItemModel;
class QTableView;
class ShowXMLDialog;

// The element tree of the editor: moves the live widgets before the view
// moves its rows on a drop.
class QMyTreeView : public QTreeView
{
public:
    explicit QMyTreeView(ShowXMLDialog *editor, QWidget *parent);

protected:
    void dropEvent(QDropEvent *event) override;

private:
    ShowXMLDialog *m_editor;
};

// The panel editor: the live element tree of the loaded panel with the hidden
// elements and target variables, a property table for the selected element,
// a context menu to add, remove, copy and paste elements, and buttons to
// expand the tree, edit the file's header values and save the panel as panel
// XML. Every operation changes the running panel at once and keeps the
// panel's registries in step.
//
// The implementation is split by role: showxmldialog.cpp (window, tree,
// selection, saving), showxmldialog_operations.cpp (adding, removing,
// dropping) and showxmldialog_copy.cpp (copy and paste).
class ShowXMLDialog : public QDialog
{
    Q_OBJECT

public:
    // The editor type codes of the element kinds it can add.
    enum EditorTypeCode {
        Vertical, Horizontal, Grid, Tab, Absolute, Group, Radio, Combo, Checkbox, Spinbox, HexSpinbox,
        DoubleSpinbox, LineEditCode, TextEditCode, MathLabelCode, TextCode, ImageCode, LED, Button,
        ToggleButtonCode, Timer, SliderCode, KnobCode, Dial, Thermo, Plot, RegView, TableCode,
        TypeCodeCount
    };
    static constexpr int AddressRole = Qt::UserRole + 1;
    static constexpr int VarRole = Qt::UserRole + 2;
    static constexpr int VarMark = 123;

    // What the editor asks of the window around the panel; each may be left empty.
    struct Services {
        std::function<void(QWidget *)> highlight;        // bring into view and mark
        std::function<void()> cancelHighlight;
        std::function<void(const QString &)> showStatus; // status bar line
        std::function<void()> stopPolling;               // before a variable goes
        std::function<void()> startPolling;
        std::function<QString()> workingDir;
        std::function<void(const QString &)> setWorkingDir;
        std::function<void(const QString &)> panelSaved;
    };

    // The editor of the panel whose root widget is panelRoot (the content of
    // the window's scroll area). The panel model is found through the root
    // container; it may be given when there is none.
    explicit ShowXMLDialog(QWidget *panelRoot, QWidget *parent = nullptr, Panel *panel = nullptr);
    ~ShowXMLDialog() override;

    QWidget *panelRoot() const { return m_panelRoot; }
    Panel *panel() const { return m_panel; }
    void setServices(const Services &services) { m_services = services; }
    QStandardItemModel *treeModel() const { return m_treeModel; }
    QTreeView *treeView() const { return m_treeView; }
    QTableView *propertyView() const { return m_propertyView; }
    QStandardItemModel *propertyModel() const { return m_propertyModel; }
    QMenu *contextMenu() const { return m_contextMenu; }
    QWidget *selectedWidget() const { return m_selectedWidget; }
    // The element of the tree's current item (null for a variable or none).
    QWidget *currentElement() const;
    // The working directory of the window around the panel.
    QString workingDir() const;
    // The text of the tree's current item.
    void setCurrentItemText(const QString &text);
    // Applies one edited property row (name, new value text) to element and
    // records it for the panel XML writer.
    void setAttribute(QWidget *element, const QString &name, const QString &value);

    // The live object of a tree item (role 257), or null when it is gone.
    QObject *objectAt(const QModelIndex &index) const;
    // The item of object in the tree, or an invalid index.
    QModelIndex indexOf(const QObject *object) const;

    // Builds the item of widget (and of everything inside a container) under
    // parent at row pos (-1 appends); null for a widget of no element kind,
    // whose children are built under parent instead.
    QStandardItem *buildEditorTree(QObject *widget, QStandardItem *parent, int pos);
    // The new element's name: the base name of the code, "_" and the first
    // number from 0 to 9999 that no registered define has.
    QString defaultDefineName(int typeCode) const;
    // Creates an element of the code in parent at pos and registers it. A
    // radio button joins radioGroup when one is given, else starts a group.
    QWidget *createElementByType(Container *parent, int typeCode, int pos, ButtonGroup *radioGroup = nullptr);
    // A new radio button with text in container at pos (-1 appends), added
    // to group under the next number no button of the group has as value.
    static QRadioButton *addRadioToGroup(ButtonGroup *group, Container *container, const QString &text, int pos);
    // Adds an element of the code at the tree's current item: inside a
    // container, else beside the current element.
    void addElement(int typeCode);
    // Writes the panel to path; false, with the reason reported, when it
    // could not be written (the old file is then kept).
    bool savePanel(const QString &path);
    // Moves element into target at pos (-1 appends) and its tree row along;
    // refused (false) for a drop into the element itself or its descendants.
    bool moveElement(QWidget *element, QWidget *target, int pos);
    // The layout index of w in the container c; -1 when it has none.
    static int indexInContainer(QWidget *container, QWidget *w);
    // Whether ancestor is widget or contains it.
    static bool contains(const QObject *ancestor, const QObject *widget);

    // The property rows of widget, each "name!value", in display order.
    static QStringList propertyRows(QWidget *widget);
    // The panel XML name of a QSizePolicy::Policy ("fixed", "expanding", ...).
    static QString sizePolicyName(int policy);

    // The copied element (null when none or deleted since).
    QWidget *copiedElement() const { return m_copied; }
    // Pastes a copy of the copied element: into the current container, or
    // after the current element. The new element, or null when refused.
    QWidget *pasteElement();

public slots:
    void expandAll();
    void editProperties();
    void saveXML();
    void on_clicked(const QModelIndex &index);
    void onCustomContextMenu(const QPoint &point);
    void addVertical() { addElement(Vertical); }
    void addHoriontal() { addElement(Horizontal); }
    void addGrid() { addElement(Grid); }
    void addTab() { addElement(Tab); }
    void addAbsolute() { addElement(Absolute); }
    void addGroup() { addElement(Group); }
    void addRadio() { addElement(Radio); }
    void addCombo() { addElement(Combo); }
    void addCheckbox() { addElement(Checkbox); }
    void addSpinbox() { addElement(Spinbox); }
    void addHexSpinbox() { addElement(HexSpinbox); }
    void addDoubleSpinbox() { addElement(DoubleSpinbox); }
    void addLineEdit() { addElement(LineEditCode); }
    void addTextEdit() { addElement(TextEditCode); }
    void addMathLabel() { addElement(MathLabelCode); }
    void addText() { addElement(TextCode); }
    void addImage() { addElement(ImageCode); }
    void addLED() { addElement(LED); }
    void addButton() { addElement(Button); }
    void addToggleButton() { addElement(ToggleButtonCode); }
    void addTimer() { addElement(Timer); }
    void addSlider() { addElement(SliderCode); }
    void addKnob() { addElement(KnobCode); }
    void addDial() { addElement(Dial); }
    void addPlot() { addElement(Plot); }
    void addThermo() { addElement(Thermo); }
    void addRegView() { addElement(RegView); }
    void addTable() { addElement(TableCode); }
    // Asks for a name and adds a target variable of that name.
    void addVar();
    // Adds a target variable named name; false for an empty or taken name.
    bool addVariable(const QString &name);
    void removeWidget();
    void copy();
    void cut();
    void paste();
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class QMyTreeView;
    void addVarItem(QObject *variable);
    void forgetTree(QObject *object);
    void fillPropertyTable(QWidget *widget);
    // The row editor of a property row name; null for a plain text row.
    QAbstractItemDelegate *rowDelegate(const QString &name);
    // Parts of setAttribute (showxmldialog_attributes.cpp).
    void renameElement(QWidget *element, const QString &value);
    // The saved form of every reference to oldName: the records of the
    // panel's widgets, tree rows and hidden elements name newName.
    void renameSavedReferences(const QString &oldName, const QString &newName);
    void setLabel(QWidget *element, const QString &value);
    void setRange(QWidget *element, const QString &value);
    void setFormula(QWidget *element, const QString &value);
    // The widgets new in target since before, moved to pos (-1: where they
    // are) and given their tree items; the first of them, or null.
    QWidget *placePasted(QWidget *target, const QModelIndex &targetIndex, int pos, const QList<QObject *> &before);
    // The drop indicator positions of the view, as it numbers them.
    enum { DropOnItem = 0, DropAboveItem = 1, DropBelowItem = 2, DropOnViewport = 3 };
    void handleDrop(QDropEvent *event, int position);

    QPointer<QWidget> m_panelRoot; // gone when another panel is opened
    QPointer<Panel> m_panel; // the window may go before its editors
    Services m_services;
    QMyTreeView *m_treeView = nullptr;
    QTableView *m_propertyView = nullptr;
    QStandardItemModel *m_treeModel = nullptr;
    QPointer<QWidget> m_selectedWidget;
    QStandardItem *m_currentItem = nullptr;
    QMenu *m_contextMenu = nullptr;
    QStandardItemModel *m_propertyModel = nullptr;
    QStringList m_propertyRows;
    // Live objects by the address their items carry.
    QHash<quint64, QPointer<QObject>> m_objects;
    QPointer<QWidget> m_copied;
    int m_pasteCount = 0;
    QPointer<QWidget> m_lastHovered;
};
