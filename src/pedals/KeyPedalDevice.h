// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/KeyPedalModels.h"

#include <QObject>
#include <QString>

#include <linux/input.h>

class QSocketNotifier;

// One foot control that types keys, read from one of its open evdev nodes
// (non-blocking) on the thread that made it. It takes the node for itself,
// so that the keys reach no other program (the document least of all).
// Every key going down or up is told as a raw code, and a key of one of the
// model's pedals as that pedal pressed or released; autorepeat is no press.
// When the node goes away the pedals still down count as released, and it
// is lost.
class KeyPedalDevice : public QObject
{
    Q_OBJECT
public:
    // Takes `fd` over, and closes it when lost or destroyed.
    KeyPedalDevice(int fd, const KeyPedalModel &model, const QString &node, QObject *parent = nullptr);
    ~KeyPedalDevice() override;

    const KeyPedalModel &model() const { return m_model; }
    // Maps by other keys from now on (a pedal just taught); the pedals down
    // by the old ones count as released.
    void setModel(const KeyPedalModel &model);
    QString node() const { return m_node; }

    // Gives the node back to the desktop, stops reading and releases the
    // pedals still down, as if it were pulled out.
    void close();

    // Events read at most per wake-up, so that a flood of them cannot hold
    // the event loop; the rest wait for the next wake-up.
    static constexpr int MaxEventsPerWake = 64;

signals:
    void pedalChanged(Pedal pedal, bool down);
    void codeChanged(int code, bool down);
    void lost();

private:
    void readEvents();
    void handle(const input_event &event);
    // Releases the grab and closes the node.
    void giveBack();

    int m_fd;
    void releaseAll();

    KeyPedalModel m_model;
    QString m_node;
    QSocketNotifier *m_notifier = nullptr;
    bool m_grabbed = false;
    PedalMask m_down = 0;
    // The start of an event whose rest has not arrived yet (a stream may
    // split one; the kernel's nodes never do).
    unsigned char m_partial[sizeof(input_event)];
    std::size_t m_partialSize = 0;
};
