// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MediaPlayer.h"

#include <QWidget>

class Player;

// The seek bar in the bar's top strip, a view over the player. It is 2010 x
// 645 twips, of which the bar's panel leaves only the top 18 pixels visible:
// that strip is the track, the played part and the handle. A click or drag
// there, or the arrow, Page and Home/End keys, move the play position
// through the player's jump, as every other input does, so that every view
// learns of the jump.
class SeekBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int StripHeight = 18;  // pixels
    // Seconds moved by the arrow keys and by Page Up/Down.
    static constexpr double ArrowStep = 5;
    static constexpr double PageStep = 30;

    explicit SeekBar(Player &player, QWidget *parent = nullptr);

    Player &player() const { return m_player; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRect trackRect() const;
    double positionAt(int x) const;
    int playedWidth() const;
    bool isEnabledTrack() const;
    void repaintIfChanged();
    void seekFromMouse(int x);
    void stepBy(double seconds);
    void jumpTo(double seconds);

    Player &m_player;
    // What the player last pushed, as painted.
    double m_position;
    double m_duration;
    PlayState m_state;
    int m_paintedWidth = -1;  // the played part as last painted
    bool m_paintedEnabled = false;
    bool m_dragging = false;
};
