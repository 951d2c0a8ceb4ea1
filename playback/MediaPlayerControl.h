#pragma once

#include "playback/MediaPlayer.h"

#include <QWidget>

// The media player control on the bar: the engine behind the MediaPlayer
// operations, and the seek bar it shows in the bar's top strip.
class MediaPlayerControl : public QWidget, public MediaPlayer
{
    Q_OBJECT
public:
    explicit MediaPlayerControl(QWidget *parent = nullptr);
    ~MediaPlayerControl() override;

    double CurrentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double Duration() const override;
    double Rate() const override;
    void setRate(double rate) override;
    int PlayState() const override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Open(const QString &fullPath) override;
};
