#include "myqwtplot.h"

#include <qwt_plot_curve.h>

MyQwtPlot::MyQwtPlot(QWidget *parent)
    : QwtPlot(parent)
{
}

void MyQwtPlot::reset()
{
}

void MyQwtPlot::setCurveVisibility(uint mask)
{
    curveMask = mask;
    int bit = 0;
    const QwtPlotItemList items = itemList(QwtPlotItem::Rtti_PlotCurve);
    for (QwtPlotItem *item : items) {
        item->setVisible((mask >> bit) & 1u);
        bit = (bit + 1) % 32;
    }
}
