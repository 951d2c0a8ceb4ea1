// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MpvEngine.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QFutureWatcher>
#include <QPromise>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QTimer>

#include "engine/MpvLibrary.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcEngine, "murmelvox.engine")

// While playing, a held position is let go this long after the restart even
// if the live position never reached it (it cannot be later than that).
constexpr qint64 CatchUpGiveUpMs = 1000;

// How long after construction the engine starts by itself.
constexpr int StartDelayMs = 200;

// Engines (all on the GUI thread) waiting for the library's load, which
// tells them on its own thread.
std::vector<MpvEngine *> &waitingForLibrary()
{
    static std::vector<MpvEngine *> engines;
    return engines;
}

void libraryAttempted()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [] {
        for (MpvEngine *engine : std::exchange(waitingForLibrary(), {}))
            engine->start();
    }, Qt::QueuedConnection);
}

// Counted across engines: every one of them adds to the same process.
std::atomic<int> abandonedCount{0};

// The engine plays local files and nothing else, sees no configuration,
// scripts or key bindings of the user's, and never shows a window.
const char *const IsolationOptions[][2] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"ytdl", "no"},
    {"osc", "no"},
    {"input-default-bindings", "no"},
    {"input-builtin-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"input-terminal", "no"},
    {"terminal", "no"},
    {"vid", "no"},
    {"vo", "null"},
    {"force-window", "no"},
    {"audio-display", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"resume-playback", "no"},
    {"save-position-on-quit", "no"},
    // libavformat for every file: no playlist, EDL or directory expansion,
    // which could name network streams; and no nested opens from a file.
    {"demuxer", "lavf"},
    {"access-references", "no"},
    {"idle", "yes"},
    // At the end the file stays open and paused, so its length and the
    // position stay readable.
    {"keep-open", "yes"},
    {"pause", "yes"},
    // Seeks land on the sample, not on the packet before it.
    {"hr-seek", "yes"},
    {"audio-client-name", "murmelvox"},
};

// What the sound server is handed at a time. libmpv's defaults (20 ms for
// PipeWire, 100 ms for PulseAudio) wake the engine and the server some fifty
// times a second; a quarter of a second wakes them a few times, and costs a
// laptop's battery a fraction. Pause, Stop and seeks still act at once (the
// stream is corked or flushed); only a new rate is heard up to that much
// later. Options a libmpv built without that output lacks are skipped.
const char *const OutputBufferOptions[][2] = {
    {"pipewire-buffer", "250"},
    {"pulse-buffer", "250"},
    {"alsa-buffer-time", "250000"},
};

// Natural pitch at every rate other than 1: by default scaletempo2 mutes
// below 0.25x, and the slider goes far lower. At 1 the tempo filter is left
// out: it costs CPU and shifts the sound some 10 ms from the position.
QByteArray TempoFilterFor(double rate)
{
    return rate == 1.0 ? QByteArray() : QByteArrayLiteral("scaletempo2=min-speed=0.001");
}

// Every choice ends in one channel, which the sound server plays on both
// sides. "<" scales a mix to full level over the channels the file has: a
// mono file's one channel plays as it is in Both, and in Right through its
// tiny share of the left channel (80 dB down in a stereo file, inaudible).
QByteArray ChannelFilterFor(AudioChannel channel)
{
    switch (channel) {
    case AudioChannel::Both:
        return QByteArrayLiteral("pan=mono|c0<c0+c1");
    case AudioChannel::Left:
        return QByteArrayLiteral("pan=mono|c0=c0");
    case AudioChannel::Right:
        return QByteArrayLiteral("pan=mono|c0<c1+0.0001*c0");
    }
    return {};
}

// Clear speech, on the recording's own timeline (before the tempo): rumble
// below the voice goes first, so that neither stage after it works on it;
// afftdn follows the steady noise floor by itself (no noise sample to take);
// speechnorm then evens out the voice's level period by period, looking
// ahead only a few of its periods, where dynaudnorm looks ahead by whole
// frames of a tenth of a second or more.
const char ClearSpeechFilters[] = "highpass=f=100,afftdn=nr=12:tn=1,speechnorm=e=6.25:r=0.00001:l=1";

