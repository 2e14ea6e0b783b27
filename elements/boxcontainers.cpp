#include "boxcontainers.h"

#include "activeelement.h"
#include "kindedits.h"
#include "tabwidget.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QResizeEvent>
#include <QVBoxLayout>

template <class Layout>
static QBoxLayout *installBox(QWidget *container, int margin)
{
    // Set up before the container takes it: a new layout counts as laid out,
    // so the first invalidation would post a layout request to the
    // container. Invalidated while it has no parent, the layout posts none;
    // it is laid out when the container is shown or resized, as it would
    // be on that request. A large panel builds tens of thousands of
    // containers, and every posted request is compared with the whole
    // event queue.
    auto *layout = new Layout;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->invalidate();
    container->setLayout(layout);
    return layout;
}

GroupBox::GroupBox(const QString &title, QWidget *parent)
    : QGroupBox(title, parent)
    , WidgetContainer(this, installBox<QHBoxLayout>(this, 4))
{
}

void GroupBox::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

HorizontalWidget::HorizontalWidget(QWidget *parent)
    : QFrame(parent)
    , WidgetContainer(this, installBox<QHBoxLayout>(this, 0))
{
    setAutoFillBackground(true);
}

void HorizontalWidget::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

void HorizontalWidget::resizeEvent(QResizeEvent *event)
{
    const QString file = property("image").toString().replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!file.isEmpty()) {
        QPixmap image(file);
        if (!image.isNull())
            image = image.scaled(event->size(), Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);
        QPalette background = palette();
        background.setBrush(QPalette::Window, image);
        setPalette(background);
    }
    QFrame::resizeEvent(event);
}

VerticalWidget::VerticalWidget(QWidget *parent)
    : QWidget(parent)
    , WidgetContainer(this, installBox<QVBoxLayout>(this, 2))
{
}

void VerticalWidget::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

bool editGroupBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    Q_UNUSED(writes)
    auto *group = qobject_cast<GroupBox *>(element);
    if (!group || row != QLatin1String("Label"))
        return false;
    group->setTitle(value);
    // The common "my_label" carries it to the file.
    setElementPropertyOf(group, "my_label", value);
    return true;
}

int GroupBox::layoutIndexOf(QWidget *child) const
{
    return indexInLayout(child);
}

int HorizontalWidget::layoutIndexOf(QWidget *child) const
{
    return indexInLayout(child);
}

int VerticalWidget::layoutIndexOf(QWidget *child) const
{
    return indexInLayout(child);
}

void addChildStretch(QWidget *child)
{
    QWidget *parent = child->parentWidget();
    if (!qobject_cast<VerticalWidget *>(parent) && !qobject_cast<HorizontalWidget *>(parent))
        return;
    auto *box = qobject_cast<QBoxLayout *>(parent->layout());
    const int index = box ? box->indexOf(child) : -1;
    if (index >= 0)
        box->addStretch(index);
}
