#include "treewidget.h"

#include "activeelement.h"
#include "tabwidget.h"
#include "treewidgetitem.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLayout>
#include <QMetaObject>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <utility>

TreeWidget::TreeWidget(QWidget *parent)
    : QWidget(parent)
    , WidgetContainer(this)
    , m_tree(new QTreeWidget(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_tree);
    m_tree->setColumnCount(3);
    m_tree->setColumnWidth(0, 300);
    m_tree->setColumnWidth(1, 300);
}

TreeWidget::~TreeWidget()
{
    if (m_heldWidget && !m_heldWidget->parent())
        delete m_heldWidget.data();
}

void TreeWidget::setRowWidget(QTreeWidgetItem *row, QWidget *widget)
{
    if (m_holdNextRowWidget) {
        m_holdNextRowWidget = false;
        m_heldRow = row;
        m_heldWidget = widget;
        return;
    }
    // Re-parents the widget into the view, which owns it from now on.
    m_tree->setItemWidget(row, 1, widget);
}

void TreeWidget::attachHeldRowWidget()
{
    m_holdNextRowWidget = false;
    QTreeWidgetItem *row = std::exchange(m_heldRow, nullptr);
    QWidget *widget = m_heldWidget.data();
    m_heldWidget.clear();
    if (!row || !widget)
        return;
    // The view shows every widget it takes.
    const bool hidden = widget->testAttribute(Qt::WA_WState_ExplicitShowHide)
        && widget->testAttribute(Qt::WA_WState_Hidden);
    // Showing sizes and lays out the widget, even in a tree that is not on
    // screen (a tab page behind another): there the layout waits until the
    // tree is shown, and the size until the view places its rows.
    QLayout *layout = widget->layout();
    const bool layOutLater = layout && layout->isEnabled() && !m_tree->isVisible();
    if (layOutLater) {
        layout->setEnabled(false);
        widget->resize(widget->size());
    }
    m_tree->setItemWidget(row, 1, widget);
    if (layOutLater)
        layout->setEnabled(true);
    if (hidden)
        widget->hide();
}

TreeWidgetItem *TreeWidget::addRow(QWidget *widget, const QString &text)
{
    return (new TreeWidgetItem(m_tree))->fill(text, widget, m_rowsByWidget);
}

TreeWidgetItem *TreeWidget::addBranch(const QString &text, QWidget *widget)
{
    TreeWidgetItem *row = addRow(widget, text);
    registerBranch(widget, row);
    return row;
}

void TreeWidget::registerBranch(QWidget *widget, TreeWidgetItem *row)
{
    if (!widget)
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        connect(button, &QAbstractButton::toggled, this, &TreeWidget::disableBranch);
    m_branchToggles.insert(widget, row);
    m_rowsByWidget.insert(widget, row);
}

void TreeWidget::setColumnWidths(const QList<int> &widths)
{
    for (int i = 0; i < widths.size(); ++i)
        m_tree->setColumnWidth(i, widths.at(i));
}

void TreeWidget::setHeaderLabels(const QStringList &labels)
{
    if (!labels.isEmpty())
        m_tree->setHeaderLabels(labels);
}

void TreeWidget::addWidget(QWidget *widget, int pos)
{
    Q_UNUSED(widget)
    Q_UNUSED(pos)
}

void TreeWidget::showChild(Container *child)
{
    if (auto *row = dynamic_cast<TreeWidgetItem *>(child))
        TreeWidgetItem::reveal(row);
}

void TreeWidget::showWidget(QWidget *widget)
{
    if (TreeWidgetItem *row = m_rowsByWidget.value(widget))
        showChild(row);
}

void TreeWidget::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(pos)
    addRow(child, title);
}

WidgetContainer::CaptionRule TreeWidget::rowCaptionRule(CaptionedKind kind)
{
    switch (kind) {
    case CaptionedKind::PushButton:
    case CaptionedKind::ToggleButton:
    case CaptionedKind::GroupBox:
        return CaptionRule{true, false};
    case CaptionedKind::CheckBox:
    case CaptionedKind::Text:
    case CaptionedKind::RadioButton:
        return CaptionRule{false, true};
    }
    return CaptionRule();
}

WidgetContainer::CaptionRule TreeWidget::captionRule(CaptionedKind kind) const
{
    return rowCaptionRule(kind);
}