// Above 100 % the gain is the limiter's own input level, on the curve
// libmpv's volume follows below 100 (the cube of the fraction: 200 % is 8x),
// and its peaks are held under 1 dB below full scale instead of clipping.
// libmpv's own volume acts after every filter, out of a limiter's reach.
// The limiter's 5 ms look-ahead is taken out again (latency), so the sound
// stays on the position.
QByteArray GainFilterFor(int volumePercent)
{
    if (volumePercent <= 100)
        return {};
    const double gain = std::pow(volumePercent / 100.0, 3);
    return "alimiter=level_in=" + QByteArray::number(gain, 'f', 4)
        + ":limit=0.891:attack=5:release=50:level=disabled:latency=1";
}

// The engine's one filter chain, built whole from its parts whenever one of
// them changes: the channel and clear speech, the tempo, and the gain and
// limiter last, which catch the peaks of everything before them. Each part
// is labelled, so that the chain reads back part by part.
QByteArray FilterChainFor(double rate, const AudioSettings &audio)
{
    QByteArray voice = ChannelFilterFor(audio.channel);
    if (audio.clearSpeech)
        voice += QByteArrayLiteral(",") + ClearSpeechFilters;
    QByteArrayList chain{"@voice:lavfi=[" + voice + "]"};
    if (const QByteArray tempo = TempoFilterFor(rate); !tempo.isEmpty())
        chain.append("@tempo:" + tempo);
    if (const QByteArray gain = GainFilterFor(audio.volumePercent); !gain.isEmpty())
        chain.append("@gain:lavfi=[" + gain + "]");
    return chain.join(',');
}

QString errorText(const MpvLibrary &mpv, int error)
{
    return QString::fromUtf8(mpv.error_string(error));
}

// The engine's change signals follow these; a property libmpv will not let
// us observe leaves its signal silent (reads stay right).
void Observe(const MpvLibrary &mpv, mpv_handle *handle, const char *name, mpv_format format)
{
    const int error = mpv.observe_property(handle, 0, name, format);
    if (error < 0)
        qCWarning(lcEngine) << "cannot observe" << name << ":" << errorText(mpv, error);
}

} // namespace

MpvEngine::MpvEngine(const QByteArray &audioOutputs, QObject *parent)
    : QObject(parent), m_audioOutputs(audioOutputs)
{
    m_openDeadline.setSingleShot(true);
    m_openDeadline.setTimerType(Qt::PreciseTimer);
    connect(&m_openDeadline, &QTimer::timeout, this, &MpvEngine::loadOverran);
    // The bar is drawn first; a command that needs the engine before it has
    // started starts it at once.
    QTimer::singleShot(StartDelayMs, this, &MpvEngine::start);
}

MpvEngine::~MpvEngine()
{
    auto &waiting = waitingForLibrary();
    waiting.erase(std::remove(waiting.begin(), waiting.end(), this), waiting.end());
    if (m_mpv) {
        // No wakeup may reach a half-destroyed object.
        m_lib->set_wakeup_callback(m_mpv, nullptr, nullptr);
        m_lib->terminate_destroy(m_mpv);
    }
}

bool MpvEngine::configure(mpv_handle *handle, const QByteArray &audioOutputs)
{
    const MpvLibrary *mpv = MpvLibrary::Get();
    if (!mpv)
        return false;
    bool accepted = true;
    for (const auto &option : IsolationOptions)
        accepted = mpv->set_option_string(handle, option[0], option[1]) >= 0 && accepted;
    for (const auto &option : OutputBufferOptions)
        mpv->set_option_string(handle, option[0], option[1]);
    return mpv->set_option_string(handle, "ao", audioOutputs.constData()) >= 0 && accepted;
}

void MpvEngine::start()
{
    if (m_mpv || m_coreFailed)
        return;
    // Loading libmpv takes longer than the bar's start: on another thread,
    // so that the bar answers meanwhile (a command that needs the engine
    // waits for it).
    if (MpvLibrary::Attempted()) {
        ensureCore();
        return;
    }
    auto &waiting = waitingForLibrary();
    if (std::find(waiting.begin(), waiting.end(), this) == waiting.end())
        waiting.push_back(this);
    MpvLibrary::LoadInBackground(&libraryAttempted);
}

int MpvEngine::abandonedCores()
{
    return abandonedCount;
}

