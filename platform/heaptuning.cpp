#include "heaptuning.h"

#include <malloc.h>

void tuneHeapForLargeTexts()
{
    // Blocks up to 32 MiB from the heap; up to 64 MiB of free heap top kept.
    // Fixing the thresholds also ends the C library's own adjustment of
    // them, which made the cost of a save depend on what ran before it.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    // No fast bins: small blocks freed beyond the thread cache are merged
    // with their neighbours at once, while they are still in the cache. Kept
    // in fast bins, the hundreds of thousands of blocks a large panel frees
    // when it goes were merged later in bursts by each larger allocation on
    // the way (every hash table that shrinks), a second pass over a heap of
    // hundreds of megabytes that made the teardown grow faster than the
    // panel.
    mallopt(M_MXFAST, 0);
}
