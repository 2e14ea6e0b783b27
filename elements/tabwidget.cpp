#include "tabwidget.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "elementhost.h"
#include "gridwidget.h"
#include "treewidget.h"

#include <QStringList>
#include <QVariant>

static const char selectListProperty[] = "selectsetdef";
static const char unselectListProperty[] = "unselectsetdef";

template <typename Page>
static bool connectPage(QTabWidget *tabs, QWidget *widget)
{
    auto *page = qobject_cast<Page *>(widget);
    if (page)
        QObject::connect(tabs, &QTabWidget::currentChanged, page, &Page::childSetDef);
    return page;
}

bool TabWidget::connectPageSetDef(QTabWidget *tabs, QWidget *page)
{
    return tabs
        && (connectPage<AbsoluteWidget>(tabs, page) || connectPage<GridWidget>(tabs, page)
            || connectPage<GroupBox>(tabs, page) || connectPage<HorizontalWidget>(tabs, page)
            || connectPage<VerticalWidget>(tabs, page) || connectPage<TreeWidget>(tabs, page));
}

TabWidget::TabWidget(QWidget *parent)
    : QTabWidget(parent)
    , WidgetContainer(this)
{
}

void TabWidget::connectChangedTab()
{
    connect(this, &QTabWidget::currentChanged, this, &TabWidget::changedTab);
}

void TabWidget::connectUpdateSizes()
{
    connect(this, &QTabWidget::currentChanged, this, &TabWidget::updateSizes);
    m_fitsCurrentPage = true;
}

void TabWidget::fitToCurrentPage()
{
    if (m_fitsCurrentPage && currentIndex() >= 0)
        fitPages(currentIndex());
}

void TabWidget::changedTab(int index)
{
    Q_UNUSED(index)
    emit updateMathLabels();
}

void TabWidget::updateSizes(int index)
{
    fitPages(index);
    emit updateMathLabels();
}

void TabWidget::fitPages(int index)
{
    for (int i = 0; i < count(); ++i) {
        if (i != index)
            widget(i)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    if (QWidget *page = widget(index)) {
        page->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        page->resize(page->sizeHint());
        page->adjustSize();
    }
}

void TabWidget::showChild(Container *child)
{
    auto *page = dynamic_cast<QWidget *>(child);
    if (page && indexOf(page) >= 0)
        setCurrentWidget(page);
}

void TabWidget::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(pos)
    addTab(child, title);
}

WidgetContainer::CaptionRule TabWidget::captionRule(CaptionedKind kind) const
{
    const bool titleOnly = kind == CaptionedKind::CheckBox || kind == CaptionedKind::ToggleButton;
    return CaptionRule{!titleOnly, true};
}

void TabWidget::runPageSelectLists(QObject *sender, QWidget *page)
{
    if (auto *tabs = qobject_cast<TabWidget *>(sender))
        tabs->runSelectLists(page);
}

static void runSetDefList(ElementHost *host, const QWidget *page, const char *property)
{
    if (!host)
        return;
    const QStringList items = page->property(property).toStringList();
    for (const QString &item : items) {
        if (!item.isEmpty())
            host->requestSetDef(item);
    }
}

// Every connected page runs this once per tab change, in tab order.
void TabWidget::runSelectLists(QWidget *page)
{
    const int index = indexOf(page);
    if (index < 0)
        return;
    if (page == lastPage) {
        runSetDefList(host(), page, unselectListProperty);
    } else if (page == currentWidget()) {
        runSetDefList(host(), page, selectListProperty);
        currentPage = page;
    }
    // The last page with lists finishes the change. A page without lists never
    // ran its select list, so when it is shown nothing is due at the next change.
    if (!laterPageHasSelectLists(index))
        lastPage = currentPage == currentWidget() ? currentPage : nullptr;
}

bool TabWidget::laterPageHasSelectLists(int index) const
{
    for (int i = index + 1; i < count(); ++i) {
        const QWidget *page = widget(i);
        if (page->property(selectListProperty).isValid() || page->property(unselectListProperty).isValid())
            return true;
    }
    return false;
}
