// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MediaPlayer.h"

#include <QByteArray>
#include <QWidget>

class MpvEngine;
class Player;

// The media player control mediaControl on the bar: the engine behind the MediaPlayer
// operations, and the seek bar it shows. The control is 2010 x 645 twips, of
// which the bar's panel leaves only the top 18 pixels visible: that strip is
// the seek bar (track, played part, handle). A click or drag there, or the
// arrow, Page and Home/End keys, move the play position through the player's
// jump, as every other input does, so that every view learns of the jump.
class MediaPlayerControl : public QWidget, public MediaPlayer
{
    Q_OBJECT
public:
    static constexpr int SeekBarHeight = 18;  // pixels
    // Seconds moved by the arrow keys and by Page Up/Down.
    static constexpr double ArrowStep = 5;
    static constexpr double PageStep = 30;

    explicit MediaPlayerControl(QWidget *parent = nullptr);
    // audioOutputs: the engine's audio output list (tests pass "null").
    MediaPlayerControl(const QByteArray &audioOutputs, QWidget *parent);
    ~MediaPlayerControl() override;

    double CurrentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double Duration() const override;
    double Rate() const override;
    void setRate(double rate) override;
    ::PlayState PlayState() const override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Open(const FilePath &fullPath) override;
    bool Opening() const override;

    MpvEngine *engine() const { return m_engine; }
    // The player the seek bar jumps through (one built on this control);
    // until it is set the seek bar does not move.
    void setPlayer(Player *player) { m_player = player; }
    Player *player() const { return m_player; }
    QSize sizeHint() const override;

signals:
    void openFailed(const QString &reason);
    void playbackError(const QString &reason);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRect trackRect() const;
    double positionAt(int x) const;
    int playedWidth(double position) const;
    bool isEnabledTrack() const;
    void repaintIfMoved(double position);
    void seekFromMouse(int x);
    void stepBy(double seconds);
    void jumpTo(double seconds);

    MpvEngine *m_engine;
    Player *m_player = nullptr;
    int m_paintedWidth = -1;  // the played part as last painted
    bool m_paintedEnabled = false;
    bool m_dragging = false;
};
