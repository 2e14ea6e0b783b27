#include "base.h"
int base_value(void) { return 1; }
