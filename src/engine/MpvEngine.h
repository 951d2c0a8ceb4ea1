// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MediaPlayer.h"
#include "rules/AudioSettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QString>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>

struct mpv_handle;
struct mpv_event;
struct MpvLibrary;

// The media engine: libmpv, made synchronous and consistent for the callers
// of MediaPlayer.
//
// libmpv answers asynchronously (a written position is reached a little
// later, a paused position reads back minus the audio output's latency, a
// freshly loaded file reports the previous duration for a while). The callers
// read right after they write, so this class keeps what they wrote and
// answers from it until the engine's live values have caught up.
//
// PlayState as read here:
//   6  no file (before the first Open, after a failed Open, after the file
//      went away)
//   0  stopped: after Open, after Stop, and at the end of the file
//   1  paused
//   2  playing
class MpvEngine : public QObject, public MediaPlayer
{
    Q_OBJECT
public:
    // audioOutputs: libmpv's "ao" list; the default goes to the desktop's
    // sound server and falls back to no sound so that playback (and the
    // position) always moves.
    explicit MpvEngine(const QByteArray &audioOutputs = defaultAudioOutputs(), QObject *parent = nullptr);
    ~MpvEngine() override;

    static QByteArray defaultAudioOutputs() { return QByteArrayLiteral("pipewire,pulse,alsa,null"); }

    double CurrentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double Duration() const override;
    double Rate() const override;
    void setRate(double rate) override;
    ::PlayState PlayState() const override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    // Returns at once; the file is open when opened() comes, or failed with
    // openFailed. Meanwhile Opening() and PlayState() is NoFile.
    void Open(const FilePath &fullPath) override;
    bool Opening() const override { return m_state == State::Loading; }

    // How long the engine may take to load a file. A file that has not
    // loaded by then (on a share that stopped answering, say) is given up:
    // its open fails, and the next file opens on a fresh core.
    static constexpr int OpenDeadlineMs = 3000;
    // How long a file's name may take to answer before the load starts: a
    // share waking up answers in seconds, and nothing waits for it meanwhile.
    static constexpr int FileCheckDeadlineMs = 10000;
    // Cores given up on while a load hung, whose threads may still wait in a
    // read. While this many have not ended, no file opens (each holds its
    // threads and buffers).
    static constexpr int MaxAbandonedCores = 4;
    static int abandonedCores();

    // Sets the options this engine runs libmpv with on a created, not yet
    // initialized handle (also used by the benchmarks' plain-libmpv floor).
    // False if libmpv refused one of them; the engine then runs with the rest.
    static bool configure(mpv_handle *handle, const QByteArray &audioOutputs);

    // The engine's libmpv handle once started (null before): benchmarks
    // watch the engine's own events through a second client on it.
    mpv_handle *handle() const { return m_mpv; }

    // Starts the engine now rather than at the first command that needs it.
    void start();

    // Volume, channel and clear speech, heard from now on (the volume kept
    // within its range); before the engine runs, from its start.
    void setAudio(const AudioSettings &audio);
    const AudioSettings &audio() const { return m_audio; }

signals:
    // The file Open was given is open (PlayState Stopped).
    void opened();
    // Open could not load the file; the text is the engine's reason.
    void openFailed(const QString &reason);
    // The open file stopped playing because of an error.
    void playbackError(const QString &reason);
    // What CurrentPosition, Duration, PlayState and Rate would read now,
    // whenever that changes: the position while playing as libmpv moves on,
    // and at once on a write.
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void playStateChanged(::PlayState state);
    void rateChanged(double rate);
    // Playback (re)started from a new position after a load or a seek.
    void playbackRestarted();

private:
    static void onWakeup(void *context);
    bool ensureCore();
    void abandonCore();
    bool hasFile() const;
    void loadAnswered(const mpv_event &event);
    void loadOverran();
    void fileLoaded();
    // eof: the end flag as an event just gave it; read from libmpv if none.
    void checkEnd(std::optional<bool> eof = std::nullopt);
    void setPause(bool pause);
    void holdHere();
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void unloaded();
    void sendLoad(const FilePath &fullPath, FilePath::Kind kind, bool hadFile);
    void seekTo(double seconds);
    void setFilters(double rate);
    void applyVolume();
    void changed();
    void announcePosition();
    double livePosition() const;
    bool eofReached() const;

    const MpvLibrary *m_lib = nullptr;
    mpv_handle *m_mpv = nullptr;
    bool m_coreFailed = false;
    QByteArray m_audioOutputs;

    enum class State { NoFile, Loading, Stopped, Paused, Playing };
    State m_state = State::NoFile;
    bool m_atEnd = false;
    int64_t m_entryId = -1;     // playlist entry of the file we opened
    int64_t m_startedId = -1;   // playlist entry the engine last started
    int64_t m_loadedId = -1;    // loaded before loadfile answered
    uint64_t m_openRequest = 0; // number of the latest loadfile sent
    uint64_t m_opens = 0;       // number of the latest Open
    bool m_checkingFile = false; // loading, but the file's kind not yet known
    QTimer m_openDeadline;
    double m_duration = 0;
    double m_rate = 1;
    AudioSettings m_audio;

    // The position answered until the live position has caught up with it.
    // While paused or stopped it is always held; while playing it is let go
    // once the engine has restarted from it and its live position reached it.
    mutable bool m_held = true;
    mutable double m_heldPos = 0;
    double m_livePos = std::nan("");   // time-pos as its events carry it
    bool m_seekPending = false;     // a seek was issued, no restart seen yet
    QElapsedTimer m_sinceRestart;   // guards against a live position that never catches up
    std::atomic_bool m_drainQueued{false};   // a drain is posted to the GUI thread

    // What the change signals last reported.
    double m_announcedPosition = 0;
    double m_announcedDuration = 0;
    ::PlayState m_announcedPlayState = NoFile;
};
