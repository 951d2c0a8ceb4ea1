// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A foot control's report stream for tests: one end of a packet socket pair
// stands for the raw HID node (each write arrives as one report, as hidraw
// gives them), the test writes recorded reports into the other end.

#include <QByteArray>
#include <QTest>

#include <sys/socket.h>
#include <unistd.h>

class PedalStream
{
public:
    PedalStream()
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) == 0) {
            node = fds[0];
            m_feed = fds[1];
        }
    }
    ~PedalStream() { unplug(); }
    PedalStream(const PedalStream &) = delete;
    PedalStream &operator=(const PedalStream &) = delete;

    // The reading end, for the reader to take over.
    int node = -1;

    bool send(const QByteArray &report)
    {
        return ::write(m_feed, report.constData(), report.size()) == report.size();
    }
    // The device goes away: the reader sees the end of the stream.
    void unplug()
    {
        if (m_feed >= 0)
            ::close(m_feed);
        m_feed = -1;
    }

private:
    int m_feed = -1;
};
