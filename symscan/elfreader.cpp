#include "elfreader.h"

#include "textscan.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace Symscan {

namespace {

// A hostile or broken text cannot make the section table grow without end.
constexpr std::size_t maxSectionRows = std::size_t(1) << 20;

// Up to 16 blank-separated words of a line; more are left out.
struct Words
{
    std::array<std::string_view, 16> word;
    std::size_t count = 0;

    explicit Words(const char *text)
    {
        while (count < word.size()) {
            text = skipBlanks(text);
            if (!*text)
                break;
            const char *start = text;
            while (*text && *text != ' ' && *text != '\t')
                ++text;
            word[count++] = std::string_view(start, std::size_t(text - start));
        }
    }
};

QByteArray bytes(std::string_view text)
{
    return QByteArray(text.data(), int(text.size()));
}

// A whole word in hexadecimal (no prefix), or decimal / "0x" hexadecimal.
bool wordValue(std::string_view word, bool hexadecimal, quint64 &value)
{
    char buffer[40];
    if (word.empty() || word.size() >= sizeof buffer)
        return false;
    std::memcpy(buffer, word.data(), word.size());
    buffer[word.size()] = '\0';
    const char *at = buffer;
    const bool ok = hexadecimal ? readHex(at, value) : readUnsigned(at, value);
    return ok && *at == '\0';
}

QByteArray firstWordAfterColon(const char *line)
{
    const char *colon = std::strchr(line, ':');
    if (!colon)
        return QByteArray();
    const Words words(colon + 1);
    return words.count ? bytes(words.word[0]) : QByteArray();
}

// "0x" hexadecimal, a leading 0 octal, else decimal.
quint64 entryAddress(const char *text)
{
    text = skipBlanks(text);
    quint64 value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
        readHex(text, value);
    } else if (text[0] == '0') {
        for (++text; *text >= '0' && *text <= '7' && !(value >> 61); ++text)
            value = value << 3 | quint64(*text - '0');
    } else {
        readDecimal(text, value);
    }
    return value;
}

// The pipe readelf writes its text into: large, so that readelf seldom waits
// for the reader and the reader can take the text in big pieces.
class OutputPipe
{
public:
    OutputPipe()
    {
        if (::pipe2(m_ends, O_CLOEXEC) != 0) {
            m_ends[0] = m_ends[1] = -1;
            return;
        }
        ::fcntl(m_ends[0], F_SETFL, O_NONBLOCK);
        m_size = ::fcntl(m_ends[1], F_SETPIPE_SZ, 1 << 20);
        if (m_size < 0)
            m_size = ::fcntl(m_ends[1], F_GETPIPE_SZ);
    }
    ~OutputPipe()
    {
        closeWriteEnd();
        if (m_ends[0] >= 0)
            ::close(m_ends[0]);
    }
    OutputPipe(const OutputPipe &) = delete;
    OutputPipe &operator=(const OutputPipe &) = delete;

    bool isOpen() const { return m_ends[0] >= 0; }
    bool isLarge() const { return m_size >= (1 << 20); }
    int readEnd() const { return m_ends[0]; }
    int writeEnd() const { return m_ends[1]; }
    void closeWriteEnd()
    {
        if (m_ends[1] >= 0)
            ::close(m_ends[1]);
        m_ends[1] = -1;
    }

private:
    int m_ends[2] = {-1, -1};
    int m_size = 0;
};

// readelf with its standard output on our pipe instead of a QProcess channel.
class ReadelfProcess : public QProcess
{
public:
    explicit ReadelfProcess(int output) : m_output(output) {}

protected:
    // Runs in the child between fork and exec.
    void setupChildProcess() override { ::dup2(m_output, STDOUT_FILENO); }

private:
    int m_output;
};

} // namespace

// Splits a stream of text into lines and hands each to the parser, NUL
// terminated and without its line end. Lines longer than the buffer are
// dropped whole rather than cut, so no half name is ever parsed.
class ELFReader::LineReader
{
public:
    explicit LineReader(ELFReader &reader) : m_reader(reader), m_buffer(new char[capacity + 1]) {}

    char *space(std::size_t &room)
    {
        room = capacity - m_used;
        return m_buffer.get() + m_used;
    }

    void commit(std::size_t added)
    {
        const std::size_t scanFrom = m_used;
        m_used += added;
        char *start = m_buffer.get();
        char *end = start + m_used;
        char *search = start + scanFrom;
        while (char *newline = static_cast<char *>(std::memchr(search, '\n', std::size_t(end - search)))) {
            *newline = '\0';
            if (!m_discarding)
                m_reader.parseLine(start, std::size_t(newline - start));
            m_discarding = false;
            start = search = newline + 1;
        }
        m_used = std::size_t(end - start);
        if (m_used == capacity) {
            m_discarding = true;
            m_used = 0;
        } else if (start != m_buffer.get()) {
            std::memmove(m_buffer.get(), start, m_used);
        }
    }

