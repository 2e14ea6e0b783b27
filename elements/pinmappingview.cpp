#include "pinmappingview.h"

#include "contrast.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "pinmappingdetailsdialog.h"
#include "pinmappinghost.h"
#include "pinmappingmodel.h"
#include "prompt.h"
#include "qgraphicschipitem.h"
#include "textfilewriter.h"

#include <QDir>
#include <QGraphicsPixmapItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

QPostMappingGraphicsView::QPostMappingGraphicsView(QWidget *parent) : QGraphicsView(parent) {}

void QPostMappingGraphicsView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    m_fitting = false;
    const ViewportAnchor anchor = transformationAnchor();
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    const double factor = event->angleDelta().y() > 0 ? 1.1 : 0.9;
    scale(factor, factor);
    setTransformationAnchor(anchor);
    event->accept();
}

void QPostMappingGraphicsView::fitPicture()
{
    if (!scene())
        return;
    const QRectF picture = scene()->itemsBoundingRect().adjusted(-8, -8, 8, 8);
    const QRect whole = viewport()->rect();
    if (picture.isEmpty() || whole.width() <= 2 || whole.height() <= 2)
        return;
    // The part of the view the window shows; all of it while nothing is
    // shown yet.
    QRect seen = viewport()->visibleRegion().boundingRect() & whole;
    if (seen.width() <= 2 || seen.height() <= 2)
        seen = whole;
    const double factor = std::min(seen.width() / picture.width(), seen.height() / picture.height());
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    setTransform(QTransform::fromScale(factor, factor));
    // The scene rectangle is what the view shows, a pixel inside it so that no
    // scroll bar comes up, with the picture's centre at the centre of the
    // part in sight. It holds the whole picture, so after a zoom the scroll
    // bars reach all of it.
    const QPointF centre = picture.center();
    const QPointF seenCentre = QRectF(seen).center() - QRectF(whole).topLeft();
    const QRectF shown(centre.x() - (seenCentre.x() - 1) / factor, centre.y() - (seenCentre.y() - 1) / factor,
                       (whole.width() - 2) / factor, (whole.height() - 2) / factor);
    setSceneRect(shown | picture);
    centerOn(centre + (QRectF(whole).center() - QRectF(seen).center()) / factor);
}

void QPostMappingGraphicsView::refitLater()
{
    if (!m_fitting || m_refitPending)
        return;
    m_refitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refitPending = false;
        if (m_fitting)
            fitPicture();
    });
}

void QPostMappingGraphicsView::watchOuterScrollArea()
{
    QAbstractScrollArea *outer = nullptr;
    for (QWidget *at = parentWidget(); at && !outer; at = at->parentWidget())
        outer = qobject_cast<QAbstractScrollArea *>(at);
    if (outer == m_outer)
        return;
    if (m_outer) {
        m_outer->viewport()->removeEventFilter(this);
        disconnect(m_outer->horizontalScrollBar(), nullptr, this, nullptr);
        disconnect(m_outer->verticalScrollBar(), nullptr, this, nullptr);
    }
    m_outer = outer;
    if (!outer)
        return;
    outer->viewport()->installEventFilter(this);
    connect(outer->horizontalScrollBar(), &QScrollBar::valueChanged, this, &QPostMappingGraphicsView::refitLater);
    connect(outer->verticalScrollBar(), &QScrollBar::valueChanged, this, &QPostMappingGraphicsView::refitLater);
}

bool QPostMappingGraphicsView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_outer && watched == m_outer->viewport() && event->type() == QEvent::Resize)
        refitLater();
    return QGraphicsView::eventFilter(watched, event);
}

void QPostMappingGraphicsView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    if (m_fitting) {
        fitPicture();
        // What is in sight is known once the layouts around have run.
        refitLater();
    }
}

void QPostMappingGraphicsView::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    watchOuterScrollArea();
    if (m_fitting) {
        fitPicture();
        refitLater();
    }
}

PinMappingPicture buildPinMappingPicture(QWidget *owner, PinMappingHost *host)
{
    PinMappingPicture picture;
    PinMappingModel *model = host ? host->pinMappingModel() : nullptr;

    picture.detailsButton = new QPushButton(QObject::tr("&Details..."));
    picture.exportButton = new QPushButton(QObject::tr("&Export..."));

    auto *find = new QShortcut(QKeySequence::Find, owner);
    find->setContext(Qt::WindowShortcut);
    QObject::connect(find, &QShortcut::activated, owner, [host] {
        if (host)
            host->searchElement();
    });

    // The scene goes with its owner.
    picture.scene = new QGraphicsScene(owner);
    picture.view = new QPostMappingGraphicsView;
    picture.view->setScene(picture.scene);
    if (model)
        picture.scene->setBackgroundBrush(QBrush(model->backgroundColor, Qt::SolidPattern));
    picture.view->setRenderHint(QPainter::Antialiasing);
    // The drawing is made for a white page (black outline, texts in black
    // or white on their pins): the view keeps one under any palette.
    picture.view->setPalette(lightBasePalette(picture.view->palette()));

    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(picture.view);
    delete owner->layout();
    owner->setLayout(layout);

    QGraphicsProxyWidget *details = picture.scene->addWidget(picture.detailsButton);
    QGraphicsProxyWidget *exportProxy = picture.scene->addWidget(picture.exportButton);
    if (model) {
        details->setPos(double(model->detailsPos.x), double(model->detailsPos.y));
        exportProxy->setPos(double(model->exportPos.x), double(model->exportPos.y));
    }

    picture.chip = new QGraphicsChipItem(host);
    picture.scene->addItem(picture.chip);
    picture.chip->setPos(0, 0);

    if (model) {
        for (const PinImageEntry &image : qAsConst(model->images)) {
            // Named as in the panel: relative to the panel's folder.
            QString file = image.file;
            file.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (ElementHost *elements = host->elementHost())
                file = QDir::cleanPath(QDir(elements->panelDirectory()).filePath(file));
            auto *item = new QGraphicsPixmapItem(QPixmap(file));
            item->setOffset(image.x, image.y);
            item->setFlag(QGraphicsItem::ItemIsMovable, image.moveable);
            picture.scene->addItem(item);
        }
    }

    picture.timer = new QTimer(owner);
    picture.timer->setSingleShot(true);
    picture.detailsDialog = new PortMappingDetailsDialog(host, owner);
    return picture;
}

bool exportPinMappingCsv(QWidget *parent, PinMappingHost *host)
{
    PinMappingModel *model = host ? host->pinMappingModel() : nullptr;
    if (!model)
        return false;
    const QString file = Prompt::instance().saveFileName(parent, QObject::tr("Save mapping to CSV"),
                                                         host->workingDirectory(),
                                                         QObject::tr("CSV Files (*.csv)"));
    if (file.isEmpty())
        return false;
    TextFileWriter writer(file, WrittenKind::Csv);
    writer.setDiskBytes(model->csvText(host).toUtf8());
    return writeReported(writer);
}
