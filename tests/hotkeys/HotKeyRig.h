// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/GlobalHotKeys.h"
#include "rules/Sliders.h"
#include "hotkeys/HotKeys.h"
#include "engine/MediaPlayer.h"
#include "engine/Player.h"

#include <QList>

// A player that does what it is told and remembers it, for the hot keys' logic.
class FakePlayer : public MediaPlayer
{
public:
    double position = 0;
    double duration = 0;
    ::PlayState state = NoFile;
    int plays = 0;
    int pauses = 0;
    QList<double> writes; // every position written, in order

    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double seconds) override { position = seconds; writes.append(seconds); }
    double Duration() const override { return duration; }
    double Rate() const override { return 1.0; }
    void setRate(double) override {}
    ::PlayState PlayState() const override { return state; }
    void Play() override { ++plays; state = Playing; }
    void Pause() override { ++pauses; state = Paused; }
    void Stop() override { state = Stopped; }
    void Open(const FilePath &) override { state = Stopped; }
};

// The hot-key rules on a fake engine, with the images the transport buttons
// were last given (1..3; 0 = none shown).
class HotKeyRig
{
public:
    FakePlayer player;
    double windStep = 3;
    ::Player controller{player, [this] { return windStep; }};
    HotKeys hotKeys{controller};
    int images[4] = {0, 0, 0, 0};
    int imageChanges = 0;

    HotKeyRig()
    {
        QObject::connect(&controller, &::Player::lookChanged, [this](const TransportLook &look) {
            show(1, look.play, 4, 1);
            show(2, look.pause, 5, 2);
            show(3, look.stop, 6, 3);
        });
    }

    bool key(FunctionKey key) { return hotKeys.handleKey(key); }
    // A key by its number in the key tables (F1 is 112), as the test rows give it.
    bool key(int number) { return key(FunctionKey(number)); }
    HotKeys::Counts counts() const { return hotKeys.counts(); }

private:
    void show(int button, std::optional<bool> down, int downImage, int upImage)
    {
        if (!down)
            return;
        images[button] = *down ? downImage : upImage;
        ++imageChanges;
    }
};
