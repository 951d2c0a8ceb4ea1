// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class ImageButton;
class Player;
class QFrame;
class QWidget;
struct TransportLook;

// Play, Pause and Stop on the strip, in their frame: they command the player
// and show the look it reports. Others find them by name ("playButton",
// "pauseButton", "stopButton", "transportFrame").
class TransportView : public QObject
{
    Q_OBJECT
public:
    TransportView(QWidget *strip, Player &player);

    QList<QWidget *> tabOrder() const;
    // Brings the frame in front of the strip's other controls.
    void raise();

public slots:
    // Shows a look on Play, Pause and Stop.
    void showLook(const TransportLook &look);

    void startPlaying();
    void pausePlaying();
    void stopPlaying();
    void playButtonDown();
    void pauseButtonDown();
    void pauseButtonUp();
    void stopButtonDown();
    void stopButtonUp();

private:
    Player &m_player;
    QFrame *m_frame;
    ImageButton *m_playButton;
    ImageButton *m_pauseButton;
    ImageButton *m_stopButton;
};
