#pragma once

#include <QString>

// Appends text as the character data of an XML element, escaped exactly as
// QXmlStreamWriter::writeCharacters escapes it ("&lt;", "&gt;", "&amp;",
// "&quot;"; line breaks and tabs as they are). Writers that build a large
// document with a fixed layout use it in place of the stream writer, whose
// per-call bookkeeping costs more than the text itself.
void appendXmlText(QString &out, const QString &text);
