#include "portmappingdialog.h"

#include "pinmappingdetailsdialog.h"
#include "pinmappingview.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QPushButton>
#include <QTimer>

PortMappingDialog::PortMappingDialog(PinMappingHost *host, QWidget *parent)
    : QDialog(parent), m_host(host)
{
    setWindowTitle(tr("Port mapping"));
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    resize(700, 700);
    // Every request opens a new window; a closed one goes away instead of
    // piling up hidden under the panel.
    setAttribute(Qt::WA_DeleteOnClose);

    const PinMappingPicture picture = buildPinMappingPicture(this, host);
    m_timer = picture.timer;
    m_view = picture.view;
    m_scene = picture.scene;
    m_detailsDialog = picture.detailsDialog;
    m_chip = picture.chip;
    connect(picture.detailsButton, &QPushButton::clicked, this, &PortMappingDialog::showDetails);
    connect(picture.exportButton, &QPushButton::clicked, this, &PortMappingDialog::exportMapping);
    connect(m_timer, &QTimer::timeout, this, &PortMappingDialog::onTimer);
}

void PortMappingDialog::showDetails()
{
    m_detailsDialog->show();
}

void PortMappingDialog::exportMapping()
{
    exportPinMappingCsv(this, m_host);
}

void PortMappingDialog::onTimer()
{
    m_scene->update();
}

void PortMappingDialog::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
