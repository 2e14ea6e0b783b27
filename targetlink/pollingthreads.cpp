#include "pollingthreads.h"

void SeggerThread::run()
{
    while (m_running.load())
        msleep(1);
}

void SerialComThread::run()
{
    while (m_running.load())
        msleep(1);
}

void stopPollingThread(QThread *thread, std::atomic_bool &running, unsigned long graceMs)
{
    running.store(false);
    if (!thread)
        return;
    if (thread->wait(graceMs))
        return;
    // A poll pass can block inside a driver call; give it a second, then force it.
    if (thread->wait(1000))
        return;
    thread->terminate();
    thread->wait();
}
