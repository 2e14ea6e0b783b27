// ShowXMLDialog: the window, the element tree, selection and saving.
#include "showxmldialog.h"

#include "activeelement.h"
#include "container.h"
#include "dataclass.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"
#include "prompt.h"
#include "xmlpropertiesdialog.h"

#include <QApplication>
#include <QDebug>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLayout>
#include <QMenu>
#include <QTabWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

static QIcon editorIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/images/%1.png").arg(name));
}

static bool isReservedVariable(const QString &name)
{
    return name == QLatin1String("$FUNC$") || name == QLatin1String("$VALUE$")
        || name == QLatin1String("$ADDRESS$") || name == QLatin1String("dummy_define");
}

// The panel model behind a root widget: the host of its root container.
static Panel *panelOf(QWidget *root)
{
    if (!root)
        return nullptr;
    QList<QWidget *> candidates{root};
    candidates += root->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *candidate : candidates) {
        if (auto *container = dynamic_cast<Container *>(candidate)) {
            if (auto *panel = dynamic_cast<Panel *>(container->host()))
                return panel;
        }
    }
    return nullptr;
}

QMyTreeView::QMyTreeView(ShowXMLDialog *editor, QWidget *parent)
    : QTreeView(parent)
    , m_editor(editor)
{
}

void QMyTreeView::dropEvent(QDropEvent *event)
{
    if (event->source() != this) {
        QTreeView::dropEvent(event);
        return;
    }
    m_editor->handleDrop(event, int(dropIndicatorPosition()));
}