bool MpvEngine::ensureCore()
{
    if (m_mpv)
        return true;
    if (m_coreFailed || abandonedCount >= MaxAbandonedCores)
        return false;
    // libmpv refuses to start under a locale that writes numbers with a comma.
    std::setlocale(LC_NUMERIC, "C");
    const MpvLibrary *mpv = MpvLibrary::Get();
    mpv_handle *h = mpv ? mpv->create() : nullptr;
    if (!h) {
        m_coreFailed = true;
        return false;
    }
    configure(h, m_audioOutputs);
    // A rate set before the engine ran applies from the start.
    double rate = m_rate;
    mpv->set_option(h, "speed", MPV_FORMAT_DOUBLE, &rate);
    // So are the audio settings.
    mpv->set_option_string(h, "af", FilterChainFor(rate, m_audio).constData());
    double volume = std::min(m_audio.volumePercent, 100);
    mpv->set_option(h, "volume", MPV_FORMAT_DOUBLE, &volume);
    if (mpv->initialize(h) < 0) {
        mpv->terminate_destroy(h);
        m_coreFailed = true;
        return false;
    }
    Observe(*mpv, h, "eof-reached", MPV_FORMAT_FLAG);
    Observe(*mpv, h, "duration", MPV_FORMAT_DOUBLE);
    Observe(*mpv, h, "time-pos", MPV_FORMAT_DOUBLE);
    // At the end libmpv pauses by itself (keep-open).
    Observe(*mpv, h, "pause", MPV_FORMAT_FLAG);
    m_lib = mpv;
    m_mpv = h;
    mpv->set_wakeup_callback(h, &MpvEngine::onWakeup, this);
    return true;
}

// A core whose load does not finish may wait in a read for as long as its
// share does not answer. Destroying it waits for that, so it ends on a thread
// of its own; nothing of it reaches this engine again.
void MpvEngine::abandonCore()
{
    mpv_handle *stuck = std::exchange(m_mpv, nullptr);
    m_startedId = -1;
    // Once this returns no wakeup of the old core runs, so its queued events
    // and property changes are never read. A drain it posted before then
    // drains the next core.
    m_lib->set_wakeup_callback(stuck, nullptr, nullptr);
    ++abandonedCount;
    const MpvLibrary *mpv = m_lib;
    try {
        std::thread([mpv, stuck] {
            mpv->terminate_destroy(stuck);
            --abandonedCount;
        }).detach();
    } catch (const std::system_error &error) {
        // Left as it is, still counted, so that the cap holds.
        qCWarning(lcEngine) << "cannot end a core that does not answer:" << error.what();
    }
}

// Called on one of libmpv's threads: only posts the drain to our thread.
void MpvEngine::onWakeup(void *context)
{
    auto *self = static_cast<MpvEngine *>(context);
    if (self->m_drainQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(self, [self] {
        self->m_drainQueued = false;
        self->drainEvents();
    }, Qt::QueuedConnection);
}

void MpvEngine::drainEvents()
{
    while (m_mpv) {
        mpv_event *event = m_lib->wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvEngine::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_startedId = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == m_openRequest && m_state == State::Loading)
            loadAnswered(event);
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_state != State::Loading)
            break;
        // Loaded before loadfile's answer named its entry: kept for then.
        if (m_entryId < 0)
            m_loadedId = m_startedId;
        else if (m_startedId == m_entryId)
            fileLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<const mpv_event_end_file *>(event.data);
        if (end->playlist_entry_id != m_entryId)
            break;  // a file we replaced
        const bool wasLoading = m_state == State::Loading;
        unloaded();
        QString reason = end->reason == MPV_END_FILE_REASON_ERROR ? errorText(*m_lib, end->error)
                                                                  : QStringLiteral("The file was closed.");
        if (wasLoading)
            emit openFailed(reason);
        else
            emit playbackError(reason);
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        m_seekPending = false;
        m_sinceRestart.restart();
        emit playbackRestarted();
        checkEnd();  // a seek to the very end ends there
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto *property = static_cast<const mpv_event_property *>(event.data);
        if (std::strcmp(property->name, "time-pos") == 0) {
            // A position from before a seek that is on its way says nothing
            // of where playback goes.
            if (m_seekPending)
                break;
            m_livePos = property->format == MPV_FORMAT_DOUBLE ? *static_cast<const double *>(property->data)
                                                              : std::nan("");
            // While held, the read does not follow libmpv; announcePosition
            // then finds nothing new.
            announcePosition();
        } else if (std::strcmp(property->name, "eof-reached") == 0) {
            checkEnd(property->format == MPV_FORMAT_FLAG && *static_cast<const int *>(property->data));
        } else if (std::strcmp(property->name, "pause") == 0) {
            checkEnd();
        } else if (std::strcmp(property->name, "duration") == 0) {
            // MPV_FORMAT_NONE means unavailable: keep what we have.
            if (hasFile() && property->format == MPV_FORMAT_DOUBLE) {
                const double duration = *static_cast<const double *>(property->data);
                if (duration != m_duration) {
                    m_duration = duration;
                    changed();
                }
            }
        }
        break;
    }
    default:
        break;
    }
}

