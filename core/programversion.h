#pragma once

#include <QString>

// The program's own version: major, minor and patch, and the whole product
// version text ("2.5.0.720").
class ProgramVersion
{
public:
    ProgramVersion() = default;
    // Reads major, minor and patch from the first three dot-separated parts
    // of text; a missing or unparsable part gives 0.
    explicit ProgramVersion(const QString &text);

    unsigned majorVersion() const { return parts[0]; }
    unsigned minorVersion() const { return parts[1]; }
    unsigned patchVersion() const { return parts[2]; }
    // The whole version text, empty until the version has been read.
    const QString &text() const { return m_text; }
    // The first three dot-separated parts of text() joined with ".".
    QString shortText() const;
    // major, minor and patch as one number: (major * 1000 + minor) * 1000 + patch.
    qint64 number() const;

private:
    unsigned parts[3] = {0, 0, 0};
    QString m_text;
};

// The version read by readProgramVersion(); all zero and empty before that.
const ProgramVersion &programVersion();

// Reads the product version once at start-up, before any window exists.
void readProgramVersion();

// Splits a version text at "." and reads its first three parts as unsigned
// decimal numbers; a missing or unparsable part gives 0.
void parseVersionParts(const QString &text, unsigned parts[3]);

// programVersion().shortText().
QString programVersionShortText();

// Compares two versions of three parts (major, minor, patch) part by part, as
// numbers: 1 when a is higher than b, -1 when lower, 0 when equal.
int versionCompare(const quint16 a[3], const quint16 b[3]);
