// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/SessionBusProbe.h"

#include <QByteArrayList>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class Socket
{
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Whether `fd` became ready for `events` before the deadline.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

enum class Outcome { Done, Failed, TimedOut };

Outcome SendAll(int fd, const QByteArray &data, Clock::time_point deadline)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT, deadline))
                return Outcome::TimedOut;
        } else {
            return Outcome::Failed;
        }
    }
    return Outcome::Done;
}

// Reads what the other side sends until `enough` says it has it.
template<typename Enough>
Outcome ReceiveUntil(int fd, QByteArray &received, Enough enough, Clock::time_point deadline)
{
    while (!enough(received)) {
        if (!WaitFor(fd, POLLIN, deadline))
            return Outcome::TimedOut;
        char buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            received.append(buffer, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return Outcome::Failed;
    }
    return Outcome::Done;
}

// A connected socket to the local socket a unix: address names, or -1;
// nullopt when the deadline passed (a full backlog of a stopped daemon).
std::optional<int> ConnectLocal(const QByteArray &entry, Clock::time_point deadline)
{
    QByteArray path;
    bool abstract = false;
    for (const QByteArray &pair : entry.mid(int(std::strlen("unix:"))).split(',')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray key = pair.left(equals);
        const QByteArray value = QByteArray::fromPercentEncoding(pair.mid(equals + 1));
        if (key == "path" || key == "abstract") {
            path = value;
            abstract = key == "abstract";
        }
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const qsizetype room = qsizetype(sizeof address.sun_path) - (abstract ? 1 : 0) - 1;
    if (path.isEmpty() || path.size() > room)
        return -1;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.constData(), size_t(path.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + path.size() + (abstract ? 0 : 1));

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0)
            return fd;
        // A local socket whose backlog is full refuses a non-blocking
        // connection for now; libdbus would block there.
        if (errno != EAGAIN && errno != EINTR)
            break;
        if (MillisecondsLeft(deadline) == 0) {
            ::close(fd);
            return std::nullopt;
        }
        ::usleep(20000);
    }
    ::close(fd);
    return -1;
}

void Append32(QByteArray &message, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    message.append(bytes, 4);
}

void AlignTo(QByteArray &message, int boundary)
{
    while (message.size() % boundary)
        message.append('\0');
}

// org.freedesktop.DBus.Hello, the first call every client makes.
QByteArray HelloCall()
{
    QByteArray message("l\x01\x00\x01", 4);   // little-endian method call, version 1
    Append32(message, 0);                      // no body
    Append32(message, 1);                      // serial
    Append32(message, 0);                      // header fields' length, below
    const struct
    {
        char code, type;
        const char *value;
    } fields[] = {{1, 'o', "/org/freedesktop/DBus"},
                  {6, 's', "org.freedesktop.DBus"},
                  {2, 's', "org.freedesktop.DBus"},
                  {3, 's', "Hello"}};
    for (const auto &field : fields) {
        AlignTo(message, 8);
        message.append(field.code);
        message.append('\x01');
        message.append(field.type);
        message.append('\0');
        Append32(message, quint32(std::strlen(field.value)));
        message.append(field.value);
        message.append('\0');
    }
    qToLittleEndian(quint32(message.size() - 16), message.data() + 12);
    AlignTo(message, 8);
    return message;
}

} // namespace

QByteArray AnnouncedSessionBusAddress()
{
    const QByteArray announced = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!announced.isEmpty())
        return announced;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(runtime + "/bus")))
        return "unix:path=" + runtime + "/bus";
    return {};
}

bool SessionBusIsSilent(const QByteArray &address, std::chrono::milliseconds within)
{
    const Clock::time_point deadline = Clock::now() + within;
    // libdbus takes the first entry it can connect to.
    for (const QByteArray &entry : address.split(';')) {
        if (entry.isEmpty())
            continue;
        if (!entry.startsWith("unix:"))
            return false;
        const std::optional<int> connected = ConnectLocal(entry, deadline);
        if (!connected)
            return true;
        if (*connected < 0)
            continue;
        const Socket socket(*connected);

        const QByteArray uid = QByteArray::number(::getuid()).toHex();
        QByteArray received;
        const auto line = [](const QByteArray &r) { return r.contains("\r\n"); };
        Outcome outcome = SendAll(socket.fd(), QByteArray(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n", deadline);
        if (outcome == Outcome::Done)
            outcome = ReceiveUntil(socket.fd(), received, line, deadline);
        // A bus that refuses this way of signing in still talks: libdbus
        // tries its other ways and will not hang.
        if (outcome == Outcome::Done && !received.startsWith("OK "))
            return false;
        if (outcome == Outcome::Done)
            outcome = SendAll(socket.fd(), "BEGIN\r\n" + HelloCall(), deadline);
        if (outcome == Outcome::Done) {
            received.clear();
            // The fixed part of the answer's header is enough: it answered.
            outcome = ReceiveUntil(socket.fd(), received, [](const QByteArray &r) { return r.size() >= 16; },
                                   deadline);
        }
        return outcome == Outcome::TimedOut;
    }
    return false;
}
