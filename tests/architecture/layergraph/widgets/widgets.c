#include "widgets.h"
#include "model.h"
int widgets_value(void) { return model_value() + 1; }
