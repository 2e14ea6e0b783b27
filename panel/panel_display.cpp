// Panel: refreshing plot curves, dials and thermometers after a define or
// variable changed.
#include "panel.h"

void Panel::on_updateCurve() {}
void Panel::on_updateDial() {}
void Panel::on_updateThermo() {}