    void append(const char *data, std::size_t size)
    {
        while (size > 0) {
            std::size_t room;
            char *at = space(room);
            const std::size_t chunk = std::min(room, size);
            std::memcpy(at, data, chunk);
            commit(chunk);
            data += chunk;
            size -= chunk;
        }
    }

    // Reads the pipe to its end (true) or until the deadline passes or the
    // pipe fails (false).
    bool readFrom(int pipe, const QDeadlineTimer &deadline, bool napWhileFlowing)
    {
        bool flowing = false;
        for (;;) {
            std::size_t room;
            char *at = space(room);
            const ssize_t got = ::read(pipe, at, room);
            if (got > 0) {
                commit(std::size_t(got));
                flowing = true;
                continue;
            }
            if (got == 0)
                return true;
            if (errno == EINTR)
                continue;
            if ((errno != EAGAIN && errno != EWOULDBLOCK) || deadline.hasExpired())
                return false;
            if (flowing && napWhileFlowing) {
                // While readelf writes, let the pipe fill for half a millisecond:
                // a read of many lines costs both sides far less than a
                // wake-up for every block readelf writes.
                const timespec nap{0, 500000};
                ::nanosleep(&nap, nullptr);
            } else {
                pollfd ready{pipe, POLLIN, 0};
                const qint64 left = deadline.remainingTime();
                ::poll(&ready, 1, int(left < 0 ? 1000 : std::min<qint64>(left, 1000)));
            }
            flowing = false;
        }
    }

    // readelf ends every line; text after the last line end was cut off
    // and is left out.
    void finish()
    {
        m_used = 0;
        m_discarding = false;
    }

private:
    static constexpr std::size_t capacity = std::size_t(1) << 20;

    ELFReader &m_reader;
    std::unique_ptr<char[]> m_buffer; // not cleared: only what is read is touched
    std::size_t m_used = 0;
    bool m_discarding = false;
};

ELFReader::ELFReader() = default;

ELFReader::~ELFReader() = default;

void ELFReader::SetProgressCallback(ProgressCallback callback)
{
    m_progress = callback;
}

void ELFReader::SetReadelfProgram(const QString &program)
{
    m_readelfProgram = program;
}

void ELFReader::SetTimeout(int milliseconds)
{
    m_timeout = milliseconds;
}

