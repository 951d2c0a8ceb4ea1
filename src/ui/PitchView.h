// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class ClickLabel;
class Player;
class QLabel;
class QWidget;
class TrackSlider;

// The panel's pitch area: its caption showing the rate, the down and up
// glyphs and the pitch track, setting the player's rate and showing any rate
// it takes. Others find the controls by name ("pitchLabel", "pitchDown",
// "pitchUp", "pitchTrack").
class PitchView : public QObject
{
    Q_OBJECT
public:
    PitchView(QWidget *panel, Player &player);

    QList<QWidget *> tabOrder() const;
    QList<QWidget *> backdrop() const;

    // Start-up: normal speed, the track showing it.
    void startAtNormalSpeed();

public slots:
    void stepPitchDown();
    void stepPitchUp();
    // A press or left drag on the pitch track, `twips` from its left edge.
    void setPitchAt(float twips);
    void resetPitch();
    void showRate(double rate);

private:
    void setRateFromPanel(double rate);
    void showPitch(double rate);

    Player &m_player;
    bool m_rateFromPanel = false;
    QLabel *m_caption;
    ClickLabel *m_down;
    ClickLabel *m_up;
    TrackSlider *m_track;
};
