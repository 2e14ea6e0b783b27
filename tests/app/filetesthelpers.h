#pragma once

#include "fakeelement.h"

// Helpers of the tests of the files the program writes: fixtures, a value
// element with free value texts, a write limit that makes file writes fail,
// and the checksum rule stated once more, independently of the program.

#include "activeelement.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace FileTest {

inline QString fixture(const QString &name)
{
    return QStringLiteral(QUILLMATE_FIXTURES "/project/") + name;
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Copies a fixture into dir; returns the copy's path.
inline QString copyFixture(const QString &name, const QString &dir)
{
    const QString target = QDir(dir).filePath(name);
    QFile::remove(target);
    return QFile::copy(fixture(name), target) ? target : QString();
}

// A main window with the program's disclaimer in place.
inline std::unique_ptr<MainWindow> makeWindow(const TestEnvironment &env)
{
    QFile::copy(fixture("disclaimer.txt"), QDir(env.appDir()).filePath("disclaimer.txt"));
    return std::make_unique<MainWindow>(CommandLineOptions());
}

// Error reports go to a fresh prompt's transcript only.
inline void collectReports(TestEnvironment &env)
{
    env.installPrompt({});
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
}

// Whether every line break of the bytes is CR LF.
inline bool hasCrLfLines(const QByteArray &bytes)
{
    return bytes.count("\r\n") == bytes.count('\n') && bytes.count('\r') == bytes.count('\n');
}

// The checksum rule: SHA-256 (lower-case hex) of the text without CRs from the
// first "</checksum>" on, written between "<checksum>" and "</checksum>".
inline QByteArray withChecksum(QByteArray text)
{
    const QByteArray plain = QByteArray(text).replace('\r', QByteArray());
    const QByteArray digest =
        QCryptographicHash::hash(plain.mid(plain.indexOf("</checksum>")), QCryptographicHash::Sha256).toHex();
    const int start = text.indexOf("<checksum>") + 10;
    text.replace(start, text.indexOf("</checksum>") - start, digest);
    return text;
}

// Makes writes of regular files beyond `bytes` fail (EFBIG) while it lives, for
// root as for any other user.
class WriteLimit
{
public:
    explicit WriteLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~WriteLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    WriteLimit(const WriteLimit &) = delete;
    WriteLimit &operator=(const WriteLimit &) = delete;

private:
    rlimit m_old{};
};

} // namespace FileTest

