#include "boxcontainers.h"

#include "tabwidget.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QResizeEvent>
#include <QVBoxLayout>

template <class Layout>
static QBoxLayout *installBox(QWidget *container, int margin)
{
    auto *layout = new Layout(container);
    layout->setContentsMargins(margin, margin, margin, margin);
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
