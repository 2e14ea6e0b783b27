// Panel: the range-change report. setDef notes every value that a new
// minimum or maximum moved; the notes of one chain of actions are printed
// together 100 ms after the first, with links to the elements involved.
#include "quillpanel.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "panelshell.h"

#include <QTimerEvent>

// How long notes are collected before they are reported.
static constexpr int checkMilliseconds = 100;

void Panel::startCheckTimer()
{
    if (m_checkTimerId != 0)
        return;
    if (m_shell)
        m_shell->cancelHighlight();
    m_rangeChangeNotes.clear();
    m_checkTimerId = startTimer(checkMilliseconds);
}

// Numbers as QString::arg writes them: whole numbers without a point.
static QString number(double value)
{
    return QStringLiteral("%1").arg(value);
}

void Panel::reportRangeChanges()
{
    for (const RangeChangeNote &note : qAsConst(m_rangeChangeNotes)) {
        if (!note.element)
            continue;
        const QString name = note.element->objectName();
        QString line = QStringLiteral("<font color=\"darkorange\"><a href = \"%1\">%2</a> was set from %3 to %4 "
                                      "because its range was changed from %5..%6 to %7..%8")
                           .arg(linkTarget(name), name, number(note.oldValue), number(note.newValue),
                                number(note.oldMinimum), number(note.oldMaximum), number(note.newMinimum),
                                number(note.newMaximum));
        if (note.sender) {
            const QString senderName = note.sender->objectName();
            line += QStringLiteral(" by <a href = \"%1\">%2</a>").arg(linkTarget(senderName), senderName);
        }
        ::logMessage(line + QStringLiteral("</font><br>"));
    }
}

void Panel::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_checkTimerId) {
        m_checkTimerId = 0;
        reportRangeChanges();
    }
    // The check timer is single-shot.
    killTimer(event->timerId());
}