void TreeWidget::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

// Branch switching

void TreeWidget::disableBranch(bool checked)
{
    auto *button = qobject_cast<QWidget *>(sender());
    TreeWidgetItem *row = m_branchToggles.value(button);
    if (!row || (checked && !button->isEnabled()))
        return;
    if (checked)
        row->setExpanded(true);
    setBranchEnabled(row, checked);
}

// The lock-capable elements offer their lock sends as invokable methods: check
// and combo boxes sendLocks(bool), radio groups sendLocks(bool, QAbstractButton*).
// The branch reaches them through the meta-object, as the main window reaches
// their signals.
static bool offers(const QObject *object, const char *signature)
{
    return object->metaObject()->indexOfMethod(signature) >= 0;
}

static void sendLocks(QObject *element, bool on)
{
    if (offers(element, "sendLocks(bool)"))
        QMetaObject::invokeMethod(element, "sendLocks", Qt::DirectConnection, Q_ARG(bool, on));
}

// A branch keeps the elements it switched off disabled when their last lock goes.
static void enableElement(ActiveElement *element, bool on)
{
    element->enable(on);
    element->disabledByBranch = !on;
}

// For a radio button of a radio group (the group is the element): switches the
// group and has it send or withdraw the button's lock requests. False for any
// other widget.
static bool switchRadioGroup(QWidget *widget, bool on)
{
    auto *radio = qobject_cast<QRadioButton *>(widget);
    QButtonGroup *group = radio ? radio->group() : nullptr;
    auto *element = activeElementOf(group);
    if (!element)
        return false;
    enableElement(element, on);
    if (offers(group, "sendLocks(bool,QAbstractButton*)")) {
        QMetaObject::invokeMethod(group, "sendLocks", Qt::DirectConnection, Q_ARG(bool, on),
                                  Q_ARG(QAbstractButton *, radio));
    }
    return true;
}

void TreeWidget::setBranchEnabled(QTreeWidgetItem *item, bool on)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        QWidget *widget = m_tree->itemWidget(child, 1);
        if (!widget)
            setBranchEnabled(child, on);
        else if (child->childCount() > 0)
            switchNestedBranch(child, widget, on);
        else
            switchLeaf(widget, on);
        child->setDisabled(!on);
    }
}

void TreeWidget::switchNestedBranch(QTreeWidgetItem *row, QWidget *widget, bool on)
{
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (!switchRadioGroup(widget, on) && button)
        sendLocks(widget, on);
    // The rows below a nested button stay off while it is unchecked.
    if (button)
        setBranchEnabled(row, on && button->isChecked());
    if (auto *element = activeElementOf(widget))
        enableElement(element, on);
}

void TreeWidget::switchLeaf(QWidget *widget, bool on)
{
    if (auto *element = activeElementOf(widget)) {
        enableElement(element, on);
        sendLocks(widget, on);
    } else if (dynamic_cast<Container *>(widget)) {
        const QList<QWidget *> inner = widget->findChildren<QWidget *>();
        for (QWidget *child : inner) {
            if (auto *element = activeElementOf(child)) {
                enableElement(element, on);
                sendLocks(child, on);
            } else {
                switchRadioGroup(child, on);
            }
        }
    } else if (!switchRadioGroup(widget, on)) {
        widget->setEnabled(on);
    }
}

QString TreeWidget::toolTipTitle() const
{
    if (!parentWidget())
        return QString();
    auto *tabs = qobject_cast<QTabWidget *>(parentWidget()->parentWidget());
    return tabs ? tabs->tabText(tabs->indexOf(const_cast<TreeWidget *>(this))) : QString();
}

QTreeWidget *treeViewOf(const QObject *object)
{
    auto *tree = qobject_cast<const TreeWidget *>(object);
    return tree ? tree->view() : nullptr;
}

bool takesBranches(Container *container)
{
    return dynamic_cast<TreeWidget *>(container) || dynamic_cast<TreeWidgetItem *>(container);
}

TreeWidgetItem *addBranchTo(Container *container, const QString &text, QWidget *widget)
{
    if (auto *tree = dynamic_cast<TreeWidget *>(container))
        return tree->addBranch(text, widget);
    if (auto *item = dynamic_cast<TreeWidgetItem *>(container))
        return item->addBranch(text, widget);
    return nullptr;
}