// At the end the engine stays paused on the file's last sample: for the
// callers that is "stopped" at the file's length, however it got there (so
// that the Play/Pause hot key plays again rather than pausing).
void MpvEngine::checkEnd(std::optional<bool> eof)
{
    // While a seek is on its way the engine's end flag still tells where it
    // was, not where it goes; and a queued flag change may be stale.
    if (!hasFile() || m_atEnd || m_seekPending || !eof.value_or(eofReached()))
        return;
    m_atEnd = true;
    m_heldPos = m_duration;
    m_held = true;
    m_state = State::Stopped;
    changed();
}

bool MpvEngine::hasFile() const
{
    return m_state != State::NoFile && m_state != State::Loading;
}

// loadfile's answer: the playlist entry the file became, or why it did not.
void MpvEngine::loadAnswered(const mpv_event &event)
{
    if (event.error < 0) {
        unloaded();
        emit openFailed(errorText(*m_lib, event.error));
        return;
    }
    int64_t id = -1;
    const mpv_node &result = static_cast<const mpv_event_command *>(event.data)->result;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list *map = result.u.list;
        for (int i = 0; i < map->num; ++i)
            if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 && map->values[i].format == MPV_FORMAT_INT64)
                id = map->values[i].u.int64;
    }
    m_entryId = id;
    if (id >= 0 && m_loadedId == id)
        fileLoaded();
}

void MpvEngine::loadOverran()
{
    if (m_state != State::Loading)
        return;
    // Still asking the file's kind: the core never saw the file.
    if (!std::exchange(m_checkingFile, false))
        abandonCore();
    unloaded();
    emit openFailed(QStringLiteral("The file did not answer within %1 seconds.").arg(m_openDeadline.interval() / 1000));
}

void MpvEngine::fileLoaded()
{
    m_openDeadline.stop();
    double duration = 0;
    if (m_lib->get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &duration) < 0 || !std::isfinite(duration))
        duration = 0;
    m_duration = std::max(0.0, duration);
    m_state = State::Stopped;
    m_atEnd = false;
    m_held = true;
    m_heldPos = 0;
    m_livePos = std::nan("");
    changed();
    emit opened();
}

void MpvEngine::unloaded()
{
    m_openDeadline.stop();
    m_checkingFile = false;
    m_loadedId = -1;
    m_state = State::NoFile;
    m_entryId = -1;
    m_duration = 0;
    m_atEnd = false;
    m_held = true;
    m_heldPos = 0;
    m_livePos = std::nan("");
    m_seekPending = false;
    changed();
}

// Reports each reading that changed since it was last reported.
void MpvEngine::changed()
{
    announcePosition();
    const double duration = Duration();
    if (duration != m_announcedDuration) {
        m_announcedDuration = duration;
        emit durationChanged(duration);
    }
    const ::PlayState playState = PlayState();
    if (playState != m_announcedPlayState) {
        m_announcedPlayState = playState;
        emit playStateChanged(playState);
    }
}

void MpvEngine::announcePosition()
{
    const double position = CurrentPosition();
    if (position == m_announcedPosition)
        return;
    m_announcedPosition = position;
    emit positionChanged(position);
}

// As the engine's time-pos events last gave it; reads never ask libmpv.
double MpvEngine::livePosition() const
{
    return std::isfinite(m_livePos) ? m_livePos : std::nan("");
}

