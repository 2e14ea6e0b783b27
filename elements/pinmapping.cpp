#include "pinmapping.h"

#include "pinmappingdetailsdialog.h"
#include "pinmappingview.h"

#include <QGraphicsScene>
#include <QPushButton>
#include <QTimer>

PinMapping::PinMapping(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
}

void PinMapping::buildView(PinMappingHost *host)
{
    if (m_scene)
        return;
    m_host = host;
    const PinMappingPicture picture = buildPinMappingPicture(this, host);
    m_timer = picture.timer;
    m_view = picture.view;
    m_scene = picture.scene;
    m_detailsDialog = picture.detailsDialog;
    m_chip = picture.chip;
    connect(picture.detailsButton, &QPushButton::clicked, this, &PinMapping::showDetails);
    connect(picture.exportButton, &QPushButton::clicked, this, &PinMapping::exportMapping);
    connect(m_timer, &QTimer::timeout, this, &PinMapping::onTimer);
}

void PinMapping::refresh()
{
    if (m_timer)
        m_timer->start(1);
}

void PinMapping::showDetails()
{
    if (m_detailsDialog)
        m_detailsDialog->show();
}

void PinMapping::exportMapping()
{
    exportPinMappingCsv(this, m_host);
}

void PinMapping::onTimer()
{
    if (m_scene)
        m_scene->update();
}
