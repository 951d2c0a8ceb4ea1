#pragma once

#include "hotkeys/HookModule.h"
#include "playback/MediaPlayer.h"

#include <QList>

// A player that does what it is told and remembers it, for the hook's logic.
class FakePlayer : public MediaPlayer
{
public:
    static constexpr int Paused = 1;

    double position = 0;
    double duration = 0;
    int state = NoFile;
    int plays = 0;
    int pauses = 0;
    QList<double> writes; // every position written, in order

    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double seconds) override { position = seconds; writes.append(seconds); }
    double Duration() const override { return duration; }
    double Rate() const override { return 1.0; }
    void setRate(double) override {}
    int PlayState() const override { return state; }
    void Play() override { ++plays; state = Playing; }
    void Pause() override { ++pauses; state = Paused; }
    void Stop() override { state = Stopped; }
    void Open(const QString &) override { state = Stopped; }
};

// The player plus the images last shown on Picture1..3 (0 = none shown).
class FakeHotKeyTarget : public HotKeyTarget
{
public:
    FakePlayer player;
    int images[4] = {0, 0, 0, 0};
    int imageChanges = 0;

    MediaPlayer &Player() override { return player; }
    void ShowTransportImage(int pictureNumber, int imageIndex) override
    {
        images[pictureNumber] = imageIndex;
        ++imageChanges;
    }
};
