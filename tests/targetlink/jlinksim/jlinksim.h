#pragma once

// jlinksim: a stand-in for the probe vendor's J-Link library, for tests and
// benchmarks. It is loaded exactly as the vendor's library would be (named by
// QUILLMATE_JLINK_LIBRARY, or copied as libjlinkarm.so beside the program) and
// exports the sixteen J-Link functions the program binds, with C linkage, over
// a model of target memory: sparse 4 KiB pages, flash at 0x08000000 (1 MiB,
// erased to 0xFF) and RAM at 0x20000000 (256 KiB, zeroed). An address outside
// both is a read or write error. Every call is serialised by one lock.
//
// Results: ReadMem 0 on success, WriteMem the byte count, DownloadFile 0;
// negative on error. SelectIP 1 and EMU_SelectByUSBSN negative on failure,
// OpenEx an error text. Memory access does not require a connection.
//
// Environment, read when the library is loaded and by jlinksim_reset():
//   JLINKSIM_PRELOAD  FILE[@ADDRESS][;FILE[@ADDRESS]...]: .bin files go to
//                     ADDRESS, .hex files to their own addresses
//   JLINKSIM_DUMP     FILE@ADDRESS:LENGTH: those bytes are written to FILE
//                     (binary) by JLINKARM_Close and when the library goes
//   JLINKSIM_LOG      FILE: one line per J-Link call, "NAME(ARGUMENTS) = RESULT",
//                     texts in double quotes exactly as passed
//   JLINKSIM_FAIL     NAME[,NAME...]: those J-Link functions fail
//
// The test helpers below are exported too; a test resolves them from the
// loaded library (JLink::resolveJLinkFunction), so they reach the same
// instance the binding calls.

#include <cstdint>

extern "C" {
// Memory access without logging, failure switches or delay: 0, or -1 when a
// byte is not mapped.
using JLinkSimPeek = int (*)(std::uint32_t address, std::uint32_t count, void *data);
using JLinkSimPoke = int (*)(std::uint32_t address, std::uint32_t count, const void *data);
// Replaces the list of failing functions (comma-separated names; null or
// empty: none fails).
using JLinkSimFail = void (*)(const char *names);
// Back to the state after loading: memory, probe state, counters, delay; the
// environment is read again and the call log started anew.
using JLinkSimReset = void (*)();
// Each ReadMem waits that long before it answers (0: no wait).
using JLinkSimSetReadDelay = void (*)(unsigned microseconds);
// Time spent inside ReadMem, summed over calls, and the number of calls.
using JLinkSimReadTime = unsigned long long (*)();
using JLinkSimReadCount = unsigned long long (*)();
// How often a ReadMem or WriteMem began while another was still running:
// 0 when the caller serialises its calls, as the vendor's library expects.
using JLinkSimOverlappingCalls = unsigned long long (*)();
}
