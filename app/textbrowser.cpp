#include "textbrowser.h"
#include "applog.h"

#include <QKeyEvent>
#include <QTextBlock>

void TextBrowser::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return) {
        const QString line = textCursor().block().text().trimmed();
        qCDebug(lcApp).noquote() << line;
        emit lineEntered(line);
    }
    QTextEdit::keyPressEvent(event);
}
