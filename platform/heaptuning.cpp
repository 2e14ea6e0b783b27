#include "heaptuning.h"

#include <malloc.h>

void tuneHeapForLargeTexts()
{
    // Blocks up to 32 MiB from the heap; up to 64 MiB of free heap top kept.
    // Fixing the thresholds also ends the C library's own adjustment of
    // them, which made the cost of a save depend on what ran before it.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}
