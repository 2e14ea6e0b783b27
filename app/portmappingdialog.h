#pragma once

#include <QDialog>

class PinMappingHost;
class PortMappingDetailsDialog;
class QCloseEvent;
class QGraphicsChipItem;
class QGraphicsScene;
class QPostMappingGraphicsView;
class QTimer;

// "Port mapping": the chip of the panel's pin-mapping file in a window of its
// own (the picture of the pin-mapping element), with its details dialog and
// the CSV export. It refreshes when the panel's values change; closing it
// ends it.
class PortMappingDialog : public QDialog
{
    Q_OBJECT
public:
    PortMappingDialog(PinMappingHost *host, QWidget *parent = nullptr);

    QTimer *timer() const { return m_timer; }
    QPostMappingGraphicsView *view() const { return m_view; }
    QGraphicsScene *scene() const { return m_scene; }
    PortMappingDetailsDialog *detailsDialog() const { return m_detailsDialog; }
    QGraphicsChipItem *chipItem() const { return m_chip; }

public slots:
    void showDetails();
    void exportMapping();
    void onTimer();

signals:
    // The window was closed: whoever keeps it as the open dialog forgets it.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTimer *m_timer = nullptr;
    QPostMappingGraphicsView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
    PortMappingDetailsDialog *m_detailsDialog = nullptr;
    QGraphicsChipItem *m_chip = nullptr;
    PinMappingHost *m_host = nullptr;
};
