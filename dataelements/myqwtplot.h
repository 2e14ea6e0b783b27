#pragma once

#include <qwt_plot.h>

// A plot of defines and variables over time. The curves come with the plot element.
class MyQwtPlot : public QwtPlot
{
    Q_OBJECT
public:
    explicit MyQwtPlot(QWidget *parent = nullptr);

    // Empties every curve and goes back to the axis ranges the panel gave.
    void reset();
    // Shows curve i when bit i of mask is set. Items that are no curves take
    // no bit; the 33rd curve uses bit 0 again. Does not redraw.
    void setCurveVisibility(uint mask);

    int history = 0;           // samples kept per curve
    uint curveMask = 0xffff;   // bit i: curve i visible
    // The axis ranges the plot shows now: y (minY..maxY) and x (minX..maxX).
    float minY = 0.0f;
    float maxY = 0.0f;
    quint32 minX = 0;
    quint32 maxX = 0;
};
