#include "textfilewriter.h"

#include "xmlfilekind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextCodec>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TextFileWriter", text);
}

// A descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Forgets the descriptor without closing it (closed by the caller).
    void release() { m_fd = -1; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Opens the folder at an absolute path in which no part is a symbolic link
// (a resolved path): each part is opened below the one before, refusing a
// link, so a link put in the way after the path was resolved is never
// followed. *swapped tells that a part was a link (or no folder) by now.
int openFolderAlongPath(const QString &folder, bool *swapped)
{
    *swapped = false;
    int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (fd < 0)
            return -1;
        const QByteArray name = QFile::encodeName(part);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        if (next < 0) {
            // A plain file in the way is the write's own failure; a link is
            // what the resolved path did not hold.
            struct stat status {};
            *swapped = error == ELOOP
                || (error == ENOTDIR && ::fstatat(fd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
                    && S_ISLNK(status.st_mode));
            ::close(fd);
            errno = error;
            return -1;
        }
        ::close(fd);
        fd = next;
    }
    return fd;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, at, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        at += done;
        left -= done;
    }
    return true;
}

} // namespace

TextFileWriter::TextFileWriter(const QString &fileName, WrittenKind kind)
{
    m_target.fileName = fileName;
    m_target.kind = kind;
}

QByteArray TextFileWriter::diskBytes(const QString &text)
{
    return diskBytes(text.toUtf8());
}

QByteArray TextFileWriter::diskBytes(const QByteArray &utf8)
{
    const char *in = utf8.constData();
    const char *const end = in + utf8.size();
    int lineFeeds = 0;
    for (const char *at = in; (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)))); ++at)
        ++lineFeeds;
    if (!std::memchr(in, '\r', size_t(utf8.size()))) {
        // Only line feeds: whole lines are copied.
        QByteArray bytes(utf8.size() + lineFeeds, Qt::Uninitialized);
        char *out = bytes.data();
        while (in < end) {
            const char *lineFeed = static_cast<const char *>(std::memchr(in, '\n', size_t(end - in)));
            const char *stop = lineFeed ? lineFeed : end;
            std::memcpy(out, in, size_t(stop - in));
            out += stop - in;
            if (!lineFeed)
                break;
            *out++ = '\r';
            *out++ = '\n';
            in = lineFeed + 1;
        }
        return bytes;
    }
    // Every line end, also a CR alone, becomes CR LF: a CR is never dropped
    // (in a file whose lines end in CR alone that would join its lines).
    QByteArray bytes;
    bytes.reserve(utf8.size() + lineFeeds + int(std::count(in, end, '\r')));
    while (in < end) {
        const char *lineEnd = in;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        bytes.append(in, int(lineEnd - in));
        if (lineEnd == end)
            break;
        bytes.append("\r\n", 2);
        in = lineEnd + 1;
        if (*lineEnd == '\r' && in < end && *in == '\n')
            ++in;
    }
    return bytes;
}

