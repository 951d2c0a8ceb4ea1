// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ExitSignals.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcExit, "murmelvox.exit")

namespace {

// Written by the handler, read on the GUI thread: the only thing a signal
// handler may safely do is write a byte.
int signalPipe[2] = {-1, -1};

constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> onExit, QObject *parent)
    : QObject(parent), m_onExit(std::move(onExit))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
        qCWarning(lcExit, "cannot watch for termination signals; they end the program without cleaning up");
        return;
    }
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::drain);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : HandledSignals)
        ::sigaction(s, &action, nullptr);
}

ExitSignals::~ExitSignals()
{
    for (int s : HandledSignals)
        std::signal(s, SIG_DFL);
    delete m_notifier;
    for (int &fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ExitSignals::drain()
{
    char bytes[16];
    bool any = false;
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0)
        any = true;
    if (any && m_onExit)
        m_onExit();
}

#include "moc_ExitSignals.cpp"
