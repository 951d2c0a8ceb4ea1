// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalModels.h"
#include "rules/SettingsStore.h"

#include <QWidget>

#include <array>

class PedalActions;
class PedalMonitor;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The settings window for the foot pedals: the pedals found, a light for each
// pedal while it is down (so the user sees the pedal work), the action of
// each pedal, the auto-rewind and the repeat pace. A change takes effect and
// is stored at once.
class PedalsWindow : public QWidget
{
    Q_OBJECT
public:
    PedalsWindow(PedalMonitor &monitor, PedalActions &actions, SettingsStore settings = {}, QWidget *parent = nullptr);

    QLabel *foundList = nullptr;
    std::array<QLabel *, PedalCount> lights{};
    std::array<QComboBox *, PedalCount> actionBoxes{};
    QDoubleSpinBox *autoRewindBox = nullptr;
    QSpinBox *repeatPaceBox = nullptr;
    QLabel *saveProblem = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    bool event(QEvent *event) override;

private:
    void growToFit();
    void showFound();
    void light(Pedal pedal, bool down);
    void apply();

    PedalMonitor &m_monitor;
    PedalActions &m_actions;
    SettingsStore m_settings;
};
