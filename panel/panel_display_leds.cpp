// Panel: refreshing LEDs and SVG images after a define or variable changed.
#include "panel.h"

void Panel::on_updateLED() {}
void Panel::on_updateSvgImage() {}
void Panel::refreshSvgImages() {}
