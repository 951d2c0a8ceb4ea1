// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FilePath.h"

#include <QString>

// What the engine is doing. The numbers are fixed: logs print them.
enum class PlayState { Stopped = 0, Paused = 1, Playing = 2, NoFile = 6 };

// The operations the rest of the program uses on the media engine. Every read
// answers with a number in every state, and a read right after a write gives
// what was written.
class MediaPlayer
{
public:
    // Engines and their callers name the states as MediaPlayer::Playing.
    using enum ::PlayState;

    // The rates an engine plays at; setRate refuses any other. The pitch
    // glyphs step up and down to these and no further.
    static constexpr double MinimumRate = 0.01;
    static constexpr double MaximumRate = 100;

    virtual ~MediaPlayer() = default;

    virtual double CurrentPosition() const = 0;   // seconds
    virtual void setCurrentPosition(double seconds) = 0;
    virtual double Duration() const = 0;          // seconds, 0 with no file
    virtual double Rate() const = 0;              // 1.0 is normal speed
    virtual void setRate(double rate) = 0;
    virtual ::PlayState PlayState() const = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Open(const FilePath &fullPath) = 0;
    // An engine that opens files asynchronously: true from Open until the
    // file is open or has failed.
    virtual bool Opening() const { return false; }
};
