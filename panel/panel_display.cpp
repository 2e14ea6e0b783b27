// Panel: refreshing display items (curves, dials, LEDs, logs, formulas,
// SVG images, thermometers) after a define or variable changed.
#include "panel.h"

void Panel::on_updateCurve() {}
void Panel::on_updateDial() {}
void Panel::on_updateLED() {}
void Panel::on_updateLog() {}
void Panel::on_updateMathLabel() {}
void Panel::on_updateSvgImage() {}
void Panel::on_updateThermo() {}
void Panel::refreshSvgImages() {}
