// Finding a panel element, bringing it into view and marking it for a few
// seconds.
#include "windowelementfinder.h"

#include "mainwindow.h"

#include "container.h"
#include "contrast.h"
#include "elementkinds.h"
#include "finddialog.h"
#include "quillpanel.h"
#include "treewidgetitem.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimerEvent>
#include <QTreeWidget>

// How long a mark stays.
static constexpr int highlightMilliseconds = 5000;

void WindowElementFinder::search()
{
    FindDialog dialog(m_window.m_panel->registries().elementNames, m_window.m_pinMapping->portMappingDialog());
    dialog.exec();
    const QString name = dialog.text();
    if (name.isEmpty())
        return;
    // Exact and case-sensitive, although the completer offers names in any case.
    for (ActiveElement *element : qAsConst(m_window.m_panel->getAllElements())) {
        if (PanelNames::getObjectName(element) == name) {
            raiseElement(element);
            return;
        }
    }
    // Buttons, LEDs, pictures, dials, thermometers and plots have no value
    // and are known by their names only.
    if (QWidget *widget = m_window.m_panel->namedWidget(name))
        raiseNamedWidget(widget);
}

void WindowElementFinder::raiseNamedWidget(QWidget *widget)
{
    // The containers around the widget, outermost first: each opens the
    // page or branch that holds the next, the innermost the widget's row.
    QList<Container *> chain;
    for (QWidget *ancestor = widget->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *container = dynamic_cast<Container *>(ancestor))
            chain.prepend(container);
    }
    for (int i = 0; i + 1 < chain.size(); ++i)
        chain.at(i)->showChild(chain.at(i + 1));
    if (!chain.isEmpty())
        chain.last()->showWidget(widget);
    cancelHighlight();
    markWidget(widget, Qt::blue);
}

void WindowElementFinder::raiseDefine(const QString &define)
{
    if (define.isEmpty())
        return;
    if (ActiveElement *element = m_window.m_panel->getActiveElement(define))
        raiseElement(element);
}

// The widget that stands for an element: the element itself, or the checked
// button of a radio group (null when none is checked).
static QWidget *elementWidget(ActiveElement *element)
{
    auto *object = objectOf(element);
    if (auto *widget = qobject_cast<QWidget *>(object))
        return widget;
    if (auto *group = qobject_cast<QButtonGroup *>(object))
        return group->checkedButton();
    return nullptr;
}

// The colour a widget's text is drawn on: its own window where it fills it,
// the page of a text field, else what shows through from its parents.
static QColor textBackground(const QWidget *widget, const QPalette &palette)
{
    if (widget->autoFillBackground())
        return palette.color(QPalette::Window);
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractScrollArea *>(widget))
        return palette.color(QPalette::Base);
    for (const QWidget *at = widget->parentWidget(); at; at = at->parentWidget()) {
        if (at->autoFillBackground() || at->isWindow())
            return at->palette().color(at->backgroundRole());
    }
    return palette.color(QPalette::Window);
}

// The mark over a widget's palette: window and button in the colour, the
// text in the colour too, moved just far enough toward black or white to
// read on what it is drawn on (a dark palette's window, the mark itself
// where the widget fills its window); a button's text reads on the mark.
static void fillPalette(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button})
        palette.setBrush(role, QBrush(colour)); // every colour group
    const QColor text = readableTextColor(textBackground(widget, palette), colour);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        palette.setBrush(role, QBrush(text));
    palette.setBrush(QPalette::ButtonText, QBrush(readableTextColor(colour)));
    widget->setPalette(palette);
}

void WindowElementFinder::markWidget(QWidget *widget, const QColor &other)
{
    if (isEditableElement(widget, true)) {
        // By style sheet: the program's style sheet would hide a palette
        // change. The digits on the mark take a colour that reads on it.
        widget->setStyleSheet(QStringLiteral("background-color: rgb(0,0,255); color: %1;")
                                  .arg(readableTextColor(QColor(Qt::blue)).name()));
    } else {
        m_mark.palette = widget->palette();
        fillPalette(widget, other);
    }
    m_mark.widget = widget;
    m_mark.timerId = startTimer(highlightMilliseconds, Qt::CoarseTimer);
}

void WindowElementFinder::raiseElement(ActiveElement *element)
{
    if (!element)
        return;
    // Each container opens the page or branch that holds the next one.
    const QList<Container *> chain = element->containers();
    bool inTreeBranch = false;
    for (int i = 0; i + 1 < chain.size(); ++i) {
        chain.at(i)->showChild(chain.at(i + 1));
        if (i + 2 < chain.size() && dynamic_cast<TreeWidgetItem *>(chain.at(i)))
            inTreeBranch = true;
    }
    Container *innermost = chain.isEmpty() ? nullptr : chain.last();

    QWidget *widget = elementWidget(element);
    if (!widget)
        return;
    if (innermost && !qobject_cast<QWidget *>(objectOf(element))
        && qobject_cast<QRadioButton *>(widget))
        innermost->showWidget(widget);
    // Deep in a tree, the selected row is the mark of an enabled element.
    if (widget->isEnabled() && inTreeBranch) {
        innermost->showWidget(widget);
        return;
    }

    cancelHighlight();
    markWidget(widget, Qt::blue);
    if (auto *branch = dynamic_cast<TreeWidgetItem *>(innermost)) {
        QTreeWidget *view = branch->treeWidget();
        for (int i = 0; view && i < branch->childCount(); ++i) {
            QTreeWidgetItem *row = branch->child(i);
            if (view->itemWidget(row, 1) == widget) {
                row->setBackground(0, QBrush(Qt::blue));
                row->setForeground(0, QBrush(readableTextColor(QColor(Qt::blue))));
                m_mark.item = row;
                m_mark.tree = view;
                break;
            }
        }
    }
}

void WindowElementFinder::raiseWidget(QWidget *widget)
{
    cancelHighlight();
    if (widget)
        markWidget(widget, Qt::red);
}

// Ends the mark at once, however it ends: the timer goes, the widget and the
// tree row get their look back, and nothing stays remembered. A mark restored
// twice could undo a colour set after it.
void WindowElementFinder::cancelHighlight()
{
    if (m_mark.timerId != 0)
        killTimer(m_mark.timerId);
    m_mark.timerId = 0;
    if (m_mark.widget) {
        if (isEditableElement(m_mark.widget, false))
            m_mark.widget->setStyleSheet(m_mark.styleSheet);
        else
            m_mark.widget->setPalette(m_mark.palette);
    }
    // A row of a tree that was since replaced is gone with its view.
    if (m_mark.item && m_mark.tree) {
        m_mark.item->setBackground(0, QBrush());
        m_mark.item->setData(0, Qt::ForegroundRole, QVariant());
    }
    m_mark.widget = nullptr;
    m_mark.item = nullptr;
    m_mark.tree = nullptr;
}

void WindowElementFinder::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_mark.timerId) {
        cancelHighlight();
        return;
    }
    // Every timer of the finder is single-shot.
    killTimer(event->timerId());
}

void WindowElementFinder::forgetPanelMark()
{
    m_mark.timerId = 0;
    m_mark.item = nullptr;
}

bool WindowElementFinder::isEditableElement(QWidget *widget, bool rememberStyle)
{
    const ElementKind *kind = elementKindOf(widget);
    const bool editable = kind && kind->editable;
    if (editable && rememberStyle)
        m_mark.styleSheet = widget->styleSheet();
    return editable;
}