ShowXMLDialog::ShowXMLDialog(QWidget *panelRoot, QWidget *parent, Panel *panel)
    : QDialog(parent)
    , m_panelRoot(panelRoot)
    , m_panel(panel ? panel : panelOf(panelRoot))
{
    setWindowTitle(tr("Show the current loaded XML as a tree"));
    resize(450, 700);
    auto *layout = new QVBoxLayout;

    m_treeView = new QMyTreeView(this, this);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeView->setDragDropMode(QAbstractItemView::InternalMove);
    m_treeView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_treeView->setDragEnabled(true);
    m_treeView->setAcceptDrops(true);
    m_treeView->setDropIndicatorShown(true);
    m_treeView->setHeaderHidden(true);

    m_treeModel = new QStandardItemModel(this);
    if (m_panelRoot)
        buildEditorTree(m_panelRoot, m_treeModel->invisibleRootItem(), -1);
    if (m_panel) {
        for (QObject *hidden : qAsConst(m_panel->registries().invisibleElements)) {
            if (hidden && hidden->isWidgetType())
                buildEditorTree(hidden, m_treeModel->invisibleRootItem(), -1);
        }
        for (auto it = m_panel->registries().variablesByName.constBegin(); it != m_panel->registries().variablesByName.constEnd(); ++it) {
            if (it.value() && !isReservedVariable(it.value()->objectName()))
                addVarItem(it.value());
        }
    }
    m_treeView->setModel(m_treeModel);
    layout->addWidget(m_treeView);

    m_propertyView = new QTableView(this);
    m_propertyView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_propertyModel = new QStandardItemModel(0, 2, this);
    m_propertyView->setModel(m_propertyModel);
    auto *attributeHeader = new QStandardItem(QStringLiteral("Attribute"));
    attributeHeader->setToolTip(QStringLiteral("Attribute of GUI element"));
    m_propertyModel->setHorizontalHeaderItem(0, attributeHeader);
    auto *valueHeader = new QStandardItem(QStringLiteral("Value"));
    valueHeader->setToolTip(QStringLiteral("Current setting"));
    m_propertyModel->setHorizontalHeaderItem(1, valueHeader);
    m_propertyView->setColumnWidth(0, 200);
    m_propertyView->setColumnWidth(1, 100);
    connect(m_propertyView->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            &ShowXMLDialog::closeEditor);
    m_propertyView->setAlternatingRowColors(true);
    m_propertyView->setFixedHeight(250);
    layout->addWidget(m_propertyView);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton *expand = buttons->addButton(QStringLiteral("Expand all"), QDialogButtonBox::ActionRole);
    QPushButton *properties = buttons->addButton(QStringLiteral("Properties"), QDialogButtonBox::ActionRole);
    QPushButton *save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    setLayout(layout);

    m_contextMenu = new QMenu(QStringLiteral("Menu"), this);
    QMenu *add = m_contextMenu->addMenu(QStringLiteral("Add"));
    using Slot = void (ShowXMLDialog::*)();
    const struct {
        const char *text;
        const char *icon;
        Slot slot;
    } entries[] = {
        {"Vertical", "Vertical", &ShowXMLDialog::addVertical},
        {"Horizontal", "Horizontal", &ShowXMLDialog::addHoriontal},
        {"Grid", "Grid", &ShowXMLDialog::addGrid},
        {"Tab", "Tab", &ShowXMLDialog::addTab},
        {"Absolute", "Absolute", &ShowXMLDialog::addAbsolute},
        {"Group", "Group", &ShowXMLDialog::addGroup},
        {nullptr, nullptr, nullptr},
        {"Radio", "Radio", &ShowXMLDialog::addRadio},
        {"Combo", "Combo", &ShowXMLDialog::addCombo},
        {"Checkbox", "Checkbox", &ShowXMLDialog::addCheckbox},
        {"Spinbox", "Spinbox", &ShowXMLDialog::addSpinbox},
        {"HexSpinbox", "HexSpinbox", &ShowXMLDialog::addHexSpinbox},
        {"DoubleSpinbox", "DoubleSpinbox", &ShowXMLDialog::addDoubleSpinbox},
        {"Knob", "Knob", &ShowXMLDialog::addKnob},
        {"Slider", "Slider", &ShowXMLDialog::addSlider},
        {"LineEdit", "LineEdit", &ShowXMLDialog::addLineEdit},
        {"TextEdit", "TextEdit", &ShowXMLDialog::addTextEdit},
        {"MathLabel", "MathLabel", &ShowXMLDialog::addMathLabel},
        {"Text", "Text", &ShowXMLDialog::addText},
        {"Image", "Image", &ShowXMLDialog::addImage},
        {"LED", "LED", &ShowXMLDialog::addLED},
        {"Button", "Button", &ShowXMLDialog::addButton},
        {"ToggleButton", "ToggleButton", &ShowXMLDialog::addToggleButton},
        {"Timer", "Timer", &ShowXMLDialog::addTimer},
        {"Dial", "Dial", &ShowXMLDialog::addDial},
        {"Thermo", "Thermo", &ShowXMLDialog::addThermo},
        {"Plot", "Plot", &ShowXMLDialog::addPlot},
        {"RegView", "RegView", &ShowXMLDialog::addRegView},
        {"Table", "Table", &ShowXMLDialog::addTable},
        {"Var", "Var", &ShowXMLDialog::addVar},
    };
    for (const auto &entry : entries) {
        if (!entry.text) {
            add->addSeparator();
            continue;
        }
        QAction *action = add->addAction(editorIcon(QLatin1String(entry.icon)), QLatin1String(entry.text));
        connect(action, &QAction::triggered, this, entry.slot);
    }
    connect(m_contextMenu->addAction(QStringLiteral("Remove")), &QAction::triggered, this,
            &ShowXMLDialog::removeWidget);
    connect(m_contextMenu->addAction(QStringLiteral("Copy")), &QAction::triggered, this, &ShowXMLDialog::copy);
    connect(m_contextMenu->addAction(QStringLiteral("Paste")), &QAction::triggered, this, &ShowXMLDialog::paste);

    connect(m_treeView, &QTreeView::clicked, this, &ShowXMLDialog::on_clicked);
    m_treeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_treeView, &QWidget::customContextMenuRequested, this, &ShowXMLDialog::onCustomContextMenu);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(expand, &QPushButton::released, this, &ShowXMLDialog::expandAll);
    connect(properties, &QPushButton::released, this, &ShowXMLDialog::editProperties);
    connect(save, &QPushButton::released, this, &ShowXMLDialog::saveXML);

    m_treeView->expandAll();
    // Clicks into the panel select elements in the tree. The filter goes
    // with the window (destructor), so closed editors stop watching.
    qApp->installEventFilter(this);
}

