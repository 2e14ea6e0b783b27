#pragma once

#include <QList>
#include <QSizePolicy>
#include <QStyledItemDelegate>

class ShowXMLDialog;

// One entry of a choice list: the text shown and the number kept with it.
struct ChoiceEntry {
    QString text;
    qint32 value = 0;
};

// The panel XML names of the size policies ("fixed", "expanding", ...); any
// other policy is "preferred".
QString sizePolicyName(QSizePolicy::Policy policy);
// The policy of a name, compared exactly; any other text gives Minimum.
QSizePolicy::Policy sizePolicyFromName(const QString &name);
// The seven size-policy choices of the property table, in its order.
QList<ChoiceEntry> sizePolicyChoices();

// The row editors of the editor's property table. Each reaches the element
// selected in the editor tree through the editor window. The dialog editors
// (colour, font, file and the element sub-dialogs) end editing when they
// are closed; the colour, font and file ones apply only an accepted choice.

// Opens the actions dialog of the current element.
class ActionDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ActionDelegate(ShowXMLDialog *window);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    // Ends editing of the cell when dialog closes.
    void closeWith(QWidget *dialog) const;
    ShowXMLDialog *m_window;
};

// Opens the columns dialog of the current register table.
class ColumnsDelegate : public ActionDelegate
{
    Q_OBJECT
public:
    using ActionDelegate::ActionDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// Opens the curves dialog of the current plot.
class CurvesDelegate : public ActionDelegate
{
    Q_OBJECT
public:
    using ActionDelegate::ActionDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// Opens the items dialog of the current combo box.
class ItemsDelegate : public ActionDelegate
{
    Q_OBJECT
public:
    using ActionDelegate::ActionDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// A colour chosen with the colour dialog: kind 0 the background, 1 the
// normal (text) colour, 2 the alarm (highlight) colour.
class ColorDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    ColorDelegate(quint16 kind, ShowXMLDialog *window);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    quint16 m_kind;
    ShowXMLDialog *m_window;
};

// The element's font chosen with the font dialog.
class FontDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit FontDelegate(ShowXMLDialog *window);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    ShowXMLDialog *m_window;
};

// A picture file for an image, a slider groove or a button icon.
class FileDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit FileDelegate(ShowXMLDialog *window);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // Puts file on element as the row rowName does (File, image or Icon).
    static void applyFile(ShowXMLDialog *window, QWidget *element, const QString &file);

private:
    ShowXMLDialog *m_window;
};

// A choice list in a combo box: the cell keeps the text and, as user data,
// the choice's number.
class ComboBoxActionDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    ComboBoxActionDelegate(QObject *parent, const QList<ChoiceEntry> &choices);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    QList<ChoiceEntry> choices() const { return m_choices; }

private:
    QList<ChoiceEntry> m_choices;
};

// The size-policy choice of the property table: applied to the element as
// soon as it is made.
class ComboBoxDelegate2 : public ComboBoxActionDelegate
{
    Q_OBJECT
public:
    ComboBoxDelegate2(const QList<ChoiceEntry> &choices, ShowXMLDialog *window);
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    ShowXMLDialog *m_window;
};
