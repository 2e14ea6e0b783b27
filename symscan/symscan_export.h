#pragma once

#include <QtGlobal>

// Symscan is a shared library built with hidden visibility: only what carries
// SYMSCAN_EXPORT is visible to the program. The sanitizer pass compiles the
// sources straight into its driver, where the macro makes no difference.
#if defined(SYMSCAN_LIBRARY)
#define SYMSCAN_EXPORT Q_DECL_EXPORT
#else
#define SYMSCAN_EXPORT Q_DECL_IMPORT
#endif
