#pragma once

#include <QFile>
#include <QString>
#include <QTextStream>

#include <functional>

// The macro recorder: the script lines of the user's changes go to its
// stream while it has somewhere to write, each followed by the pending
// comment, and are echoed on the console. A recording into a file starts
// with a header (the panel and a wait time) and ends with a commented EXIT.
class MacroRecorder
{
public:
    // Where the echo goes (the console); without one nothing is echoed.
    void setEcho(std::function<void(const QString &html)> echo) { m_echo = std::move(echo); }

    QTextStream &stream() { return m_stream; }
    // The comment written after the next recorded lines ("//" + comment).
    void setComment(const QString &comment) { m_comment = comment; }
    QString comment() const { return m_comment; }

    // Whether the stream has somewhere to write.
    bool isRecording() const;
    // Writes line, then echoes consoleLine, each followed by the comment.
    void record(const QString &line, const QString &consoleLine);
    // Writes a line as it stands (an inserted command) and echoes it.
    void insertLine(const QString &line);
    // Stops writing: the stream lets go of its device or string.
    void stop();

    // Starts recording into fileName (created empty) with the header lines
    // for panelFile. False, with the reason in *errorText, when the file
    // cannot be opened; the recorder then stays off.
    bool startFile(const QString &fileName, const QString &panelFile, QString *errorText);
    // Ends a recording into a file: writes the trailer and closes the file.
    void stopFile();
    QString fileName() const { return m_file.fileName(); }

private:
    QTextStream m_stream;
    QString m_comment;
    std::function<void(const QString &)> m_echo;
    QFile m_file;
};
