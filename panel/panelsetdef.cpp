// PanelSetDefState: what setDef keeps between its calls, and the range-change
// report. setDef notes every value that a new minimum or maximum moved; the
// notes of one chain of actions are printed together 100 ms after the first,
// with links to the elements involved.
#include "panelsetdef.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "panelshell.h"
#include "quillpanel.h"

// How long notes are collected before they are reported.
static constexpr int checkMilliseconds = 100;

void PanelSetDefState::startCheckTimer()
{
    if (m_checkTimerId != 0)
        return;
    if (PanelShell *shell = m_panel.shell())
        shell->cancelHighlight();
    m_rangeChangeNotes.clear();
    m_checkTimerId = m_panel.startTimer(checkMilliseconds);
}

bool PanelSetDefState::checkTimerFired(int timerId)
{
    if (timerId != m_checkTimerId)
        return false;
    m_checkTimerId = 0;
    reportRangeChanges();
    return true;
}

void PanelSetDefState::clear()
{
    m_hiddenTabs.clear();
    if (m_checkTimerId != 0) {
        m_panel.killTimer(m_checkTimerId);
        m_checkTimerId = 0;
    }
    m_rangeChangeNotes.clear();
}

// Numbers as QString::arg writes them: whole numbers without a point.
static QString number(double value)
{
    return QStringLiteral("%1").arg(value);
}

void PanelSetDefState::reportRangeChanges()
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
