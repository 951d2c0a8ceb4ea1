// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalModels.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One foot control, read from its open raw HID descriptor (non-blocking) on
// the thread that made it. Each report is compared with the one before, and
// every pedal that changed is told as pressed or released. When the device
// goes away (a failed read, or the end of the stream) the pedals still down
// count as released, and it is lost.
class PedalDevice : public QObject
{
    Q_OBJECT
public:
    // Takes `fd` over, and closes it when lost or destroyed.
    PedalDevice(int fd, const PedalModel &model, const QString &node, QObject *parent = nullptr);
    ~PedalDevice() override;

    const PedalModel &model() const { return m_model; }
    // Reads by another layout from now on (a pedal just taught); the pedals
    // down by the old one count as released.
    void setModel(const PedalModel &model);
    QString node() const { return m_node; }

    // Stops reading and releases the pedals still down, as if it were pulled out.
    void close();

    // Reports read at most per wake-up, so that a flood of them cannot hold
    // the event loop; the rest wait for the next wake-up.
    static constexpr int MaxReportsPerWake = 64;

signals:
    void pedalChanged(Pedal pedal, bool down);
    // Each bit of the report (byte * 8 + bit) that changed, whatever the
    // layout: what teaching listens to.
    void codeChanged(int code, bool down);
    void lost();

private:
    void readReports();

    int m_fd;
    void emitChangedCodes(QByteArrayView before, QByteArrayView now);
    void releaseAll();

    PedalModel m_model;
    QByteArray m_lastReport;
    QString m_node;
    QSocketNotifier *m_notifier = nullptr;
    PedalMask m_down = 0;
};
