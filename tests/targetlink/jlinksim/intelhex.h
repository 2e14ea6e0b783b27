#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jlinksim {

// A run of consecutive bytes of an Intel HEX file.
struct HexChunk {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;
};

// Reads Intel HEX text (records 00 to 05, LF or CR LF line ends, blank lines
// allowed, nothing after the end-of-file record is read). Data records that
// continue the previous one are joined into one chunk. Returns false with a
// message naming the line on the first malformed record; chunks then hold
// what was read before it.
bool parseIntelHex(const char *text, std::size_t size, std::vector<HexChunk> *chunks,
                   std::string *error);

} // namespace jlinksim
