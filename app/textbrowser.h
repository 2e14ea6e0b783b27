#pragma once

#include <QTextEdit>

// The console's script prompt: an ordinary editor whose current line runs as a
// script line when Return is pressed.
class TextBrowser : public QTextEdit
{
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