QString ELFReader::ReadelfProgram() const
{
    if (!m_readelfProgram.isEmpty())
        return QFileInfo(m_readelfProgram).absoluteFilePath();
    QString programDir = qEnvironmentVariable("QUILLMATE_APPDIR");
    if (programDir.isEmpty() && QCoreApplication::instance())
        programDir = QCoreApplication::applicationDirPath();
    if (!programDir.isEmpty()) {
        const QFileInfo beside(programDir + QStringLiteral("/Utils/readelf"));
        if (beside.isFile() && beside.isExecutable())
            return beside.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(QStringLiteral("readelf"));
}

void ELFReader::reportProgress(unsigned long percent)
{
    if (m_progress && long(percent) != m_lastProgress) {
        m_lastProgress = long(percent);
        m_progress(percent);
    }
}

void ELFReader::reset()
{
    isElf = false;
    isElf32 = false;
    littleEndian = false;
    osAbi.clear();
    type.clear();
    machine.clear();
    numSections = 0;
    entryPoint = 0;
    sections.clear();
    sections.shrink_to_fit();
    symbols.clear();
    symbols.shrink_to_fit();
    m_tree.clear();
    m_listing = Listing::None;
    m_sectionPending = false;
    m_symbolTitleSeen = false;
    m_symbolRows = 0;
    m_symbolsAnnounced = 0;
    m_lastProgress = -1;
}

void ELFReader::beginParse(InfoRange range)
{
    reset();
    m_range = range;
}

unsigned int ELFReader::finishParse()
{
    if (!isElf) {
        reset();
        return CLog::NoElfFile;
    }
    numSections = quint32(sections.size());
    m_listing = Listing::None;
    m_sectionPending = false;
    m_tree.finish(isElf32 ? 4 : 8);
    return CLog::Success;
}

unsigned int ELFReader::ReadText(const QByteArray &text, InfoRange range)
{
    beginParse(range);
    LineReader lines(*this);
    lines.append(text.constData(), std::size_t(text.size()));
    lines.finish();
    return finishParse();
}

unsigned int ELFReader::Read(const char *file, InfoRange range)
{
    reset();
    reportProgress(0);
    const QString path = file ? QFile::decodeName(file) : QString();
    QFile probe(path);
    if (path.isEmpty() || !probe.open(QIODevice::ReadOnly))
        return CLog::CantOpenBinaryFile;
    probe.close();

    const QString program = ReadelfProgram();
    if (program.isEmpty())
        return CLog::ExecCommandError;

    // An argument list, no shell: the file name reaches readelf unchanged,
    // and "--" keeps a name that starts with '-' from reading as an option.
    QStringList arguments{QStringLiteral("-a")};
    if (range >= RangeDebugInfo)
        arguments << QStringLiteral("-wi") << QStringLiteral("-wN");
    arguments << QStringLiteral("--") << path;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    OutputPipe pipe;
    if (!pipe.isOpen())
        return CLog::ExecCommandError;
    ReadelfProcess process(pipe.writeEnd());
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice()); // replaced by the pipe
    process.setStandardErrorFile(QProcess::nullDevice());

    reportProgress(5);
    beginParse(range);
    const QDeadlineTimer deadline = m_timeout > 0 ? QDeadlineTimer(m_timeout) : QDeadlineTimer(QDeadlineTimer::Forever);
    process.start(QIODevice::ReadOnly);
    pipe.closeWriteEnd(); // the end of the text is seen once readelf is gone
    if (!process.waitForStarted(m_timeout > 0 ? m_timeout : -1)) {
        reset();
        return CLog::ExecCommandError;
    }

    // The text is parsed from the pipe while readelf writes it.
    LineReader lines(*this);
    const bool complete = lines.readFrom(pipe.readEnd(), deadline, pipe.isLarge());
    const bool finished = complete
                          && (process.state() == QProcess::NotRunning
                              || process.waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1000))));
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
        reset();
        return CLog::ExecCommandError;
    }
    lines.finish();
    reportProgress(100);

    if (process.exitStatus() != QProcess::NormalExit) {
        reset();
        return CLog::ExecCommandError;
    }
    if (process.exitCode() != 0) {
        // readelf refuses files that are no ELF; anything else it fails on
        // leaves the text incomplete.
        const bool wasElf = isElf;
        reset();
        return wasElf ? CLog::ExecCommandError : CLog::NoElfFile;
    }
    return finishParse();
}

// ---- Text parsing

void ELFReader::parseLine(char *line, std::size_t length)
{
    if (length > 0 && line[length - 1] == '\r')
        line[--length] = '\0';
    // Listing titles start in the first column, their lines are indented.
    if (length > 0 && line[0] != ' ') {
        startListing(line);
        return;
    }
    switch (m_listing) {
    case Listing::Header:
        readHeaderLine(line);
        break;
    case Listing::SectionTable:
        readSectionLine(line);
        break;
    case Listing::Symbols:
        readSymbolLine(line, length);
        break;
    case Listing::DebugInfo:
        readDebugInfoLine(line);
        break;
    case Listing::None:
    case Listing::Other:
        break;
    }
}

void ELFReader::startListing(const char *line)
{
    m_tree.closeEntry();
    m_sectionPending = false;
    if (startsWith(line, "ELF Header:")) {
        m_listing = Listing::Header;
    } else if (startsWith(line, "Section Headers:")) {
        m_listing = Listing::SectionTable;
        reportProgress(10);
    } else if (startsWith(line, "Symbol table '") && m_range >= RangeSymbols
               && std::strstr(line, "'.symtab' contains ")) {
        m_listing = Listing::Symbols;
        quint64 announced = 0;
        numberAfter(line, "contains ", false, announced);
        m_symbolsAnnounced = (unsigned long)announced;
        m_symbolRows = 0;
        m_symbolTitleSeen = false;
    } else if (startsWith(line, "Contents of the .debug_info section:") && m_range >= RangeDebugInfo) {
        m_listing = Listing::DebugInfo;
    } else {
        m_listing = Listing::Other;
    }
}

