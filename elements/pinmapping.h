#pragma once

#include <QWidget>

class PinMappingHost;
class PortMappingDetailsDialog;
class QGraphicsChipItem;
class QGraphicsScene;
class QPostMappingGraphicsView;
class QTimer;

// The panel element "pinmapper": the chip of the panel's pin-mapping file
// inside the panel, in the zoomable picture the port-mapping dialog shows,
// with its "&Details..." and "&Export..." buttons. A panel holds at most one;
// it holds no value. The picture is built once the panel is loaded.
class PinMapping : public QWidget
{
    Q_OBJECT
public:
    explicit PinMapping(const QString &name, QWidget *parent = nullptr);

    // Builds the picture over the host's pin-mapping data (once).
    void buildView(PinMappingHost *host);
    bool isBuilt() const { return m_scene != nullptr; }
    // Repaints the picture soon (the panel's values changed).
    void refresh();

    QTimer *timer() const { return m_timer; }
    QPostMappingGraphicsView *view() const { return m_view; }
    QGraphicsScene *scene() const { return m_scene; }
    PortMappingDetailsDialog *detailsDialog() const { return m_detailsDialog; }
    QGraphicsChipItem *chipItem() const { return m_chip; }

public slots:
    void showDetails();
    void exportMapping();
    void onTimer();

private:
    QTimer *m_timer = nullptr;
    QPostMappingGraphicsView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
    PortMappingDetailsDialog *m_detailsDialog = nullptr;
    QGraphicsChipItem *m_chip = nullptr;
    PinMappingHost *m_host = nullptr;
};
