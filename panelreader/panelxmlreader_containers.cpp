// PanelXmlReader: the container builders and the select lists of tab pages.
#include "panelxmlreader.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "gridwidget.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "programstate.h"
#include "tabwidget.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QBoxLayout>
#include <QTreeWidget>
#include <QXmlStreamReader>

using namespace PanelXml;

// Object names count per kind for the whole run, across panel loads
// (ProgramState holds the counters).

static QString nextName(const char *prefix, int &counter)
{
    return QLatin1String(prefix) + QString::number(counter++);
}

void PanelXmlReader::addStretch(QWidget *container)
{
    if (auto *box = qobject_cast<QBoxLayout *>(container->layout()))
        box->addStretch(0);
}

// The "desc" of a tab page is its tab's tool tip.
static void setPageToolTip(Container *parent, const QXmlStreamAttributes &attributes)
{
    auto *tabs = dynamic_cast<TabWidget *>(parent);
    if (tabs && has(attributes, "desc"))
        tabs->setTabToolTip(tabs->count() - 1, text(attributes, "desc"));
}

void PanelXmlReader::connectTabChanges(TabWidget *tabs, const QXmlStreamAttributes &attributes)
{
    // "resize" absent: the tab widget follows the changed tab; a non-zero
    // number: it fits itself to the current page; 0: neither.
    if (!has(attributes, "resize")) {
        tabs->connectChangedTab();
        return;
    }
    bool ok = false;
    if (text(attributes, "resize").toUInt(&ok) != 0 && ok) {
        tabs->connectUpdateSizes();
        fittingTabs.append(tabs);
    }
}

// The tree a tree container or a row of one belongs to; null for anything else.
static TreeWidget *treeOf(Container *container)
{
    if (auto *tree = dynamic_cast<TreeWidget *>(container))
        return tree;
    auto *row = dynamic_cast<TreeWidgetItem *>(container);
    QTreeWidget *view = row ? row->treeWidget() : nullptr;
    return view ? qobject_cast<TreeWidget *>(view->parentWidget()) : nullptr;
}

namespace {
// Puts a held row widget into its row when the container's build ends.
struct HeldRowWidget {
    TreeWidget *tree;
    ~HeldRowWidget()
    {
        if (tree)
            tree->attachHeldRowWidget();
    }
};
} // namespace

void PanelXmlReader::readBoxContainer(BoxKind kind, const QString &header, Container *parent,
                                      ButtonGroup *radioGroup)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString label = readLabel(attributes);
    const QString define = checkDuplicateDefine(attributes);

    // In a tree, the row takes the container once its content is built.
    TreeWidget *rowOwner = treeOf(parent);
    if (rowOwner)
        rowOwner->holdNextRowWidget();
    const HeldRowWidget held{rowOwner};

    QWidget *widget = nullptr;
    Container *container = nullptr;
    const auto take = [&](auto *created, const char *prefix, int &counter) {
        widget = created;
        container = created;
        return nextName(prefix, counter);
    };
    QString objectName;
    switch (kind) {
    case BoxKind::Absolute:
        objectName = take(parent->createAbsoluteWidget(label, -1), "ABSOLUTE_", ProgramState::instance().absoluteCount);
        break;
    case BoxKind::Grid:
        objectName = take(parent->createGridWidget(label, -1), "GRID_", ProgramState::instance().gridCount);
        break;
    case BoxKind::Group:
        objectName = take(parent->createGroupBox(label, -1), "GROUP_", ProgramState::instance().groupCount);
        break;
    case BoxKind::Horizontal:
        objectName = take(parent->createHorizontalWidget(label, -1), "HORIZ_", ProgramState::instance().horizontalCount);
        break;
    case BoxKind::Vertical:
        objectName = take(parent->createVerticalWidget(label, -1), "VERT_", ProgramState::instance().verticalCount);
        break;
    }

    const bool stretches = (kind == BoxKind::Group || kind == BoxKind::Horizontal
                            || kind == BoxKind::Vertical)
        && has(attributes, "stretch");
    const int stretch = stretches ? text(attributes, "stretch").toInt() : 0;
    if (stretch & 1)
        addStretch(widget);
    widget->setProperty("my_label", text(attributes, "label"));
    widget->setObjectName(objectName);
    if (!define.isEmpty())
        m_panel->setContainer(define, container);
    if (kind == BoxKind::Grid)
        static_cast<GridWidget *>(widget)->setColumns(readColumns(attributes));
    readCommonAttributes(attributes, widget);
    setPageToolTip(parent, attributes);
    readSelectSetDef(attributes, parent, widget);
    readElements(container, header, radioGroup);
    if (stretch & 2)
        addStretch(widget);
}

void PanelXmlReader::readTreeContainer(const QString &header, Container *parent, ButtonGroup *radioGroup)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString label = readLabel(attributes);
    const QString define = checkDuplicateDefine(attributes);
    TreeWidget *tree = parent->createTreeWidget(label, -1);
    tree->setObjectName(nextName("TREE_", ProgramState::instance().treeCount));
    if (!define.isEmpty())
        m_panel->setContainer(define, tree);
    tree->setHeaderLabels(readHeaderLabels(attributes));
    tree->setColumnWidths(readColumnWidths(attributes));
    readCommonAttributes(attributes, tree);
    setPageToolTip(parent, attributes);
    readSelectSetDef(attributes, parent, tree);
    readElements(tree, header, radioGroup);
}

void PanelXmlReader::readTabContainer(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString label = readLabel(attributes);
    const QString define = checkDuplicateDefine(attributes);
    TabWidget *tabs = parent->createTabWidget(label, -1);
    if (label.isEmpty())
        tabs->setObjectName(nextName("TAB_", ProgramState::instance().tabCount));
    if (!define.isEmpty()) {
        tabs->setObjectName(define);
        m_panel->setContainer(define, tabs);
    }
    // Name references to a tab container go by its label.
    if (!label.isEmpty())
        m_panel->setTabWidget(label, tabs);
    connectTabChanges(tabs, attributes);
    readCommonAttributes(attributes, tabs);
    setPageToolTip(parent, attributes);
    m_panel->wiring().connectToMathLabels(tabs);
    // Pages of a tab container do not join a radio group around it.
    readElements(tabs, header, nullptr);
}

void PanelXmlReader::readSelectSetDef(const QXmlStreamAttributes &attributes, Container *parent,
                                      QWidget *page)
{
    if (!has(attributes, "selectsetdef") && !has(attributes, "unselectsetdef"))
        return;
    auto *tabs = dynamic_cast<TabWidget *>(parent);
    if (!tabs)
        return;
    page->setProperty("selectsetdef", text(attributes, "selectsetdef").split(QLatin1Char(';')));
    page->setProperty("unselectsetdef", text(attributes, "unselectsetdef").split(QLatin1Char(';')));
    m_panel->wiring().connectTabSetDef(tabs, page);
    if (!tabs->lastPage)
        tabs->lastPage = page;
    ++tabs->setDefPageCount;
}
