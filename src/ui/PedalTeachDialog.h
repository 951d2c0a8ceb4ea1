// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pedals/PedalMonitor.h"
#include "rules/PedalTeaching.h"
#include "rules/SettingsStore.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// Teaches a foot control its layout: the typist picks the device, presses
// each pedal in turn when asked, and the layout is stored for the device's
// USB id and read by at once. A device the user may not read gets the udev
// line that lets them.
class PedalTeachDialog : public QDialog
{
    Q_OBJECT
public:
    PedalTeachDialog(PedalMonitor &monitor, SettingsStore settings, QWidget *parent = nullptr);
    ~PedalTeachDialog() override;

protected:
    void done(int result) override;

private:
    void listDevices();
    void deviceChosen();
    void startTeaching();
    void codeChanged(const QString &node, int code, bool down);
    void skipPedal();
    void follow(PedalTeacher::Outcome outcome);
    void finish();
    void stopTeaching(const QString &why);
    void ask(const QString &before);
    void say(const QString &text);

    PedalMonitor &m_monitor;
    SettingsStore m_settings;
    QList<PedalMonitor::Teachable> m_devices;
    std::optional<PedalMonitor::Teachable> m_taught;
    std::optional<PedalTeacher> m_teacher;
    QComboBox *m_deviceBox;
    QCheckBox *m_fourthBox;
    QLabel *m_instruction;
    QLabel *m_udevLine;
    QPushButton *m_startButton;
    QPushButton *m_skipButton;
};
