#pragma once

#include <QString>

#include <functional>

class Panel;
class TykLink;

// The Tyk value lists of the panel's element actions: send packs a send list
// from the panel's elements and variables and transfers it, receive waits for
// the reply of that transfer and unpacks it into elements and variables.
// After ten receive time-outs in a row receives are skipped until a reply of
// at least two bytes is there again.
class TykValueExchange
{
public:
    // The link to the adapter: created on request (create) or null while
    // there is none.
    using LinkSource = std::function<TykLink *(bool create)>;

    TykValueExchange(Panel &panel, LinkSource link);

    void send(const QString &values);
    void receive(const QString &values);

    // Consecutive receive time-outs; a new panel or connection starts again.
    quint16 timeoutCount() const { return m_timeoutCount; }
    void resetTimeouts() { m_timeoutCount = 0; }

private:
    Panel &m_panel;
    LinkSource m_link;
    quint16 m_timeoutCount = 0;
    // The reply of the last send is still to be unpacked.
    bool m_replyUnread = false;
};
