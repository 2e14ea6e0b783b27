#pragma once

#include <QString>

// Puts the digest of the checksum rule (SHA-256 over the text without CRs,
// from the first "</checksum>" on) between the first "<checksum>" and
// "</checksum>"; false when the text lacks either tag.
bool insertChecksum(QString &text);

// Signs a panel file in place, in its own encoding; false when it was not
// signed (refused, no place for the checksum, an encoding it cannot keep, a
// failed write), and then the file is left byte for byte. refusedOpen, when
// not empty, is why this run refused to use the panel: it is not signed then.
// Each failure is reported.
bool signPanelFile(const QString &path, const QString &refusedOpen);
