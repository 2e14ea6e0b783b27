#pragma once

// A pseudo-terminal whose master side plays the device at the far end of a
// serial port: the code under test opens slaveName(); the peer reads what
// arrives and answers from its own thread.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

class PtyPeer
{
public:
    PtyPeer()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            closeMaster();
            return;
        }
        const char *name = ptsname(m_master);
        m_slaveName = name ? QString::fromLocal8Bit(name) : QString();
        termios tio{};
        if (tcgetattr(m_master, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_master, TCSANOW, &tio);
        }
    }
    ~PtyPeer()
    {
        join();
        closeMaster();
    }

    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool isValid() const { return m_master >= 0 && !m_slaveName.isEmpty(); }
    QString slaveName() const { return m_slaveName; }

    // Reads exactly n bytes, waiting up to timeoutMs; fewer on time-out.
    QByteArray readExactly(int n, int timeoutMs = 2000)
    {
        QByteArray bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < n && m_master >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, int(left)) <= 0 || !(p.revents & POLLIN))
                continue;
            char buf[256];
            const ssize_t got = ::read(m_master, buf, std::min<size_t>(sizeof buf, size_t(n - bytes.size())));
            if (got > 0)
                bytes.append(buf, int(got));
        }
        return bytes;
    }

    bool write(const QByteArray &bytes)
    {
        return m_master >= 0 && ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Runs the device's side of one exchange on a thread of its own.
    void play(std::function<void(PtyPeer &)> script)
    {
        join();
        m_thread = std::thread([this, script = std::move(script)] { script(*this); });
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slaveName;
    std::thread m_thread;
};
