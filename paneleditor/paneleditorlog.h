#pragma once

#include "logcategory.h"

// Developer traces of this library (off unless switched on; see logcategory.h).
QUILLMATE_LOGGING_CATEGORY(lcPanelEditor, "quillmate.paneleditor")
