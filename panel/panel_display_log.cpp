// Panel: logging a define's value to the log elements bound to it.
#include "panel.h"

void Panel::on_updateLog() {}
