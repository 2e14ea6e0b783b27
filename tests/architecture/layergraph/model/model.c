#include "model.h"
#include "base.h"
int model_value(void) { return base_value() + 1; }
