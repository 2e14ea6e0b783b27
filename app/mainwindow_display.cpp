// MainWindow: refreshing display items (curves, dials, LEDs, logs, formulas,
// SVG images, thermometers) after a define or variable changed.
#include "mainwindow.h"

void MainWindow::on_updateCurve() {}
void MainWindow::on_updateDial() {}
void MainWindow::on_updateLED() {}
void MainWindow::on_updateLog() {}
void MainWindow::on_updateMathLabel() {}
void MainWindow::on_updateSvgImage() {}
void MainWindow::on_updateThermo() {}
void MainWindow::refreshSvgImages() {}