bool MpvEngine::eofReached() const
{
    int flag = 0;
    return m_mpv && m_lib->get_property(m_mpv, "eof-reached", MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

double MpvEngine::CurrentPosition() const
{
    if (!hasFile())
        return 0;
    if (m_held) {
        if (m_state != State::Playing || m_seekPending)
            return m_heldPos;
        const double live = livePosition();
        if (std::isnan(live))
            return m_heldPos;
        // Held until playback has really reached it: a seek may land a few
        // samples short, and a restart left from an earlier seek may come in
        // after a new one was asked for.
        if (live < m_heldPos && m_sinceRestart.isValid()
            && m_sinceRestart.elapsed() < CatchUpGiveUpMs)
            return m_heldPos;
        m_held = false;
    }
    const double live = livePosition();
    if (std::isnan(live))
        return m_heldPos;
    return std::clamp(live, 0.0, m_duration > 0 ? m_duration : std::max(live, 0.0));
}

// Callers drain the engine's events first, so that a restart or end from an
// earlier seek is not taken for this one's.
void MpvEngine::seekTo(double seconds)
{
    const QByteArray target = QByteArray::number(seconds, 'f', 6);
    const char *command[] = {"seek", target.constData(), "absolute+exact", nullptr};
    if (m_lib->command(m_mpv, command) >= 0) {
        m_seekPending = true;
        m_livePos = std::nan("");
    }
}

void MpvEngine::setCurrentPosition(double seconds)
{
    drainEvents();
    // Written with no file (a bookmark chosen early): nothing to move.
    if (!hasFile() || !std::isfinite(seconds))
        return;
    seconds = std::max(0.0, seconds);
    if (m_duration > 0)
        seconds = std::min(seconds, m_duration);
    m_heldPos = seconds;
    m_held = true;
    m_atEnd = false;
    seekTo(seconds);
    m_sinceRestart.invalidate();
    // Moved to the end while not playing: stopped there at once. Paused,
    // libmpv may or may not report reaching the end, whenever it likes.
    if (m_duration > 0 && seconds >= m_duration && m_state != State::Playing) {
        m_atEnd = true;
        m_state = State::Stopped;
    }
    // Reported at once, without waiting for libmpv to get there.
    m_announcedPosition = seconds;
    emit positionChanged(seconds);
    changed();
}

double MpvEngine::Duration() const
{
    return hasFile() ? m_duration : 0;
}

double MpvEngine::Rate() const
{
    return m_rate;
}

void MpvEngine::setRate(double rate)
{
    // Out of range (or not a number): refused, the old rate stays.
    if (!(rate >= MinimumRate && rate <= MaximumRate))
        return;
    if (!m_mpv) {
        if (rate != m_rate) {
            m_rate = rate;  // applied when the engine starts
            emit rateChanged(m_rate);
        }
        return;
    }
    // The tempo filter goes in before a rate other than 1 plays, and out
    // after the rate is back at 1.
    if (rate != 1.0)
        setFilters(rate);
    if (m_lib->set_property(m_mpv, "speed", MPV_FORMAT_DOUBLE, &rate) < 0) {
        setFilters(m_rate);
        return;
    }
    double held = rate;
    m_lib->get_property(m_mpv, "speed", MPV_FORMAT_DOUBLE, &held);
    const bool changed = held != m_rate;
    m_rate = held;
    if (m_rate == 1.0)
        setFilters(m_rate);
    if (changed)
        emit rateChanged(m_rate);
}

void MpvEngine::setFilters(double rate)
{
    const QByteArray chain = FilterChainFor(rate, m_audio);
    const int error = m_lib->set_property_string(m_mpv, "af", chain.constData());
    if (error < 0)
        qCWarning(lcEngine) << "the audio filters were refused:" << errorText(*m_lib, error) << chain;
}

void MpvEngine::applyVolume()
{
    double volume = std::min(m_audio.volumePercent, 100);
    m_lib->set_property(m_mpv, "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MpvEngine::setAudio(const AudioSettings &audio)
{
    AudioSettings wanted = audio;
    wanted.volumePercent = ClampedVolume(wanted.volumePercent);
    if (wanted == m_audio)
        return;
    const QByteArray before = FilterChainFor(m_rate, m_audio);
    m_audio = wanted;
    if (!m_mpv)
        return;  // applied when the engine starts
    // Set once per change, and only when the chain is another.
    if (FilterChainFor(m_rate, m_audio) != before)
        setFilters(m_rate);
    applyVolume();
}

PlayState MpvEngine::PlayState() const
{
    switch (m_state) {
    case State::NoFile:
    case State::Loading:
        return NoFile;
    case State::Stopped:
        return Stopped;
    case State::Paused:
        return Paused;
    case State::Playing:
        return Playing;
    }
    return NoFile;
}

void MpvEngine::setPause(bool pause)
{
    int flag = pause ? 1 : 0;
    m_lib->set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvEngine::Play()
{
    if (!hasFile())
        return;
    drainEvents();
    if (m_state == State::Playing || !hasFile())
        return;
    // At the end the engine would stay there: play again from the start.
    if (m_atEnd || (!m_seekPending && eofReached())) {
        m_heldPos = 0;
        m_held = true;
        m_atEnd = false;
        seekTo(0);
    }
    setPause(false);
    m_state = State::Playing;
    m_sinceRestart.restart();
    changed();
}

void MpvEngine::Pause()
{
    if (m_state != State::Playing)
        return;
    // Held where the latest position event has it.
    drainEvents();
    if (m_state != State::Playing)
        return;
    holdHere();
    setPause(true);
    m_state = State::Paused;
    changed();
}

void MpvEngine::Stop()
{
    // Not the engine's "stop", which would close the file: Stop keeps the
    // file and its position; the caller then moves to 0.
    if (!hasFile())
        return;
    drainEvents();
    if (!hasFile())
        return;
    holdHere();
    setPause(true);
    m_state = State::Stopped;
    changed();
}

void MpvEngine::holdHere()
{
    m_heldPos = CurrentPosition();
    m_held = true;
}

void MpvEngine::Open(const FilePath &fullPath)
{
    // A load still under way may be stuck in a read that does not answer (a
    // hung share), and its core would load nothing else until that read
    // returns: it is given up on, as at the deadline, and the file opens on
    // a new core.
    if (m_state == State::Loading && !m_checkingFile && m_mpv) {
        abandonCore();
        unloaded();
    }
    if (!ensureCore()) {
        emit openFailed(m_coreFailed ? QStringLiteral("The media engine could not be started.")
                                     : QStringLiteral("The media engine still waits for files that did not "
                                                      "answer; try again once their drive answers."));
        return;
    }
    drainEvents();
    // Whatever happens to the new file, the old one is gone, and nothing
    // plays before the caller says Play.
    setPause(true);
    const bool hadFile = m_entryId >= 0 || m_state == State::Loading;
    m_entryId = -1;
    unloaded();

    // The file's kind is asked on a thread of its own: on a share that
    // answers slowly even that waits, and the bar must not. A deadline of
    // its own covers the wait (the load's starts once the engine has the
    // file), and an answer for an earlier Open is dropped.
    const uint64_t open = ++m_opens;
    m_state = State::Loading;
    m_checkingFile = true;
    m_openDeadline.start(FileCheckDeadlineMs);
    auto promise = std::make_shared<QPromise<FilePath::Kind>>();
    promise->start();
    auto *answer = new QFutureWatcher<FilePath::Kind>(this);
    connect(answer, &QFutureWatcherBase::finished, this, [this, answer, open, fullPath, hadFile] {
        answer->deleteLater();
        if (open != m_opens || !m_checkingFile)
            return;
        m_checkingFile = false;
        sendLoad(fullPath, answer->result(), hadFile);
    });
    answer->setFuture(promise->future());
    try {
        std::thread([promise, fullPath] {
            promise->addResult(fullPath.kind());
            promise->finish();
        }).detach();
    } catch (const std::system_error &error) {
        qCWarning(lcEngine) << "cannot check the file on a thread of its own:" << error.what();
        promise->addResult(fullPath.kind());
        promise->finish();
    }
}

void MpvEngine::sendLoad(const FilePath &fullPath, FilePath::Kind kind, bool hadFile)
{
    // Regular local files only: anything else could name a network stream
    // or block the engine's reader (a pipe, a device).
    if (kind != FilePath::Kind::RegularFile) {
        unloaded();
        if (hadFile) {
            const char *stop[] = {"stop", nullptr};
            m_lib->command(m_mpv, stop);
        }
        emit openFailed(kind == FilePath::Kind::Directory ? QStringLiteral("This is a folder, not a file.")
                        : kind == FilePath::Kind::Other   ? QStringLiteral("This is not a file.")
                                                          : QStringLiteral("The file does not exist."));
        return;
    }
    // An absolute path starts with "/", so the engine never reads it as a URL;
    // it goes in as one argument, never through a command string.
    const QByteArray path = fullPath.absoluteFrom(FilePath::currentDirectory()).native();
    const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
    // Answered by events: loadfile's reply names the entry, the entry's
    // load ends it. Answers to an earlier Open carry an older number.
    const int error = m_lib->command_async(m_mpv, ++m_openRequest, load);
    if (error < 0) {
        unloaded();
        emit openFailed(errorText(*m_lib, error));
        return;
    }
    // A file on a hung mount must not hold up the files after it.
    m_openDeadline.start(OpenDeadlineMs);
}

#include "moc_MpvEngine.cpp"
