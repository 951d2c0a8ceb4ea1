// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MediaPlayer.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioControls;
class MpvEngine;

// How the Play, Pause and Stop buttons look: pressed (true), released
// (false), or left as they are (no value).
struct TransportLook
{
    std::optional<bool> play, pause, stop;

    static TransportLook playing() { return {true, false, false}; }
    static TransportLook paused() { return {false, true, false}; }
    static TransportLook stopped() { return {false, false, true}; }
    bool operator==(const TransportLook &) const = default;
};

// The player's commands in one place. Every input (the bar's buttons and
// tracks, the hot keys, the bookmarks, MPRIS, the command line) acts on the
// media engine through these, and every view learns what happened from the
// signals. Commands that need a file do nothing without one; refusing with
// a message is the caller's business.
class Player : public QObject
{
    Q_OBJECT
public:
    enum class Transport { Play, Pause, Stop };

    // Plays through `engine` and passes on what it pushes (the position as
    // it plays, the file's length, its state and rate, the end of an open).
    // `windStep` gives the seconds one wind jumps, read at each wind.
    Player(std::unique_ptr<MpvEngine> engine, std::function<double()> windStep, QObject *parent = nullptr);
    // Acts on an engine the caller keeps and that pushes nothing: a stand-in
    // for the commands' logic, or one that times the engine's calls.
    Player(MediaPlayer &engine, std::function<double()> windStep, QObject *parent = nullptr);
    ~Player() override;

    MediaPlayer &engine() const { return m_engine; }
    bool hasFile() const { return m_engine.PlayState() != PlayState::NoFile; }
    // A file is being opened: commands wait for it (see open()).
    bool isOpening() const { return m_opening; }
    bool isPlaying() const { return m_engine.PlayState() == PlayState::Playing; }
    PlayState playState() const { return m_engine.PlayState(); }
    double position() const { return m_engine.CurrentPosition(); }
    double duration() const { return m_engine.Duration(); }
    double rate() const { return m_engine.Rate(); }
    double windStep() const { return m_windStep(); }
    // Volume, channel and clear speech of the engine.
    AudioControls &audio() const { return *m_audio; }

    // Opens a local file; fileChanged says whether it could be opened, at
    // once or once the engine has loaded it. Meanwhile Play, Pause, Stop and
    // the jumps wait and act on the file once it is open, in the order
    // given; if it fails they are dropped with it. Winds, relative to a
    // position not known yet, are refused as with no file.
    void open(const FilePath &path);
    // The file opened last (whether it could be opened or not).
    const FilePath &file() const { return m_file; }
    void play();
    // Pauses what plays; the pause look either way.
    void pause();
    void togglePlayPause();
    // Stops and goes back to the start.
    void stop();
    void rewindToStart();
    // One wind step back or on, when the step stays inside the file.
    // True when the position moved.
    bool windBack();
    bool windForward();
    // As the pitch track holds the rate (PitchRate); the engine refuses a
    // rate out of its range.
    void setRate(double rate);
    // Goes to a position, whatever the state (the engine clamps).
    void jumpTo(double seconds);

    // Shows a look on the transport buttons without a command (a button held
    // down, a hot-key event in mid-cycle).
    void showLook(const TransportLook &look);

signals:
    // open() is about to leave the open file for another: its position and
    // length still read as they were.
    void leavingFile();
    void stateChanged(PlayState state);
    // The position as playback moves it (several times a second), and after
    // every jump.
    void positionMoved(double seconds);
    void durationChanged(double seconds);
    // A jump not caused by playing: a seek, a wind, a bookmark, Stop.
    void positionChanged(double seconds);
    // `path` as it can be shown (file() has its bytes).
    void fileChanged(const QString &path, bool opened);
    // The engine could not open the file open() was given (also after
    // open() returned, for a file that was still loading then).
    void openFailed(const QString &reason);
    void rateChanged(double rate);
    void lookChanged(const TransportLook &look);
    // Play, Pause or Stop was commanded with a file open.
    void transportCommanded(Player::Transport command);

private:
    bool deferWhileOpening(void (Player::*command)());
    bool deferWhileOpening(std::function<void()> command);
    void finishOpening();
    void failOpening(const QString &reason);
    void announceState();
    void announceRate();
    void moveTo(double seconds);
    void follow(MpvEngine *engine);

    MediaPlayer &m_engine;
    std::function<double()> m_windStep;
    FilePath m_file;
    bool m_opening = false;
    std::vector<std::function<void()>> m_whenOpen;
    PlayState m_announcedState;
    double m_announcedRate;
    // Outlives the engine, and never reaches it while going.
    std::unique_ptr<AudioControls> m_audio;
    // Last, so that it goes first: nothing it pushes reaches a player
    // half taken apart.
    std::unique_ptr<MpvEngine> m_ownEngine;
};
