#include "model2.h"
#include "base.h"
#ifdef INCLUDE_UPWARD
/* A core library reaching for an element library's header it does not link. */
#include "widgets.h"
#endif
int model2_value(void) { return base_value() + 2; }
