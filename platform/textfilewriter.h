#pragma once

#include "writeguard.h"

#include <QByteArray>
#include <QString>

class QTextCodec;

// Writes one of the text files the program makes itself (project files,
// generated C headers, signed panel files): the whole text is assembled in
// memory, goes to disk as UTF-8 with every line ending in CR LF, and replaces
// the file in one step: a temporary file in the target's folder, synced, then
// renamed onto the target's name. A failed write leaves the old file exactly
// as it was. A file that holds the same bytes already only gets a new
// modification time. Before anything is written the write guard decides
// whether the file may be replaced by one of `kind` (WriteGuard::refusal).
// The name is resolved once (symbolic links followed); the folder is opened
// along that path without following any further link, and the existing file
// is looked at, read and replaced only through that folder, so a link or
// another file put in the name's place meanwhile is refused, never followed.
// A target that is not a regular file is refused without being opened.
class TextFileWriter
{
public:
    TextFileWriter(const QString &fileName, WrittenKind kind);

    // The folder the file must stay in (symbolic links followed); the folder
    // its name lies in when not set.
    void setFolder(const QString &folder) { m_target.folder = folder; }
    // The panel writer saving the loaded panel itself.
    void allowLoadedPanel() { m_target.mayReplaceLoadedPanel = true; }

    TextFileWriter &operator<<(const QString &text)
    {
        m_text += text;
        return *this;
    }
    void setText(const QString &text)
    {
        m_text = text;
        m_hasBytes = false;
    }
    const QString &text() const { return m_text; }
    QString fileName() const { return m_target.fileName; }
    const WriteTarget &target() const { return m_target; }

    // The bytes the file receives for text: UTF-8, every line end (CR LF, LF
    // or CR alone) written as CR LF. A text that holds CR LF already gains no
    // second CR, and a CR alone still ends its line.
    static QByteArray diskBytes(const QString &text);
    // The same for a text already encoded as UTF-8.
    static QByteArray diskBytes(const QByteArray &utf8);
    // The same in another encoding, behind mark (a byte-order mark, or
    // nothing): for a file that keeps the encoding it was in. *encoded (when
    // given) is false when codec cannot write every character of text.
    static QByteArray diskBytes(const QString &text, QTextCodec *codec, const QByteArray &mark, bool *encoded);

    // Bytes already in their disk form, written instead of the text (until
    // the next setText).
    void setDiskBytes(const QByteArray &bytes)
    {
        m_bytes = bytes;
        m_hasBytes = true;
    }

    // Writes the file. False when it was refused or could not be created or
    // written; the old content then stays, and errorString(), refused() and
    // openFailed() tell why.
    bool write();
    QString errorString() const { return m_error; }
    // Whether the write guard refused the file (errorString() is the reason).
    bool refused() const { return m_refused; }
    // Whether the failure came before any byte was written (no place to create
    // the file), as opposed to a failed write or commit.
    bool openFailed() const { return m_openFailed; }

private:
    WriteTarget m_target;
    QString m_text;
    QByteArray m_bytes;
    bool m_hasBytes = false;
    QString m_error;
    bool m_openFailed = false;
    bool m_refused = false;
};
