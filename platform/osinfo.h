#pragma once

#include <QString>

// The operating system's product version ("12" on Debian 12). Tests may
// replace it to play another system; an empty override restores the real one.
QString osProductVersion();
void setOsProductVersionOverride(const QString &version);
