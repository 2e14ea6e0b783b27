#pragma once

#include <QByteArray>
#include <QString>

// Writes one of the text files the program makes itself (project files,
// generated C headers, signed panel files): the whole text is assembled in
// memory, goes to disk as UTF-8 with every line ending in CR LF, and replaces
// the file in one step through QSaveFile. A failed write leaves the old file
// exactly as it was.
class TextFileWriter
{
public:
    explicit TextFileWriter(const QString &fileName);

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
    QString fileName() const { return m_fileName; }

    // The bytes the file receives for text: UTF-8, every CR dropped and every
    // LF written as CR LF. Dropping the CRs first keeps a text that already
    // holds CR LF from gaining a second CR, and leaves the file's bytes equal
    // to the text a reader sees once it removes the CRs again.
    static QByteArray diskBytes(const QString &text);
    // The same for a text already encoded as UTF-8.
    static QByteArray diskBytes(const QByteArray &utf8);

    // Bytes already in their disk form, written instead of the text (until
    // the next setText).
    void setDiskBytes(const QByteArray &bytes)
    {
        m_bytes = bytes;
        m_hasBytes = true;
    }

    // Writes the file. False when it could not be created or written; the old
    // content then stays, and errorString() and openFailed() tell why.
    bool write();
    QString errorString() const { return m_error; }
    // Whether the failure came before any byte was written (no place to create
    // the file), as opposed to a failed write or commit.
    bool openFailed() const { return m_openFailed; }

private:
    QString m_fileName;
    QString m_text;
    QByteArray m_bytes;
    bool m_hasBytes = false;
    QString m_error;
    bool m_openFailed = false;
};
