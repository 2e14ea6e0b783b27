#include "myqwtplot.h"

MyQwtPlot::MyQwtPlot(QWidget *parent)
    : QwtPlot(parent)
{
}