QByteArray TextFileWriter::diskBytes(const QString &text, QTextCodec *codec, const QByteArray &mark, bool *encoded)
{
    QString crLf = text;
    if (crLf.contains(QLatin1Char('\r'))) {
        crLf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        crLf.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    crLf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray bytes = mark + codec->fromUnicode(crLf.constData(), crLf.size(), &state);
    if (encoded)
        *encoded = state.invalidChars == 0;
    return bytes;
}

bool TextFileWriter::write()
{
    m_error.clear();
    m_openFailed = false;
    m_refused = false;
    const auto refuse = [this](const QString &why) {
        m_error = why;
        m_refused = true;
        return false;
    };
    const auto fail = [this](const QString &why, bool beforeWriting) {
        m_error = why;
        m_openFailed = beforeWriting;
        return false;
    };

    // The name is resolved once; from then on the file is reached only
    // through the folder opened below, so the file written is the file
    // checked, whatever is put in the name's place meanwhile.
    const QString given = QFileInfo(m_target.fileName).absoluteFilePath();
    WriteTarget checked = m_target;
    if (checked.folder.isEmpty())
        checked.folder = QFileInfo(given).absolutePath();
    checked.fileName = WriteGuard::resolvedPath(given);
    const QString reason = WriteGuard::pathRefusal(checked);
    if (!reason.isEmpty())
        return refuse(reason);

    const QFileInfo where(checked.fileName);
    const QByteArray name = QFile::encodeName(where.fileName());
    bool swapped = false;
    Descriptor folder(openFolderAlongPath(where.absolutePath(), &swapped));
    if (folder.get() < 0) {
        if (swapped)
            return refuse(tr("a symbolic link took the place of a folder on its way while it was written."));
        return fail(qt_error_string(errno), true);
    }

    const QByteArray bytes = m_hasBytes ? m_bytes : diskBytes(m_text);
    struct stat existing {};
    bool exists = false;
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        exists = true;
        if (S_ISLNK(existing.st_mode))
            return refuse(tr("a symbolic link took its place while it was written."));
        if (!S_ISREG(existing.st_mode))
            return refuse(WriteGuard::notRegularRefusal());
    } else if (errno != ENOENT) {
        return fail(qt_error_string(errno), true);
    }

    if (exists) {
        // What is checked is read through the descriptor of the file found.
        Descriptor current(::openat(folder.get(), name.constData(),
                                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat opened {};
        if (current.get() < 0 || ::fstat(current.get(), &opened) != 0)
            return fail(qt_error_string(errno), true);
        if (!S_ISREG(opened.st_mode) || opened.st_ino != existing.st_ino || opened.st_dev != existing.st_dev)
            return refuse(tr("another file took its place while it was written."));
        if (::faccessat(folder.get(), name.constData(), W_OK, AT_EACCESS) != 0)
            return fail(tr("Existing file %1 is not writable").arg(checked.fileName), true);
        // Enough of it for the kind, and all of it when it may hold the bytes
        // about to be written.
        const bool sameSize = opened.st_size == bytes.size();
        // A table file larger than any the program writes reads as cut short,
        // which no table file is.
        qint64 wanted = WriteGuard::needsWholeFile(m_target.kind)
            ? qBound<qint64>(1, opened.st_size, qint64(512) * 1024 * 1024)
            : XmlFileKind::headSize();
        if (sameSize)
            wanted = qMax<qint64>(wanted, qint64(bytes.size()) + 1);
        bool readOk = false;
        const QByteArray content = XmlFileKind::readDescriptor(current.get(), wanted, &readOk);
        if (!readOk)
            return fail(qt_error_string(errno), true);
        const QString kindReason = WriteGuard::contentRefusal(m_target.kind, content.left(
            WriteGuard::needsWholeFile(m_target.kind) ? content.size() : int(XmlFileKind::headSize())));
        if (!kindReason.isEmpty())
            return refuse(kindReason);
        // A file that holds exactly these bytes already gets only a new
        // modification time (a build rule that makes files from the project
        // sees them newer): its content is safe as it is, and the sync and
        // rename of a full write are spared.
        if (sameSize && content == bytes && ::futimens(current.get(), nullptr) == 0)
            return true;
    }

    // A new file beside the old one, synced, then renamed onto the checked
    // name: a failed write leaves the old file as it was.
    QByteArray temporary;
    Descriptor out;
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        temporary = name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        out.reset(::openat(folder.get(), temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
        if (out.get() < 0 && errno != EEXIST)
            break;
    }
    if (out.get() < 0)
        return fail(qt_error_string(errno), true);
    const auto dropTemporary = [&] {
        out.reset();
        ::unlinkat(folder.get(), temporary.constData(), 0);
    };
    // The replacement keeps the old file's permissions.
    if (exists)
        ::fchmod(out.get(), existing.st_mode & 07777);
    if (!writeAll(out.get(), bytes)) {
        const QString why = qt_error_string(errno);
        dropTemporary();
        return fail(QStringLiteral("only part of the file could be written: %1").arg(why), false);
    }
    if (::fsync(out.get()) != 0) {
        const QString why = qt_error_string(errno);
        dropTemporary();
        return fail(why, false);
    }
    const int closed = ::close(out.get());
    const int closeError = errno;
    out.release();
    if (closed != 0) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fail(qt_error_string(closeError), false);
    }
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0) {
        const QString why = qt_error_string(errno);
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return fail(why, false);
    }
    // The new name itself is on disk too.
    ::fsync(folder.get());
    return true;
}
