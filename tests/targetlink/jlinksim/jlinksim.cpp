#include "jlinksim.h"
#include "intelhex.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#define JLINKSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using MessageCallback = void (*)(const char *);

constexpr std::uint32_t pageSize = 4096;

struct Region {
    std::uint32_t base;
    std::uint32_t size;
    std::uint8_t fill;
};

const Region defaultRegions[] = {
    {0x08000000u, 0x00100000u, 0xFF}, // flash
    {0x20000000u, 0x00040000u, 0x00}, // RAM
};

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) {
        while (!part.empty() && (part.front() == ' ' || part.front() == '\t'))
            part.erase(part.begin());
        while (!part.empty() && (part.back() == ' ' || part.back() == '\t'))
            part.pop_back();
        if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool parseNumber(const std::string &text, std::uint64_t *value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    *value = std::strtoull(text.c_str(), &end, 0);
    return end && *end == '\0';
}

bool endsWith(const std::string &text, const char *suffix)
{
    const std::size_t length = std::strlen(suffix);
    if (text.size() < length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[text.size() - length + i];
        if (std::tolower(static_cast<unsigned char>(c)) != suffix[i])
            return false;
    }
    return true;
}

bool readFile(const std::string &name, std::string *contents)
{
    std::ifstream file(name, std::ios::binary);
    if (!file)
        return false;
    contents->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

[[maybe_unused]] std::string hexNumber(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

std::string quoted(const char *text)
{
    return text ? "\"" + std::string(text) + "\"" : std::string("null");
}

// The vendor's library expects its caller to serialise calls; the memory
// calls count how often one started while another was still running.
std::atomic<int> callsInFlight{0};
std::atomic<unsigned long long> overlappingCalls{0};

struct InFlight {
    InFlight()
    {
        if (callsInFlight.fetch_add(1) > 0)
            ++overlappingCalls;
    }
    ~InFlight() { --callsInFlight; }
    InFlight(const InFlight &) = delete;
    InFlight &operator=(const InFlight &) = delete;
};

class Simulator
{
public:
    Simulator() { resetLocked(); }
    ~Simulator()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dumpLocked();
    }

    std::mutex &mutex() { return m_mutex; }

    void resetLocked()
    {
        m_pages.clear();
        m_open = false;
        m_connected = false;
        m_serialNumber = 0;
        m_ipHost.clear();
        m_readDelayUs = 0;
        m_readTimeNs = 0;
        m_readCount = 0;
        overlappingCalls = 0;
        m_failing = split(environment("JLINKSIM_FAIL"), ',');
        m_log.reset();
        const std::string logName = environment("JLINKSIM_LOG");
        if (!logName.empty()) {
            // Started empty, then appended to, so that a reader may empty it.
            if (std::FILE *file = std::fopen(logName.c_str(), "w"))
                std::fclose(file);
            m_log.reset(std::fopen(logName.c_str(), "a"));
        }
        for (const std::string &entry : split(environment("JLINKSIM_PRELOAD"), ';'))
            preloadLocked(entry);
    }

    void setFailing(const char *names) { m_failing = split(names ? names : "", ','); }

    bool failing(const char *function) const
    {
        for (const std::string &name : m_failing)
            if (name == function)
                return true;
        return false;
    }

    bool logging() const { return bool(m_log); }

    void log(const std::string &line)
    {
        if (!m_log)
            return;
        std::fputs(line.c_str(), m_log.get());
        std::fputc('\n', m_log.get());
        std::fflush(m_log.get());
    }

    bool read(std::uint32_t address, std::uint32_t count, std::uint8_t *data) const
    {
        if (!mapped(address, count))
            return false;
        for (std::uint64_t done = 0; done < count;) {
            const std::uint32_t at = std::uint32_t(address + done);
            const std::uint32_t inPage = at % pageSize;
            const std::uint32_t chunk = std::uint32_t(std::min<std::uint64_t>(pageSize - inPage, count - done));
            const auto page = m_pages.find(at / pageSize);
            if (page != m_pages.end())
                std::memcpy(data + done, page->second->data() + inPage, chunk);
            else
                std::memset(data + done, regionOf(at)->fill, chunk);
            done += chunk;
        }
        return true;
    }

    bool write(std::uint32_t address, std::uint32_t count, const std::uint8_t *data)
    {
        if (!mapped(address, count))
            return false;
        for (std::uint64_t done = 0; done < count;) {
            const std::uint32_t at = std::uint32_t(address + done);
            const std::uint32_t inPage = at % pageSize;
            const std::uint32_t chunk = std::uint32_t(std::min<std::uint64_t>(pageSize - inPage, count - done));
            std::memcpy(pageAt(at)->data() + inPage, data + done, chunk);
            done += chunk;
        }
        return true;
    }

    // 0, or negative: -1 the file cannot be read, -2 malformed HEX, -3 unmapped.
    int loadFile(const std::string &name, std::uint32_t address)
    {
        std::string contents;
        if (!readFile(name, &contents))
            return -1;
        if (endsWith(name, ".hex")) {
            std::vector<jlinksim::HexChunk> chunks;
            if (!jlinksim::parseIntelHex(contents.data(), contents.size(), &chunks, nullptr))
                return -2;
            for (const jlinksim::HexChunk &chunk : chunks)
                if (!mapped(chunk.address, std::uint32_t(chunk.bytes.size())))
                    return -3;
            for (const jlinksim::HexChunk &chunk : chunks)
                write(chunk.address, std::uint32_t(chunk.bytes.size()), chunk.bytes.data());
            return 0;
        }
        if (contents.size() > 0xFFFFFFFFull
            || !write(address, std::uint32_t(contents.size()),
                      reinterpret_cast<const std::uint8_t *>(contents.data())))
            return -3;
        return 0;
    }

    // JLINKSIM_DUMP=FILE@ADDRESS:LENGTH
    void dumpLocked() const
    {
        const std::string spec = environment("JLINKSIM_DUMP");
        const std::size_t at = spec.rfind('@');
        if (at == std::string::npos)
            return;
        const std::string range = spec.substr(at + 1);
        const std::size_t colon = range.find(':');
        std::uint64_t address = 0;
        std::uint64_t length = 0;
        if (colon == std::string::npos || !parseNumber(range.substr(0, colon), &address)
            || !parseNumber(range.substr(colon + 1), &length) || address > 0xFFFFFFFFull
            || length > 0xFFFFFFFFull)
            return;
        std::vector<std::uint8_t> bytes(length, 0);
        for (std::uint64_t i = 0; i < length; ++i) {
            const std::uint64_t byteAddress = address + i;
            if (byteAddress <= 0xFFFFFFFFull && mapped(std::uint32_t(byteAddress), 1))
                read(std::uint32_t(byteAddress), 1, &bytes[i]);
        }
        if (std::FILE *file = std::fopen(spec.substr(0, at).c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }

    bool m_open = false;
    bool m_connected = false;
    std::uint32_t m_serialNumber = 0;
    std::string m_ipHost;
    std::atomic<unsigned> m_readDelayUs{0};
    std::atomic<unsigned long long> m_readTimeNs{0};
    std::atomic<unsigned long long> m_readCount{0};

private:
    using Page = std::array<std::uint8_t, pageSize>;
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };

    static const Region *regionOf(std::uint32_t address)
    {
        for (const Region &region : defaultRegions)
            if (address >= region.base && address - region.base < region.size)
                return &region;
        return nullptr;
    }

    static bool mapped(std::uint32_t address, std::uint32_t count)
    {
        std::uint64_t at = address;
        const std::uint64_t end = std::uint64_t(address) + count;
        while (at < end) {
            if (at > 0xFFFFFFFFull)
                return false;
            const Region *region = regionOf(std::uint32_t(at));
            if (!region)
                return false;
            at = std::uint64_t(region->base) + region->size;
        }
        return true;
    }

    Page *pageAt(std::uint32_t address)
    {
        std::unique_ptr<Page> &page = m_pages[address / pageSize];
        if (!page) {
            page = std::make_unique<Page>();
            page->fill(regionOf(address)->fill);
        }
        return page.get();
    }

    void preloadLocked(const std::string &entry)
    {
        const std::size_t at = entry.rfind('@');
        std::uint64_t address = 0;
        if (at != std::string::npos && !parseNumber(entry.substr(at + 1), &address))
            return;
        loadFile(entry.substr(0, at), std::uint32_t(address));
    }

    std::mutex m_mutex;
    std::unordered_map<std::uint32_t, std::unique_ptr<Page>> m_pages;
    std::vector<std::string> m_failing;
    std::unique_ptr<std::FILE, FileCloser> m_log;
};

Simulator simulator;

} // namespace

// ---- The J-Link functions

JLINKSIM_EXPORT char JLINKARM_IsOpen()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const char result = simulator.failing("JLINKARM_IsOpen") ? 0 : char(simulator.m_open);
    simulator.log("JLINKARM_IsOpen() = " + std::to_string(int(result)));
    return result;
}

JLINKSIM_EXPORT void JLINKARM_Close()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.log("JLINKARM_Close()");
    if (simulator.failing("JLINKARM_Close"))
        return;
    simulator.m_open = false;
    simulator.m_connected = false;
    simulator.dumpLocked();
}

