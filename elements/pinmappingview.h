#pragma once

#include <QGraphicsView>
#include <QPointer>

class PinMappingHost;
class PortMappingDetailsDialog;
class QGraphicsChipItem;
class QGraphicsScene;
class QPushButton;
class QTimer;

// The view of the chip picture: Ctrl with the mouse wheel zooms about the
// mouse (1.1 per step up, 0.9 down); without Ctrl it scrolls. Until the user
// zooms, the view shows the whole picture, scaled to fit the part of the view
// that is in sight: after every resize of the view or of the scroll area it
// sits in (a panel larger than its window), and after that area scrolls.
class QPostMappingGraphicsView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit QPostMappingGraphicsView(QWidget *parent = nullptr);

    // Scales the view so that the whole picture is seen, centred in the part
    // of the view in sight.
    void fitPicture();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Fits again once the layouts of the moment have run.
    void refitLater();
    // Follows the nearest scroll area around the view, if any.
    void watchOuterScrollArea();

    bool m_fitting = true;
    bool m_refitPending = false;
    QPointer<QAbstractScrollArea> m_outer;
};

// The chip picture the pin-mapping element and the port-mapping dialog share:
// a scene with the chip item, the file's pictures over it and the
// "&Details..." and "&Export..." buttons, in a view that fills the owner, a
// single-shot refresh timer and the details dialog, both children of the
// owner. Ctrl+F in the owner opens the find dialog.
struct PinMappingPicture {
    QTimer *timer = nullptr;
    QPostMappingGraphicsView *view = nullptr;
    QGraphicsScene *scene = nullptr;
    PortMappingDetailsDialog *detailsDialog = nullptr;
    QGraphicsChipItem *chip = nullptr;
    QPushButton *detailsButton = nullptr;
    QPushButton *exportButton = nullptr;
};
PinMappingPicture buildPinMappingPicture(QWidget *owner, PinMappingHost *host);

// Asks for a CSV file (parent of the dialog: parent) and writes the pins with
// their active functions to it. False when nothing was written (no file
// chosen, or the file could not be written, which is reported).
bool exportPinMappingCsv(QWidget *parent, PinMappingHost *host);
