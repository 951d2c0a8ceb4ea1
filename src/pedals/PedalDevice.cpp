// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedals/PedalDevice.h"

#include "pedals/PedalLog.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

PedalDevice::PedalDevice(int fd, const PedalModel &model, const QString &node, QObject *parent)
    : QObject(parent), m_fd(fd), m_model(model), m_node(node)
{
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PedalDevice::readReports);
}

PedalDevice::~PedalDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void PedalDevice::readReports()
{
    // Larger than any model's report: a longer one is read whole and refused.
    char report[64];
    for (int i = 0; i < MaxReportsPerWake && m_fd >= 0; ++i) {
        const ssize_t n = ::read(m_fd, report, sizeof report);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            qCInfo(lcPedals) << "pedal" << m_node << "gone:" << (n < 0 ? std::strerror(errno) : "end of stream");
            close();
            emit lost();
            return;
        }
        const QByteArrayView received(report, n);
        emitChangedCodes(m_lastReport, received);
        m_lastReport = received.toByteArray();
        const std::optional<PedalMask> now = decodeReport(m_model, received);
        if (!now) {
            qCDebug(lcPedals) << "pedal" << m_node << "sent a report of" << n << "bytes; ignored";
            continue;
        }
        const PedalMask before = std::exchange(m_down, *now);
        for (const PedalEdge &edge : pedalEdges(before, *now))
            emit pedalChanged(edge.pedal, edge.down);
    }
}

void PedalDevice::emitChangedCodes(QByteArrayView before, QByteArrayView now)
{
    // A byte past the end of the shorter report reads as 0.
    for (qsizetype i = 0; i < std::max(before.size(), now.size()); ++i) {
        const std::uint8_t was = i < before.size() ? std::uint8_t(before[i]) : 0;
        const std::uint8_t is = i < now.size() ? std::uint8_t(now[i]) : 0;
        for (int bit = 0; bit < 8; ++bit) {
            if ((was ^ is) & (1u << bit))
                emit codeChanged(int(i) * 8 + bit, is & (1u << bit));
        }
    }
}

void PedalDevice::setModel(const PedalModel &model)
{
    releaseAll();
    m_model = model;
}

void PedalDevice::releaseAll()
{
    const PedalMask before = std::exchange(m_down, 0);
    for (const PedalEdge &edge : pedalEdges(before, 0))
        emit pedalChanged(edge.pedal, edge.down);
}

void PedalDevice::close()
{
    if (m_fd < 0)
        return;
    m_notifier->setEnabled(false);
    ::close(m_fd);
    m_fd = -1;
    releaseAll();
}
