#pragma once

#include <QByteArray>

// The SHA-256 digest of size bytes at data, as 64 lower-case hexadecimal
// digits: the form of the checksums in project and panel files.
QByteArray sha256Hex(const char *data, qsizetype size);