JLINKSIM_EXPORT int JLINKARM_ExecCommand(const char *command, char *error, int errorSize)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    int result = 0;
    if (simulator.failing("JLINKARM_ExecCommand")) {
        if (error && errorSize > 0)
            std::snprintf(error, std::size_t(errorSize), "jlinksim: command refused: %s",
                          command ? command : "");
        result = -1;
    }
    simulator.log("JLINKARM_ExecCommand(" + quoted(command) + ") = " + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT void JLINKARM_Go()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.log("JLINKARM_Go()");
}

JLINKSIM_EXPORT int JLINKARM_Reset()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = simulator.failing("JLINKARM_Reset") ? -1 : 0;
    simulator.log("JLINKARM_Reset() = " + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT void JLINKARM_SetSpeed(std::uint32_t kHz)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.log("JLINKARM_SetSpeed(" + std::to_string(kHz) + ")");
}

JLINKSIM_EXPORT int JLINKARM_TIF_Select(int targetInterface)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = simulator.failing("JLINKARM_TIF_Select") ? -1 : 0;
    simulator.log("JLINKARM_TIF_Select(" + std::to_string(targetInterface) + ") = "
                  + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT void JLINKARM_BeginDownload(std::uint32_t flags)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.log("JLINKARM_BeginDownload(" + std::to_string(flags) + ")");
}

