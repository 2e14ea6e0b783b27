#pragma once

#include <QThread>

#include <atomic>

// The two polling threads. Each runs while its run flag (owned by the main
// window) is set; clearing the flag makes run() return within one pass.
class SeggerThread : public QThread
{
    Q_OBJECT
public:
    explicit SeggerThread(const std::atomic_bool &running) : m_running(running) {}

protected:
    void run() override;

private:
    const std::atomic_bool &m_running;
};

class SerialComThread : public QThread
{
    Q_OBJECT
public:
    explicit SerialComThread(const std::atomic_bool &running) : m_running(running) {}

protected:
    void run() override;

private:
    const std::atomic_bool &m_running;
};

// Stops a polling thread: clears its flag, waits for it to leave run(), and only
// when it does not do so in time terminates it (and waits for that too).
void stopPollingThread(QThread *thread, std::atomic_bool &running, unsigned long graceMs = 100);
