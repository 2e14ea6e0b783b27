// The row editors of the panel editor's property table.
#include "propertydelegates.h"
#include "paneleditorlog.h"

#include "activeelement.h"
#include "elementdialogs.h"
#include "elementkinds.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"
#include "showxmldialog.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <qwt_plot.h>

static const struct {
    const char *name;
    QSizePolicy::Policy policy;
} policyNames[] = {
    {"fixed", QSizePolicy::Fixed},         {"minimum", QSizePolicy::Minimum},
    {"minimumexpanding", QSizePolicy::MinimumExpanding}, {"maximum", QSizePolicy::Maximum},
    {"preferred", QSizePolicy::Preferred}, {"expanding", QSizePolicy::Expanding},
    {"ignored", QSizePolicy::Ignored},
};

QString sizePolicyName(QSizePolicy::Policy policy)
{
    for (const auto &entry : policyNames) {
        if (entry.policy == policy)
            return QLatin1String(entry.name);
    }
    return QStringLiteral("preferred");
}

QSizePolicy::Policy sizePolicyFromName(const QString &name)
{
    for (const auto &entry : policyNames) {
        if (name == QLatin1String(entry.name))
            return entry.policy;
    }
    return QSizePolicy::Minimum;
}

QList<ChoiceEntry> sizePolicyChoices()
{
    return {{QStringLiteral("fixed"), 0},     {QStringLiteral("expanding"), 7},
            {QStringLiteral("minimum"), 1},   {QStringLiteral("maximum"), 4},
            {QStringLiteral("preferred"), 5}, {QStringLiteral("minimumexpanding"), 3},
            {QStringLiteral("ignored"), 13}};
}

// The cell's edit-role and user-role data.
static void setCell(QAbstractItemModel *model, const QModelIndex &index, const QString &text)
{
    model->setData(index, text, Qt::EditRole);
    model->setData(index, text, Qt::UserRole);
}

// Sets one attribute of the element's record, so that the panel file keeps it.
static void recordAttribute(QObject *element, const QString &attribute, const QString &value)
{
    PanelXmlRecord::Element record = PanelXmlRecord::recordOf(element);
    if (!record.isValid())
        record.name = PanelXmlWriter::elementNameOf(element);
    if (!record.isValid())
        return;
    record.set(attribute, value);
    PanelXmlRecord::setRecord(element, record);
}

// A dialog editor ends the cell's editing when it closes; the cell takes its
// data only from an accepted dialog.
static void endEditingOnClose(const QStyledItemDelegate *delegate, QDialog *dialog)
{
    auto *self = const_cast<QStyledItemDelegate *>(delegate);
    QObject::connect(dialog, &QDialog::finished, self, [self, dialog](int result) {
        if (result == QDialog::Accepted)
            emit self->commitData(dialog);
        emit self->closeEditor(dialog, QAbstractItemDelegate::NoHint);
    });
}

static bool accepted(QWidget *editor)
{
    auto *dialog = qobject_cast<QDialog *>(editor);
    return dialog && dialog->result() == QDialog::Accepted;
}

// ---------------------------------------------------------------------------
// Sub-dialogs

ActionDelegate::ActionDelegate(ShowXMLDialog *window)
    : QStyledItemDelegate(window)
    , m_window(window)
{
}

void ActionDelegate::closeWith(QWidget *dialog) const
{
    if (auto *d = qobject_cast<QDialog *>(dialog))
        endEditingOnClose(this, d);
}

QWidget *ActionDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog = new EditActionsDialog(m_window->currentElement(), m_window);
    closeWith(dialog);
    return dialog;
}

void ActionDelegate::setEditorData(QWidget *, const QModelIndex &) const {}

void ActionDelegate::setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const {}

void ActionDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                          const QModelIndex &) const
{
    QPoint corner = option.rect.topLeft();
    if (editor->isWindow() && editor->parentWidget() && m_window->propertyView())
        corner = m_window->propertyView()->viewport()->mapToGlobal(corner);
    editor->setGeometry(corner.x(), corner.y(), 520, 350);
}

QWidget *ColumnsDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog = new EditColumnsDialog(m_window->currentElement(), m_window);
    closeWith(dialog);
    return dialog;
}

QWidget *CurvesDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog =
        new EditCurvesDialog(qobject_cast<QwtPlot *>(m_window->currentElement()), m_window, m_window->panel());
    closeWith(dialog);
    return dialog;
}

QWidget *ItemsDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog = new EditItemsDialog(m_window->currentElement(), m_window);
    closeWith(dialog);
    return dialog;
}

// ---------------------------------------------------------------------------
// Colour

ColorDelegate::ColorDelegate(quint16 kind, ShowXMLDialog *window)
    : QStyledItemDelegate(window)
    , m_kind(kind)
    , m_window(window)
{
}

QWidget *ColorDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *dialog = new QColorDialog(m_window);
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    if (QWidget *element = m_window->currentElement())
        dialog->setCurrentColor(element->palette().color(qobject_cast<QPushButton *>(element) ? QPalette::Button
                                                                                            : QPalette::Window));
    endEditingOnClose(this, dialog);
    return dialog;
}

void ColorDelegate::setEditorData(QWidget *, const QModelIndex &) const {}

void ColorDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *dialog = qobject_cast<QColorDialog *>(editor);
    QWidget *element = m_window->currentElement();
    if (!dialog || !element || !accepted(editor))
        return;
    const QColor c = dialog->currentColor();
    QPalette palette = element->palette();
    QPalette::ColorRole role = QPalette::Highlight;
    if (m_kind == 0) {
        element->setAutoFillBackground(true);
        role = qobject_cast<QPushButton *>(element) ? QPalette::Button : QPalette::Window;
    } else if (m_kind == 1) {
        role = QPalette::ButtonText;
    }
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, role, QBrush(c, Qt::SolidPattern));
    element->setPalette(palette);
    const QString text = QStringLiteral("%1;%2;%3").arg(c.red()).arg(c.green()).arg(c.blue());
    setCell(model, index, text);
    // The background is the element's "Color"; the thermometer's colours
    // are kept under their rows' names when the row is applied.
    if (m_kind == 0)
        setElementPropertyOf(element, "Color", text);
}

// ---------------------------------------------------------------------------
// Font

FontDelegate::FontDelegate(ShowXMLDialog *window)
    : QStyledItemDelegate(window)
    , m_window(window)
{
}

QWidget *FontDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    qCDebug(lcPanelEditor) << "createEditor";
    QWidget *element = m_window->currentElement();
    auto *dialog = new QFontDialog(element ? element->font() : QFont(), m_window);
    dialog->setOption(QFontDialog::DontUseNativeDialog);
    endEditingOnClose(this, dialog);
    return dialog;
}

void FontDelegate::setEditorData(QWidget *, const QModelIndex &) const
{
    qCDebug(lcPanelEditor) << "setEditorData";
}

void FontDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    qCDebug(lcPanelEditor) << "setModelData";
    auto *dialog = qobject_cast<QFontDialog *>(editor);
    QWidget *element = m_window->currentElement();
    if (!dialog || !element || !accepted(editor))
        return;
    const QFont font = dialog->currentFont();
    element->setFont(font);
    setElementPropertyOf(element, "my_font", font.toString());
    setCell(model, index, font.toString());
}

void FontDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    QPoint corner = option.rect.topLeft();
    if (m_window->propertyView())
        corner = m_window->propertyView()->viewport()->mapToGlobal(corner);
    editor->setGeometry(corner.x(), corner.y(), 420, 500);
}

// ---------------------------------------------------------------------------
// Picture files

FileDelegate::FileDelegate(ShowXMLDialog *window)
    : QStyledItemDelegate(window)
    , m_window(window)
{
    qCDebug(lcPanelEditor) << "FileDelegate";
}

QWidget *FileDelegate::createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const
{
    qCDebug(lcPanelEditor) << "createEditor";
    auto *dialog = new QFileDialog(m_window, tr("Select image file"), m_window->workingDir(),
                                   QStringLiteral("*.png *.gif *.jpg *.jpeg *.bmp"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    endEditingOnClose(this, dialog);
    return dialog;
}

void FileDelegate::setEditorData(QWidget *, const QModelIndex &) const
{
    qCDebug(lcPanelEditor) << "setEditorData";
}

void FileDelegate::applyFile(ShowXMLDialog *, QWidget *element, const QString &file)
{
    // An image shows the file; a slider, a toggle or push button draws itself with it.
    const ElementKind *kind = elementKindOf(element);
    AttributeWrites writes;
    if (!kind || !kind->editRow || !kind->editRow(element, QStringLiteral("File"), file, &writes))
        return;
    for (const auto &write : writes)
        recordAttribute(element, write.first, write.second);
}

void FileDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    qCDebug(lcPanelEditor) << "setModelData";
    auto *dialog = qobject_cast<QFileDialog *>(editor);
    if (!dialog || !accepted(editor))
        return;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return;
    const QString file = files.first();
    applyFile(m_window, m_window->currentElement(), file);
    setCell(model, index, file);
}

void FileDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    QPoint corner = option.rect.topLeft();
    if (m_window->propertyView())
        corner = m_window->propertyView()->viewport()->mapToGlobal(corner);
    editor->setGeometry(corner.x(), corner.y(), 420, 500);
}

// ---------------------------------------------------------------------------
// Choice lists

ComboBoxActionDelegate::ComboBoxActionDelegate(QObject *parent, const QList<ChoiceEntry> &choices)
    : QStyledItemDelegate(parent)
    , m_choices(choices)
{
}

QWidget *ComboBoxActionDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                              const QModelIndex &) const
{
    return new QComboBox(parent);
}

void ComboBoxActionDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = qobject_cast<QComboBox *>(editor);
    if (!box)
        return;
    const QString text = index.data(Qt::EditRole).toString();
    // The view calls again when the cell changes while the editor is open:
    // the list is filled and opened only the first time.
    const bool first = box->count() == 0;
    if (first) {
        for (const ChoiceEntry &choice : m_choices)
            box->addItem(choice.text, choice.value);
    }
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (first)
        box->showPopup();
}

void ComboBoxActionDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *box = qobject_cast<QComboBox *>(editor);
    if (!box)
        return;
    model->setData(index, box->currentText(), Qt::EditRole);
    model->setData(index, box->currentData().toInt(), Qt::UserRole);
}

ComboBoxDelegate2::ComboBoxDelegate2(const QList<ChoiceEntry> &choices, ShowXMLDialog *window)
    : ComboBoxActionDelegate(window, choices)
    , m_window(window)
{
}

void ComboBoxDelegate2::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    ComboBoxActionDelegate::setModelData(editor, model, index);
    QTableView *view = m_window->propertyView();
    const QModelIndex current = view ? view->currentIndex() : index;
    if (!current.isValid() || current.column() == 0)
        return;
    const QString name = current.sibling(current.row(), 0).data().toString();
    const QString value = current.data().toString();
    m_window->setAttribute(m_window->currentElement(), name, value);
}