JLINKSIM_EXPORT int JLINKARM_EndDownload()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = simulator.failing("JLINKARM_EndDownload") ? -1 : 0;
    simulator.log("JLINKARM_EndDownload() = " + std::to_string(result));
    return result;
}

// The partial build leaves these out, for tests of a library that lacks them.
#ifndef JLINKSIM_PARTIAL

JLINKSIM_EXPORT const char *JLINKARM_OpenEx(MessageCallback logCallback, MessageCallback)
{
    const char *result = nullptr;
    {
        std::lock_guard<std::mutex> lock(simulator.mutex());
        if (simulator.failing("JLINKARM_OpenEx"))
            result = "jlinksim: cannot open the probe";
        else
            simulator.m_open = true;
        simulator.log("JLINKARM_OpenEx() = " + quoted(result));
    }
    // Outside the lock: the callback may call back into the library.
    if (!result && logCallback)
        logCallback("jlinksim: probe opened");
    return result;
}

JLINKSIM_EXPORT char JLINKARM_SelectIP(const char *host, int port)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const char result = simulator.failing("JLINKARM_SelectIP") ? 1 : 0;
    if (!result)
        simulator.m_ipHost = host ? host : "";
    simulator.log("JLINKARM_SelectIP(" + quoted(host) + ", " + std::to_string(port) + ") = "
                  + std::to_string(int(result)));
    return result;
}

