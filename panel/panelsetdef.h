#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>

class Panel;
class QTabWidget;
class QWidget;

// A tab page that setDef took off its tab widget ("visible" 0), kept until a
// non-zero "visible" puts it back at its old place.
struct HiddenTab {
    QPointer<QTabWidget> tabs;
    QPointer<QWidget> page;
    int index = -1;
    QString label;
};

// A value that setDef moved by changing an element's minimum or maximum; the
// panel reports the notes 100 ms later. The elements are guarded: a note
// whose element went away with its panel is not reported.
struct RangeChangeNote {
    QPointer<QObject> sender;  // the element whose action changed the range, or null
    QPointer<QObject> element; // the element whose range changed
    bool minimumChanged = false;
    double oldValue = 0;
    double oldMinimum = 0;
    double oldMaximum = 0;
    double newValue = 0;
    double newMinimum = 0;
    double newMaximum = 0;
};

// What setDef keeps between its calls: the tab pages it took off, the
// range-change notes collected while the check timer is pending (reported
// when it fires) and whether setDef logs what it sets. Owned by the panel
// (Panel::setDefState()); the check timer is the panel's own.
class PanelSetDefState final
{
public:
    explicit PanelSetDefState(Panel &panel) : m_panel(panel) {}
    Q_DISABLE_COPY_MOVE(PanelSetDefState)

    // ---- Hidden tabs
    // The tab pages setDef took off, by the name of the container taken off its tab.
    const QHash<QString, HiddenTab> &hiddenTabs() const { return m_hiddenTabs; }
    void hideTab(const QString &name, const HiddenTab &tab) { m_hiddenTabs.insert(name, tab); }
    // The hidden tab of name, taken out; an empty one when there is none.
    HiddenTab takeHiddenTab(const QString &name) { return m_hiddenTabs.take(name); }

    // ---- Range-change notes and the check timer
    void addRangeChangeNote(const RangeChangeNote &note) { m_rangeChangeNotes.append(note); }
    // Starts the check timer unless it is pending; the notes start anew.
    void startCheckTimer();
    // The pending check timer's id; 0 when none is pending.
    int checkTimerId() const { return m_checkTimerId; }
    // A timer of the panel fired: when it is the check timer, the notes are
    // reported (true).
    bool checkTimerFired(int timerId);

    // ---- Logging: whether setDef logs what it sets.
    bool logSetDefs() const { return m_logSetDefs; }
    void setLogSetDefs(bool on) { m_logSetDefs = on; }

    // Forgets the hidden pages and the pending notes with their timer: they
    // belong to the panel that is going away.
    void clear();

private:
    void reportRangeChanges();

    Panel &m_panel;
    QHash<QString, HiddenTab> m_hiddenTabs;
    // The range-change notes setDef collected while the check timer is pending.
    QList<RangeChangeNote> m_rangeChangeNotes;
    int m_checkTimerId = 0;
    bool m_logSetDefs = false;
};
