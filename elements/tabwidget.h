#pragma once

#include "widgetcontainer.h"

#include <QTabWidget>

// A container whose every child is a new tab. It keeps the two page fields the
// pages' childSetDef slots use to run their "selectsetdef" and "unselectsetdef"
// lists, can size itself to the current page, and tells the formula labels to
// refresh when the user switches tabs.
class TabWidget : public QTabWidget, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit TabWidget(QWidget *parent = nullptr);

    // The page whose "unselectsetdef" list runs at the next tab change; the
    // panel reader starts it at the first page it connects.
    QWidget *lastPage = nullptr;
    // The page that ran its "selectsetdef" list last.
    QWidget *currentPage = nullptr;
    // The pages the panel reader connected for select lists.
    int setDefPageCount = 0;

    void connectChangedTab();
    void connectUpdateSizes();

    // The body of every page's childSetDef slot. When sender is a tab widget
    // holding page: runs page's "unselectsetdef" list when it is the page being
    // left, or its "selectsetdef" list when it is the page now shown. The last
    // page with select lists then remembers the page now shown for the next change.
    static void runPageSelectLists(QObject *sender, QWidget *page);
    // Connects the tab changes of tabs to the page's childSetDef slot; false,
    // with nothing connected, when the page is no container that has one.
    static bool connectPageSetDef(QTabWidget *tabs, QWidget *page);

    // Makes the child the current tab when it is one of the tabs.
    void showChild(Container *child) override;

    // For a tab widget that fits itself to its current page: the fit for the
    // page shown now, as a tab change makes it. Until then the widget is as
    // large as its largest page, which a large panel's pages make too tall
    // to be drawn. Others are left alone.
    void fitToCurrentPage();

signals:
    void updateMathLabels();

public slots:
    void changedTab(int index);
    // Only the page at index counts for the widget's size; it is fitted to its contents.
    void updateSizes(int index);

protected:
    // Appends the child as a tab titled title; pos is not used.
    void placeChild(QWidget *child, const QString &title, int pos) override;
    // Check boxes and toggle buttons show their text only as the tab title.
    CaptionRule captionRule(CaptionedKind kind) const override;

private:
    // Only the page at index counts for the widget's size.
    void fitPages(int index);
    void runSelectLists(QWidget *page);
    bool laterPageHasSelectLists(int index) const;

    bool m_fitsCurrentPage = false;
};

// Connects the updateMathLabels of a tab widget (its page changes) to slot
// of receiver, once however often it is asked; false, and no connection,
// for an object that is no tab widget.
template <typename Receiver, typename Slot>
bool connectTabRefresh(QObject *object, Receiver *receiver, Slot slot)
{
    auto *tabs = qobject_cast<TabWidget *>(object);
    if (!tabs)
        return false;
    QObject::connect(tabs, &TabWidget::updateMathLabels, receiver, slot, Qt::UniqueConnection);
    return true;
}
