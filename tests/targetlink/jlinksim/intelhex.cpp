#include "intelhex.h"

namespace jlinksim {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool fail(std::string *error, std::size_t lineNumber, const char *what)
{
    if (error)
        *error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
}

} // namespace

bool parseIntelHex(const char *text, std::size_t size, std::vector<HexChunk> *chunks,
                   std::string *error)
{
    std::uint32_t base = 0;
    std::size_t lineNumber = 0;
    std::size_t position = 0;
    while (position < size) {
        ++lineNumber;
        std::size_t end = position;
        while (end < size && text[end] != '\n')
            ++end;
        const std::size_t next = end < size ? end + 1 : end;
        std::size_t first = position;
        std::size_t last = end;
        while (first < last && isBlank(text[first]))
            ++first;
        while (last > first && isBlank(text[last - 1]))
            --last;
        position = next;
        if (first == last)
            continue;

        if (text[first] != ':')
            return fail(error, lineNumber, "record does not start with ':'");
        const std::size_t digits = last - first - 1;
        if (digits % 2 != 0 || digits < 10)
            return fail(error, lineNumber, "record too short or odd number of digits");
        std::vector<std::uint8_t> record(digits / 2);
        for (std::size_t i = 0; i < record.size(); ++i) {
            const int high = hexDigit(text[first + 1 + 2 * i]);
            const int low = hexDigit(text[first + 2 + 2 * i]);
            if (high < 0 || low < 0)
                return fail(error, lineNumber, "not a hexadecimal digit");
            record[i] = std::uint8_t(high * 16 + low);
        }
        const std::size_t count = record[0];
        if (record.size() != count + 5)
            return fail(error, lineNumber, "byte count does not match the record length");
        unsigned sum = 0;
        for (const std::uint8_t byte : record)
            sum += byte;
        if ((sum & 0xFFu) != 0)
            return fail(error, lineNumber, "checksum mismatch");

        const std::uint32_t offset = std::uint32_t(record[1]) << 8 | record[2];
        const std::uint8_t type = record[3];
        const std::uint8_t *data = record.data() + 4;
        switch (type) {
        case 0x00: {
            if (count == 0)
                break;
            const std::uint64_t address = std::uint64_t(base) + offset;
            if (address + count > 0x100000000ull)
                return fail(error, lineNumber, "data beyond the 32-bit address space");
            if (chunks->empty()
                || std::uint64_t(chunks->back().address) + chunks->back().bytes.size() != address)
                chunks->push_back(HexChunk{std::uint32_t(address), {}});
            chunks->back().bytes.insert(chunks->back().bytes.end(), data, data + count);
            break;
        }
        case 0x01:
            return true;
        case 0x02:
            if (count != 2)
                return fail(error, lineNumber, "segment address record needs 2 bytes");
            base = (std::uint32_t(data[0]) << 8 | data[1]) << 4;
            break;
        case 0x04:
            if (count != 2)
                return fail(error, lineNumber, "linear address record needs 2 bytes");
            base = (std::uint32_t(data[0]) << 8 | data[1]) << 16;
            break;
        case 0x03:
        case 0x05:
            if (count != 4)
                return fail(error, lineNumber, "start address record needs 4 bytes");
            break;
        default:
            return fail(error, lineNumber, "unknown record type");
        }
    }
    return true;
}

} // namespace jlinksim