void ELFReader::readHeaderLine(const char *line)
{
    line = skipBlanks(line);
    const char *colon = std::strchr(line, ':');
    if (!colon)
        return;
    if (startsWith(line, "Magic:")) {
        isElf = std::strstr(colon, "7f 45 4c 46") != nullptr;
    } else if (startsWith(line, "Class:")) {
        isElf32 = std::strstr(colon, "ELF32") != nullptr;
    } else if (startsWith(line, "Data:")) {
        littleEndian = std::strstr(colon, "little") != nullptr;
    } else if (startsWith(line, "OS/ABI:")) {
        osAbi = firstWordAfterColon(line);
    } else if (startsWith(line, "Type:")) {
        type = firstWordAfterColon(line);
    } else if (startsWith(line, "Machine:")) {
        machine = firstWordAfterColon(line);
    } else if (startsWith(line, "Entry point address:")) {
        entryPoint = entryAddress(colon + 1);
    } else if (startsWith(line, "Number of section headers:")) {
        // Files with very many sections say "0 (70000)".
        quint64 count = 0;
        const char *at = skipBlanks(colon + 1);
        readDecimal(at, count);
        const char *inner = std::strchr(at, '(');
        quint64 real;
        if (inner && (++inner, readDecimal(inner, real)))
            count = real;
        numSections = quint32(std::min<quint64>(count, 0xFFFFFFFFu));
    }
}

// ELF32 rows take one line:
//   [ 1] .text             PROGBITS        08000000 010000 0012a4 00  AX  0   0  4
// ELF64 rows two, the second without a ']':
//   [14] .text             PROGBITS         0000000000001040  00001040
//        00000000000000ff  0000000000000000  AX       0     0     16
// The name column is empty for the null section; a row without flags has
// one word less.
void ELFReader::readSectionLine(const char *line)
{
    const char *bracket = std::strchr(line, ']');
    if (!bracket) {
        if (m_sectionPending) {
            m_sectionPending = false;
            const Words words(line);
            ElfSection &row = m_pendingSection;
            if ((words.count == 5 || words.count == 6) && wordValue(words.word[0], true, row.size)) {
                row.flags = words.count == 6 ? bytes(words.word[2]) : QByteArray();
                sections.push_back(row);
            }
        }
        return;
    }
    m_sectionPending = false;
    if (sections.size() >= maxSectionRows)
        return;

    const char *at = bracket + 1;
    if (*at == ' ')
        ++at;
    ElfSection row;
    if (*at && *at != ' ') {
        const Words name(at);
        row.name = bytes(name.word[0]);
        at += name.word[0].size();
    }
    const Words words(at);
    if (words.count < 3 || words.word[0] == "NULL")
        return;
    row.type = bytes(words.word[0]);
    if (!wordValue(words.word[1], true, row.address) || !wordValue(words.word[2], true, row.fileOffset))
        return;
    if (words.count == 3) {
        m_pendingSection = row;
        m_sectionPending = true;
        return;
    }
    if (words.count < 8 || !wordValue(words.word[3], true, row.size))
        return;
    if (words.count >= 9)
        row.flags = bytes(words.word[5]);
    sections.push_back(row);
}

//      12: 20000010     4 OBJECT  GLOBAL DEFAULT    3 counter
// The size is decimal, or "0x" hexadecimal when it is large; some targets
// add a bracketed note after the visibility.
void ELFReader::readSymbolLine(const char *line, std::size_t length)
{
    if (length < 10) {
        m_listing = Listing::Other;
        return;
    }
    if (!m_symbolTitleSeen) {
        m_symbolTitleSeen = true;
        if (std::strstr(line, "Num:"))
            return;
    }
    if (m_symbolsAnnounced > 0)
        reportProgress(std::min<unsigned long>(m_symbolRows * 100 / m_symbolsAnnounced, 100));
    ++m_symbolRows;

    const Words words(line);
    if (words.count < 7)
        return;
    ElfSymbol symbol;
    const std::string_view kind = words.word[3];
    if (kind == "FILE")
        symbol.type = ElfSymbol::File;
    else if (kind == "FUNC")
        symbol.type = ElfSymbol::Func;
    else if (kind == "OBJECT")
        symbol.type = ElfSymbol::Object;
    else
        return;
    if (!wordValue(words.word[1], true, symbol.value) || !wordValue(words.word[2], false, symbol.size))
        return;
    if (symbol.type != ElfSymbol::File && (symbol.value == 0 || symbol.size == 0))
        return;

    const std::string_view binding = words.word[4];
    symbol.binding = binding == "LOCAL"    ? ElfSymbol::Local
                     : binding == "GLOBAL" ? ElfSymbol::Global
                     : binding == "WEAK"   ? ElfSymbol::Weak
                                           : ElfSymbol::OtherBinding;
    const std::string_view visibility = words.word[5];
    symbol.visibility = visibility == "HIDDEN"    ? ElfSymbol::Hidden
                        : visibility == "DEFAULT" ? ElfSymbol::Default
                                                  : ElfSymbol::OtherVisibility;
    std::size_t next = 6;
    if (!words.word[next].empty() && words.word[next].front() == '[') {
        while (next < words.count && words.word[next].back() != ']')
            ++next;
        ++next;
    }
    // words.word[next] is the section index, the name follows.
    if (next + 1 < words.count)
        symbol.name = bytes(words.word[next + 1]);
    symbols.push_back(symbol);
}

