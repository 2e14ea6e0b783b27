#pragma once

#include <QByteArray>
#include <QString>

// Recognising the files the program reads and writes by what they hold, not
// by their first line: an XML file may start with any declaration (double or
// single quotes, another encoding, none at all), with blank lines, with a
// byte-order mark (UTF-8 or UTF-16), and end its lines with LF, CR LF or CR.
namespace XmlFileKind {

// The text of XML bytes: decoded by their byte-order mark, else by the
// encoding their declaration names, else as UTF-8; without the byte-order
// mark, every line end (CR LF, CR) turned into LF and the blanks before the
// first "<" dropped (a declaration must come first for an XML reader).
QString decodedText(const QByteArray &bytes);

// Where the bytes first fail to decode in their encoding (decodedText's
// choice): the line and column (from 1, in characters, every line end
// counted once) of the first character that is not valid. found is false
// for bytes that are valid throughout.
struct DecodeFault {
    bool found = false;
    qint64 line = 0;
    qint64 column = 0;
};
DecodeFault firstDecodeFault(const QByteArray &bytes);

// The text with every line end (CR LF, CR alone, LF) turned into LF.
QString withLineFeeds(QString text);

// The bytes in their own encoding with every line end turned into LF: a
// file with a UTF-16 or UTF-32 byte-order mark is decoded by it first (its
// CR and LF are more than one byte each) and encoded again behind the same
// mark; other bytes are taken as an ASCII-compatible encoding, in which a CR
// or LF byte is always that character.
QByteArray withLineFeeds(const QByteArray &bytes);

// Whether the decoded bytes start with "<": XML (or meant to be), as opposed
// to the older line-based files.
bool looksLikeXml(const QByteArray &bytes);

// The name of the root element of the XML bytes; empty when they are not
// well-formed up to that element.
QString rootElement(const QByteArray &bytes);

// The same for a file; empty when it cannot be read. Only the start of a
// large file is read.
QString rootElementOfFile(const QString &fileName);

// How many bytes head() reads.
qint64 headSize();

// The first bytes of a file, as much as the recognition here looks at; ok
// tells whether the file could be opened. Only a regular file is read: a
// FIFO or device is never opened for reading (ok is false).
QByteArray head(const QString &fileName, bool *ok);

// Up to limit bytes of a regular file, read the same way.
QByteArray contents(const QString &fileName, qint64 limit, bool *ok);

// Up to limit bytes of an open file, from its current position.
QByteArray readDescriptor(int fd, qint64 limit, bool *ok);

// Whether XML bytes (a whole file) are a table file: root qlmpxml whose
// ActiveElements holds exactly one Table entry and nothing else. Any other
// qlmpxml file is a project.
bool isTableFile(const QByteArray &bytes);

// Whether a file's first bytes read as a script (every line a command call,
// a bare keyword or a comment, at least one call) or as a C header (a line
// that is a preprocessor directive).
bool looksLikeScript(const QByteArray &head);
bool looksLikeCHeader(const QByteArray &head);

// Whether a file's first bytes (head()) hold a NUL byte, as no text file does.
bool isBinary(const QByteArray &head);

} // namespace XmlFileKind