JLINKSIM_EXPORT int JLINKARM_EMU_SelectByUSBSN(std::uint32_t serialNumber)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = simulator.failing("JLINKARM_EMU_SelectByUSBSN") ? -1 : 0;
    if (result == 0)
        simulator.m_serialNumber = serialNumber;
    simulator.log("JLINKARM_EMU_SelectByUSBSN(" + std::to_string(serialNumber) + ") = "
                  + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT int JLINKARM_Connect()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = simulator.failing("JLINKARM_Connect") || !simulator.m_open ? -1 : 0;
    simulator.m_connected = result == 0;
    simulator.log("JLINKARM_Connect() = " + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT int JLINKARM_ReadMem(std::uint32_t address, std::uint32_t count, void *data)
{
    const InFlight inFlight;
    const auto start = std::chrono::steady_clock::now();
    if (const unsigned delay = simulator.m_readDelayUs.load())
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
    int result;
    {
        std::lock_guard<std::mutex> lock(simulator.mutex());
        result = !simulator.failing("JLINKARM_ReadMem")
                         && simulator.read(address, count, static_cast<std::uint8_t *>(data))
                     ? 0
                     : -1;
        // The poll loop's hot path: the line is built only when it is kept.
        if (simulator.logging())
            simulator.log("JLINKARM_ReadMem(" + hexNumber(address) + ", " + std::to_string(count)
                          + ") = " + std::to_string(result));
    }
    const auto spent = std::chrono::steady_clock::now() - start;
    simulator.m_readTimeNs += std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count();
    ++simulator.m_readCount;
    return result;
}

JLINKSIM_EXPORT int JLINKARM_WriteMem(std::uint32_t address, std::uint32_t count, const void *data)
{
    const InFlight inFlight;
    std::lock_guard<std::mutex> lock(simulator.mutex());
    const int result = !simulator.failing("JLINKARM_WriteMem")
                               && simulator.write(address, count, static_cast<const std::uint8_t *>(data))
                           ? int(count)
                           : -1;
    simulator.log("JLINKARM_WriteMem(" + hexNumber(address) + ", " + std::to_string(count) + ") = "
                  + std::to_string(result));
    return result;
}

JLINKSIM_EXPORT int JLINK_DownloadFile(const char *fileName, std::uint32_t address)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    int result = -1;
    if (!simulator.failing("JLINK_DownloadFile") && fileName)
        result = simulator.loadFile(fileName, address);
    simulator.log("JLINK_DownloadFile(" + quoted(fileName) + ", " + hexNumber(address) + ") = "
                  + std::to_string(result));
    return result;
}

#endif // JLINKSIM_PARTIAL

// ---- Test helpers

JLINKSIM_EXPORT int jlinksim_peek(std::uint32_t address, std::uint32_t count, void *data)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    return simulator.read(address, count, static_cast<std::uint8_t *>(data)) ? 0 : -1;
}

JLINKSIM_EXPORT int jlinksim_poke(std::uint32_t address, std::uint32_t count, const void *data)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    return simulator.write(address, count, static_cast<const std::uint8_t *>(data)) ? 0 : -1;
}

JLINKSIM_EXPORT void jlinksim_fail(const char *names)
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.setFailing(names);
}

JLINKSIM_EXPORT void jlinksim_reset()
{
    std::lock_guard<std::mutex> lock(simulator.mutex());
    simulator.resetLocked();
}

JLINKSIM_EXPORT void jlinksim_set_read_delay_us(unsigned microseconds)
{
    simulator.m_readDelayUs = microseconds;
}

JLINKSIM_EXPORT unsigned long long jlinksim_read_time_ns()
{
    return simulator.m_readTimeNs.load();
}

JLINKSIM_EXPORT unsigned long long jlinksim_read_count()
{
    return simulator.m_readCount.load();
}

JLINKSIM_EXPORT unsigned long long jlinksim_overlapping_calls()
{
    return overlappingCalls.load();
}