void ELFReader::readDebugInfoLine(const char *line)
{
    const char *at = skipBlanks(line);
    const char *close = *at == '<' ? std::strchr(at, '>') : nullptr;
    if (!close) {
        m_tree.closeEntry();
        return;
    }
    if (close[1] == '<')
        ReadDebugInfoTag(at);
    else
        ReadDebugInfoAttribute(at);
}

//  <1><2d>: Abbrev Number: 2 (DW_TAG_variable)
// "Abbrev Number: 0" ends a list of children and makes no entry.
void ELFReader::ReadDebugInfoTag(const char *line)
{
    const char *at = line + 1;
    quint64 level, offset, abbrevNumber;
    if (!readDecimal(at, level) || level > 0xFFFFFFFFu || std::strncmp(at, "><", 2) != 0) {
        m_tree.closeEntry();
        return;
    }
    at += 2;
    if (!readHex(at, offset) || offset > 0xFFFFFFFFu || *at != '>'
        || !numberAfter(at, "Abbrev Number: ", false, abbrevNumber) || abbrevNumber == 0) {
        m_tree.closeEntry();
        return;
    }
    quint32 tag = TAG_NotFound;
    if (const char *open = std::strstr(at, "(DW_TAG_")) {
        const char *end = ++open;
        while (isWordChar(*end))
            ++end;
        tag = tagFromName(std::string_view(open, std::size_t(end - open)));
    }
    m_tree.addEntry(quint32(level), quint32(offset), quint32(std::min<quint64>(abbrevNumber, 0xFFFFFFFFu)), tag);
}

//     <2e>   DW_AT_name        : counter
//     <31>   DW_AT_name        : (indirect string, offset: 0x69): unsigned char
//     <128>   DW_AT_data_member_location: 0
// Attributes missing from the name table are passed over without ending the
// entry; so are readelf's "Unknown AT value" lines.
void ELFReader::ReadDebugInfoAttribute(const char *line)
{
    const char *at = line + 1;
    quint64 offset;
    if (!readHex(at, offset) || *at != '>') {
        m_tree.closeEntry();
        return;
    }
    at = skipBlanks(at + 1);
    if (!startsWith(at, "DW_AT_")) {
        if (!startsWith(at, "Unknown AT value"))
            m_tree.closeEntry();
        return;
    }
    const char *nameEnd = at + 6;
    while (isWordChar(*nameEnd))
        ++nameEnd;
    const quint32 attribute = attributeFromName(std::string_view(at, std::size_t(nameEnd - at)));
    const char *colon = skipBlanks(nameEnd);
    if (attribute == AT_NotFound || *colon != ':')
        return;
    const char *value = skipBlanks(colon + 1);
    // "(indirect string, offset: 0x69): name", "(indirect line string, ...)",
    // "(indexed string: 0x3): name": the name is what follows.
    if (*value == '(') {
        const char *close = std::strstr(value, "): ");
        if (close) {
            const std::string_view form(value, std::size_t(close - value));
            if (form.find("string") != std::string_view::npos)
                value = close + 3;
        }
    }
    m_tree.addAttribute(attribute, quint32(std::min<quint64>(offset, 0xFFFFFFFFu)), value, std::strlen(value));
}

// ---- Queries

ElfTag *ELFReader::getTagViaLink(ElfTag *start, unsigned long offset) const
{
    std::vector<ElfTag *> pending;
    if (start)
        pending.push_back(start);
    while (!pending.empty()) {
        ElfTag *entry = pending.back();
        pending.pop_back();
        if (entry->offset == offset)
            return entry;
        if (entry->nextSibling)
            pending.push_back(entry->nextSibling);
        if (entry->firstChild)
            pending.push_back(entry->firstChild);
    }
    return nullptr;
}

unsigned int ELFReader::GetAddress(const char *name, unsigned long &address, unsigned long &size) const
{
    quint64 place = 0, bytes = 0;
    const unsigned int result = m_tree.resolve(name, place, bytes);
    address = (unsigned long)place;
    size = (unsigned long)bytes;
    return result;
}

unsigned int ELFReader::GetAddress(const char *name, unsigned long *address, unsigned long *size) const
{
    unsigned long place = 0, bytes = 0;
    const unsigned int result = GetAddress(name, place, bytes);
    if (address)
        *address = place;
    if (size)
        *size = bytes;
    return result;
}

} // namespace Symscan
