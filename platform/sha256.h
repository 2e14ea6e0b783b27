#pragma once

#include <QByteArray>

// The SHA-256 digest of size bytes at data, as 64 lower-case hexadecimal
// digits: the form of the checksums in project and panel files.
QByteArray sha256Hex(const char *data, qsizetype size);

// The checksum of a panel or project file's bytes: the digest of the bytes
// from the first checksum end tag on; null without that tag.
QByteArray checksumAfterTag(const QByteArray &bytes);
