#pragma once

#include <QTextEdit>

// The console's script prompt: an ordinary editor whose current line runs as a
// script line when Return is pressed.
class TextBrowser : public QTextEdit
{
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

signals:
    // The current line, trimmed, when Return was pressed.
    void lineEntered(const QString &line);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