ShowXMLDialog::~ShowXMLDialog()
{
    qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------------------
// Tree

QObject *ShowXMLDialog::objectAt(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    const quint64 address = index.data(AddressRole).toULongLong();
    return m_objects.value(address).data();
}

QModelIndex ShowXMLDialog::indexOf(const QObject *object) const
{
    if (!object)
        return QModelIndex();
    const QModelIndexList found =
        m_treeModel->match(m_treeModel->index(0, 0), AddressRole, QVariant::fromValue(quint64(quintptr(object))), 1,
                           Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
}

// The child widgets of a container in the order it shows them.
static QList<QObject *> orderedChildren(QObject *object)
{
    QList<QObject *> children;
    auto *widget = qobject_cast<QWidget *>(object);
    const ElementKind *kind = elementKindOf(object);
    if (!kind || !kind->container)
        return object->children();
    if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            children.append(tabs->widget(i));
        return children;
    }
    // The box containers place their children in a layout; an absolute
    // container and a tree have none to go by.
    const bool layoutOrder = kind->xmlName() != QLatin1String("absolutecontainer")
        && kind->xmlName() != QLatin1String("treecontainer");
    if (widget && layoutOrder && widget->layout()) {
        QLayout *layout = widget->layout();
        for (int i = 0; i < layout->count(); ++i) {
            if (QWidget *child = layout->itemAt(i)->widget())
                children.append(child);
        }
        return children;
    }
    return object->children();
}

QStandardItem *ShowXMLDialog::buildEditorTree(QObject *object, QStandardItem *parent, int pos)
{
    if (!object || !parent)
        return nullptr;
    QString text;
    QString icon;
    QString toolTip = object->objectName();
    bool container = true;
    auto *widget = qobject_cast<QWidget *>(object);
    const ElementKind *kind = elementKindOf(object);
    if (kind && kind->editorIcon) {
        container = kind->container;
        icon = QLatin1String(kind->editorIcon);
        switch (kind->editorTitle) {
        case EditorTitle::Define: text = object->objectName(); break;
        case EditorTitle::Icon: text = icon; break;
        case EditorTitle::Text: text = object->property("text").toString(); break;
        case EditorTitle::Title: text = object->property("title").toString(); break;
        case EditorTitle::ClassName: text = QLatin1String(kind->className); break;
        }
        if (kind->formulaToolTip) {
            toolTip = elementPropertyOf(object, "expression").toString();
            if (toolTip.isEmpty())
                toolTip = elementPropertyOf(object, "formula").toString();
        }
    }
    if (icon.isEmpty()) {
        // No element: what it holds is shown under the nearest known container.
        if (widget || object->children().size())
            for (QObject *child : object->children())
                buildEditorTree(child, parent, -1);
        return nullptr;
    }
    auto *item = new QStandardItem(editorIcon(icon), text);
    if (!container)
        item->setToolTip(toolTip);
    const quint64 address = quint64(quintptr(object));
    item->setData(address, AddressRole);
    m_objects.insert(address, object);
    if (container || pos < 0 || pos > parent->rowCount())
        parent->appendRow(item);
    else
        parent->insertRow(pos, item);
    if (container) {
        const QList<QObject *> children = orderedChildren(object);
        for (QObject *child : children)
            buildEditorTree(child, item, -1);
    }
    return item;
}

void ShowXMLDialog::addVarItem(QObject *variable)
{
    auto *item = new QStandardItem(editorIcon(QStringLiteral("Var")), variable->objectName());
    const quint64 address = quint64(quintptr(variable));
    item->setData(address, AddressRole);
    item->setData(VarMark, VarRole);
    m_objects.insert(address, variable);
    m_treeModel->invisibleRootItem()->appendRow(item);
}

// ---------------------------------------------------------------------------
// Selection

void ShowXMLDialog::on_clicked(const QModelIndex &)
{
    const QModelIndex index = m_treeView->currentIndex();
    m_currentItem = m_treeModel->itemFromIndex(index);
    if (index.data(VarRole).toInt() == VarMark) {
        m_propertyModel->removeRows(0, m_propertyModel->rowCount());
        return;
    }
    QObject *object = objectAt(index);
    m_selectedWidget = qobject_cast<QWidget *>(object);
    fillPropertyTable(m_selectedWidget);
    if (m_selectedWidget && m_services.highlight)
        m_services.highlight(m_selectedWidget);
}

void ShowXMLDialog::closeEditor(QWidget *, QAbstractItemDelegate::EndEditHint)
{
    const QModelIndex index = m_propertyView->currentIndex();
    if (!index.isValid() || index.column() == 0 || !m_selectedWidget)
        return;
    const QString value = index.data().toString();
    const QString name = m_propertyModel->index(index.row(), 0).data().toString();
    const QString shown = m_propertyRows.value(index.row()).section(QLatin1Char('!'), 1, 1);
    if (value == shown)
        return; // nothing changed (a cancelled dialog, an unchanged text)
    setAttribute(m_selectedWidget, name, value);
    if (!m_selectedWidget)
        return;
    // Rows without an effect of their own, and a refused name, show the
    // element as it is.
    static const QStringList passive{
        QStringLiteral("define"), QStringLiteral("suffix"), QStringLiteral("Items"),
        QStringLiteral("Curves"), QStringLiteral("Columns"), QStringLiteral("action"),
    };
    if (passive.contains(name))
        m_propertyModel->setData(index, shown);
    else if (name == QLatin1String("Define"))
        m_propertyModel->setData(index, m_selectedWidget->objectName());
    if (index.row() < m_propertyRows.size())
        m_propertyRows[index.row()] = name + QLatin1Char('!') + m_propertyModel->data(index).toString();
}

bool ShowXMLDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        if (m_services.showStatus)
            m_services.showStatus(QStringLiteral("%1 %2").arg(QLatin1String(watched->metaObject()->className()),
                                                              watched->objectName()));
        m_lastHovered = static_cast<QWidget *>(watched);
    } else if (event->type() == QEvent::MouseButtonPress && m_lastHovered && m_panelRoot
               && contains(m_panelRoot, m_lastHovered)) {
        const QModelIndex index = indexOf(m_lastHovered);
        if (index.isValid()) {
            m_treeView->setCurrentIndex(index);
            m_selectedWidget = m_lastHovered;
            fillPropertyTable(m_lastHovered);
        }
    }
    return false;
}

