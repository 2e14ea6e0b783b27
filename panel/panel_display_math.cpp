// Panel: refreshing formula labels after a define or variable changed.
#include "panel.h"

void Panel::on_updateMathLabel() {}
