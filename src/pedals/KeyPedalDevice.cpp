// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedals/KeyPedalDevice.h"

#include "pedals/PedalLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// EV_KEY values: 2 is the key held down (autorepeat), no new press.
constexpr int KeyUp = 0, KeyDown = 1;

} // namespace

KeyPedalDevice::KeyPedalDevice(int fd, const KeyPedalModel &model, const QString &node, QObject *parent)
    : QObject(parent), m_fd(fd), m_model(model), m_node(node)
{
    if (::ioctl(fd, EVIOCGRAB, 1) == 0)
        m_grabbed = true;
    else
        qCWarning(lcPedals) << "cannot take pedal" << m_node << "from the desktop; its keys reach the document too:"
                            << std::strerror(errno);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KeyPedalDevice::readEvents);
}

KeyPedalDevice::~KeyPedalDevice()
{
    giveBack();
}

void KeyPedalDevice::giveBack()
{
    if (m_fd < 0)
        return;
    if (m_grabbed)
        ::ioctl(m_fd, EVIOCGRAB, 0);
    m_grabbed = false;
    ::close(m_fd);
    m_fd = -1;
}

void KeyPedalDevice::readEvents()
{
    unsigned char buffer[MaxEventsPerWake * sizeof(input_event)];
    std::memcpy(buffer, m_partial, m_partialSize);
    ssize_t n;
    do {
        n = ::read(m_fd, buffer + m_partialSize, sizeof buffer - m_partialSize);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n <= 0) {
        qCInfo(lcPedals) << "pedal" << m_node << "gone:" << (n < 0 ? std::strerror(errno) : "end of stream");
        close();
        emit lost();
        return;
    }
    const std::size_t size = m_partialSize + std::size_t(n);
    std::size_t at = 0;
    for (; size - at >= sizeof(input_event) && m_fd >= 0; at += sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, buffer + at, sizeof event);
        handle(event);
    }
    if (m_fd < 0)
        return;
    m_partialSize = size - at;
    std::memcpy(m_partial, buffer + at, m_partialSize);
}

void KeyPedalDevice::handle(const input_event &event)
{
    if (event.type != EV_KEY || (event.value != KeyDown && event.value != KeyUp))
        return;
    const bool down = event.value == KeyDown;
    emit codeChanged(event.code, down);
    const std::optional<Pedal> pedal = pedalOfKey(m_model, event.code);
    if (!pedal)
        return;
    const PedalMask before = m_down;
    m_down = down ? PedalMask(m_down | maskOf(*pedal)) : PedalMask(m_down & ~maskOf(*pedal));
    if (m_down != before)
        emit pedalChanged(*pedal, down);
}

void KeyPedalDevice::close()
{
    if (m_fd < 0)
        return;
    m_notifier->setEnabled(false);
    giveBack();
    m_partialSize = 0;
    releaseAll();
}

void KeyPedalDevice::setModel(const KeyPedalModel &model)
{
    releaseAll();
    m_model = model;
}

void KeyPedalDevice::releaseAll()
{
    const PedalMask before = std::exchange(m_down, 0);
    for (const PedalEdge &edge : pedalEdges(before, 0))
        emit pedalChanged(edge.pedal, edge.down);
}
