// SPDX-License-Identifier: GPL-3.0-or-later
// Latency of a position write as the user perceives it: from the write until
// the engine plays from the target (libmpv's playback restart after the seek,
// seen by a second client on the engine's own core), for the engine as the
// bar has it (owned by the player, under the seek bar) and, in the same run,
// for the plain libmpv client API doing the same seeks on the same file with
// the same options (the floor). Also the time until the engine's GUI thread
// has been told, and until a read gives the written position.
//
//   bench_seek_latency MEDIA_DIR [SEEKS]
// MEDIA_DIR holds speech.mp3 (tests/media/make_media.sh writes it).

#include "BenchStats.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "ui/SeekBar.h"

#include <QDeadlineTimer>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <mpv/client.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr int PlayBetweenSeeksMs = 40;
constexpr int RestartTimeoutMs = 3000;

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The floor: libmpv driven directly.
class RawPlayer
{
public:
    explicit RawPlayer(const QByteArray &path)
    {
        m_mpv = mpv_create();
        MpvEngine::configure(m_mpv, "null");
        mpv_initialize(m_mpv);
        const char *load[] = {"loadfile", path.constData(), nullptr};
        mpv_command(m_mpv, load);
        waitFor(MPV_EVENT_FILE_LOADED);
        mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &m_duration);
    }
    ~RawPlayer() { mpv_terminate_destroy(m_mpv); }

    double duration() const { return m_duration; }

    void setPause(bool pause)
    {
        int flag = pause;
        mpv_set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &flag);
    }

    void playFor(int ms)
    {
        const auto start = BenchClock::now();
        while (millisecondsSince(start) < ms)
            mpv_wait_event(m_mpv, (ms - millisecondsSince(start)) / 1000.0);
    }

    // Seeks and returns the ms until a read gives the target (pollRead) or
    // until the restart; polling the position would slow the restart down,
    // so each seek measures one of the two.
    double seek(double target, bool pollRead)
    {
        while (mpv_wait_event(m_mpv, 0)->event_id != MPV_EVENT_NONE) {}
        const QByteArray text = QByteArray::number(target, 'f', 6);
        const char *command[] = {"seek", text.constData(), "absolute+exact", nullptr};
        const auto start = BenchClock::now();
        mpv_command(m_mpv, command);
        double position = -1;
        while (pollRead && millisecondsSince(start) < RestartTimeoutMs) {
            if (mpv_get_property(m_mpv, "time-pos", MPV_FORMAT_DOUBLE, &position) >= 0
                && std::abs(position - target) < 0.05)
                return millisecondsSince(start);
        }
        return pollRead ? -1 : waitFor(MPV_EVENT_PLAYBACK_RESTART, start);
    }

private:
    double waitFor(mpv_event_id id, BenchClock::time_point start = BenchClock::now())
    {
        while (millisecondsSince(start) < RestartTimeoutMs) {
            if (mpv_wait_event(m_mpv, 1)->event_id == id)
                return millisecondsSince(start);
        }
        return -1;
    }

    mpv_handle *m_mpv;
    double m_duration = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR [SEEKS]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString file = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath("speech.mp3");
    const int seeks = argc > 2 ? std::max(10, std::atoi(argv[2])) : 100;
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "missing %s\n", qPrintable(file));
        return 2;
    }

    auto ownEngine = std::make_unique<MpvEngine>(QByteArrayLiteral("null"));
    MpvEngine &mp = *ownEngine;
    Player player(std::move(ownEngine), [] { return 3.0; });
    SeekBar seekBar(player);
    seekBar.show();
    mp.Open(file);
    QDeadlineTimer opening(5000);
    while (mp.Opening() && !opening.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (mp.PlayState() == MediaPlayer::NoFile) {
        std::fprintf(stderr, "the engine could not open %s\n", qPrintable(file));
        return 1;
    }
    // Sees the engine's events without taking them from it.
    mpv_handle *observer = mpv_create_weak_client(mp.handle(), "bench");
    RawPlayer raw(QFile::encodeName(file));

    std::mt19937 random(2026);
    std::uniform_real_distribution<double> targets(1.0, std::min(mp.Duration(), raw.duration()) - 3.0);
    std::vector<double> mpRestart, mpTold, mpRead, rawRestart, rawRead;
    int mpTimeouts = 0, rawTimeouts = 0;

    // Alternate in blocks so that both see the same machine load; only one
    // of them plays at a time.
    const int block = 10;
    for (int done = 0; done < seeks; done += block) {
        const int n = std::min(block, seeks - done);
        std::vector<double> blockTargets;
        for (int i = 0; i < n; ++i)
            blockTargets.push_back(targets(random));

        raw.setPause(false);
        raw.playFor(PlayBetweenSeeksMs);
        for (const bool pollRead : {false, true}) {
            for (const double target : blockTargets) {
                const double ms = raw.seek(target, pollRead);
                if (ms < 0)
                    ++rawTimeouts;
                else
                    (pollRead ? rawRead : rawRestart).push_back(ms);
                raw.playFor(PlayBetweenSeeksMs);
            }
        }
        raw.setPause(true);

        mp.Play();
        runEventsFor(PlayBetweenSeeksMs);
        for (const double target : blockTargets) {
            while (mpv_wait_event(observer, 0)->event_id != MPV_EVENT_NONE) {}
            bool restarted = false;
            QEventLoop loop;
            const auto connection = QObject::connect(&mp, &MpvEngine::playbackRestarted, &loop, [&] {
                restarted = true;
                loop.quit();
            });
            const auto start = BenchClock::now();
            mp.setCurrentPosition(target);
            const bool readsTarget = mp.CurrentPosition() == target;
            const double read = millisecondsSince(start);
            double restart = -1;
            while (restart < 0 && millisecondsSince(start) < RestartTimeoutMs) {
                if (mpv_wait_event(observer, 1)->event_id == MPV_EVENT_PLAYBACK_RESTART)
                    restart = millisecondsSince(start);
            }
            QTimer::singleShot(RestartTimeoutMs, &loop, &QEventLoop::quit);
            if (!restarted)
                loop.exec();
            const double told = millisecondsSince(start);
            QObject::disconnect(connection);
            if (!restarted || !readsTarget || restart < 0) {
                ++mpTimeouts;
            } else {
                mpRead.push_back(read);
                mpRestart.push_back(restart);
                mpTold.push_back(told);
            }
            runEventsFor(PlayBetweenSeeksMs);
        }
        mp.Pause();
    }

    std::printf("seek latency, %d seeks while playing %s (ao=null, hr-seek)\n", seeks, qPrintable(QFileInfo(file).fileName()));
    std::printf("write -> playing from the target (playback restart):\n");
    printRow("engine (MpvEngine)", mpRestart);
    printRow("plain libmpv client API (floor)", rawRestart);
    std::printf("  ratio engine/floor: median %.2f, p95 %.2f\n",
                percentile(mpRestart, 0.5) / percentile(rawRestart, 0.5),
                percentile(mpRestart, 0.95) / percentile(rawRestart, 0.95));
    printRow("engine's GUI thread told (playbackRestarted)", mpTold);
    std::printf("write -> a read gives the target (within 50 ms):\n");
    printRow("engine (MpvEngine)", mpRead);
    printRow("plain libmpv client API (floor)", rawRead);
    mpv_destroy(observer);
    if (mpTimeouts || rawTimeouts)
        std::printf("failed seeks: engine %d, floor %d\n", mpTimeouts, rawTimeouts);
    return mpTimeouts || rawTimeouts ? 1 : 0;
}
