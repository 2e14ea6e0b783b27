#pragma once

#include <qwt_plot.h>

// A plot of defines and variables over time. The curves come with the plot element.
class MyQwtPlot : public QwtPlot
{
    Q_OBJECT
public:
    explicit MyQwtPlot(QWidget *parent = nullptr);

    int history = 0;           // samples kept per curve
    uint curveMask = 0xffff;   // bit i: curve i visible
};
