// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that a
// session ending or a kill from a terminal ends the program the same way the
// exit button does (hot keys released, tray icon removed) instead of dying
// wherever the signal lands. One instance per process.
class ExitSignals : public QObject
{
    Q_OBJECT
public:
    explicit ExitSignals(std::function<void()> onExit, QObject *parent = nullptr);
    ~ExitSignals() override;

private:
    void drain();

    std::function<void()> m_onExit;
    QSocketNotifier *m_notifier = nullptr;
};
