#pragma once

// Sets the C library's heap up for a program that builds and lets go of
// texts of several megabytes again and again (project files, headers and
// panels of large panels): such blocks come from the heap and go back to it,
// instead of being mapped fresh from the system for each save, where every
// page is cleared by the kernel on first touch. Memory let go of stays with
// the program up to a bound before it is returned. Small blocks are merged
// when they are freed, so dropping a large panel stays linear in its size.
// Call once, first thing in main().
void tuneHeapForLargeTexts();