void ShowXMLDialog::onCustomContextMenu(const QPoint &point)
{
    if (m_treeView->indexAt(point).isValid())
        m_contextMenu->exec(m_treeView->viewport()->mapToGlobal(point));
}

void ShowXMLDialog::expandAll()
{
    m_treeView->expandAll();
}

void ShowXMLDialog::editProperties()
{
    // A run without a user answers every dialog with cancel.
    if (!Prompt::instance().isInteractive())
        return;
    XMLPropertiesDialog dialog(m_panel, this);
    dialog.exec();
}

// ---------------------------------------------------------------------------
// Saving

bool ShowXMLDialog::savePanel(const QString &path)
{
    if (!m_panelRoot || !m_panel) {
        reportError(tr("The panel of this editor is no longer open: nothing is saved."));
        return false;
    }
    PanelXmlWriter writer(m_panel, m_panelRoot);
    QString error;
    if (!writer.save(path, &error)) {
        // A refused file is named in the message already.
        if (error.startsWith(QLatin1String("Cannot save")))
            reportError(error);
        else
            reportCannotOpenFile(path, error);
        return false;
    }
    for (const QString &warning : writer.warnings())
        logMessage(warning);
    if (m_services.panelSaved)
        m_services.panelSaved(path);
    return true;
}

void ShowXMLDialog::saveXML()
{
    const QString dir = m_services.workingDir ? m_services.workingDir() : QString();
    const QString path =
        Prompt::instance().saveFileName(this, tr("Save GUI XML"), dir, tr("GUI Files (*.xml)"));
    // A cancelled dialog changes nothing, the working folder included.
    if (path.isEmpty())
        return;
    if (m_services.setWorkingDir)
        m_services.setWorkingDir(QFileInfo(path).absolutePath());
    savePanel(path);
}
