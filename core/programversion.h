#pragma once

#include <QString>

// The program's own version: major, minor and patch, and the whole product
// version text ("2.5.0.720"). Filled once by readProgramVersion() before any
// window exists.
extern unsigned programVersion[3];
extern QString programVersionText;

void readProgramVersion();

// Splits a version text at "." and reads its first three parts as unsigned
// decimal numbers; a missing or unparsable part gives 0.
void parseVersionParts(const QString &text, unsigned parts[3]);

// The first three dot-separated parts of programVersionText joined with ".".
QString programVersionShortText();
