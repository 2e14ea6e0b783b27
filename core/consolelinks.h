#pragma once

#include <QString>
#include <QStringList>

// The links of console lines. A link names an element (its define) or a
// position in a file ("$xmlopen$<file>$-n<line>$-c<column>", which the
// external editor is started with); a ":" in either is written "$$$COLON$$$",
// so that the link survives as a URL.

// The element name or file path with its colons written for a link.
QString linkTarget(const QString &name);
// The link to a position in a file; line and column as they are to be shown.
QString filePositionLink(const QString &file, const QString &line, const QString &column);

// A clicked link read back: an element name, or the external editor's
// arguments of a file position.
struct ConsoleLink {
    QString elementName;            // empty for a file position
    QStringList editorArguments;    // file, "-n<line>", "-c<column>"; empty for an element
    bool isFilePosition() const { return !editorArguments.isEmpty(); }
};
ConsoleLink readConsoleLink(const QString &href);
