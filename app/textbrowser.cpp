#include "textbrowser.h"

#include <QDebug>
#include <QKeyEvent>
#include <QTextBlock>

void TextBrowser::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return) {
        const QString line = textCursor().block().text().trimmed();
        qDebug().noquote() << line;
        emit lineEntered(line);
    }
    QTextEdit::keyPressEvent(event);
}
