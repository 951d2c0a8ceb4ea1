// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"

#include <QList>
#include <QObject>

class QLabel;
class QWidget;
class TrackSlider;

// The panel's wind-count area: its caption showing the jump and the track
// setting it, kept in the settings store. Others find the controls by name
// ("windLabel", "windTrack").
class WindCountView : public QObject
{
    Q_OBJECT
public:
    WindCountView(QWidget *panel, SettingsStore settings);

    QList<QWidget *> tabOrder() const;
    QList<QWidget *> backdrop() const;

    // Start-up: the stored wind count, as the track holds it, shown there.
    void load();

    // Twips along the track; the wind keys jump windStep() seconds.
    float windCount() const { return m_windCount; }
    double windStep() const;

public slots:
    // A press or left drag on the track, `twips` from its left edge.
    void setWindCountAt(float twips);
    // Sets, shows and stores a wind count the track holds.
    void setWindCount(float count);
    void resetWindCount();

private:
    SettingsStore m_settings;
    float m_windCount = 0;
    QLabel *m_caption;
    TrackSlider *m_track;
};
