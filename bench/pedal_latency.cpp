// SPDX-License-Identifier: GPL-3.0-or-later
// Latency of the foot pedals: from a pedal report arriving on the device
// node until the engine acts, beside the engine-only floor (the same engine
// command made directly, no pedal). The reports come through a packet socket
// pair, as the raw HID node gives them, into the real reader, the pedals'
// actions, the player and the engine (libmpv, null audio); a second client
// on the engine's own libmpv handle sees when libmpv acts. The middle pedal
// is timed by each way a pedal is read: by the model table, by a taught
// layout, and as a pedal that types keys (input events through a pipe).
//
//   middle pedal  report -> playing (libmpv's core-idle goes false)
//   left pedal    report -> playing from one wind step back (playback restart)
//                 and -> the player has announced the new position
//
//   bench_pedals MEDIA_DIR [SAMPLES]
// MEDIA_DIR holds speech.mp3 (tests/media/make_media.sh writes it).

#include "BenchStats.h"
#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "rules/KeyPedalModels.h"
#include "rules/PedalTeaching.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"

#include <QDeadlineTimer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mpv/client.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int TimeoutMs = 3000;
constexpr int PlayBetweenMs = 40;

void runEventsFor(int ms)
{
    const auto start = BenchClock::now();
    while (millisecondsSince(start) < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs the GUI thread's events until libmpv tells the observer what `done`
// looks for; the ms from `start`, or -1.
double waitFor(mpv_handle *observer, BenchClock::time_point start, const std::function<bool(const mpv_event &)> &done)
{
    while (millisecondsSince(start) < TimeoutMs) {
        QCoreApplication::processEvents();
        const mpv_event *event = mpv_wait_event(observer, 0);
        if (event->event_id != MPV_EVENT_NONE && done(*event))
            return millisecondsSince(start);
    }
    return -1;
}

bool coreIdleIs(const mpv_event &event, bool idle)
{
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE)
        return false;
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    return std::strcmp(property->name, "core-idle") == 0 && property->format == MPV_FORMAT_FLAG
           && *static_cast<int *>(property->data) == int(idle);
}

bool restarted(const mpv_event &event)
{
    return event.event_id == MPV_EVENT_PLAYBACK_RESTART;
}

void drain(mpv_handle *observer)
{
    QCoreApplication::processEvents();
    while (mpv_wait_event(observer, 0)->event_id != MPV_EVENT_NONE) {}
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR [SAMPLES]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString file = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath("speech.mp3");
    const int samples = argc > 2 ? std::max(10, std::atoi(argv[2])) : 100;
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "missing %s\n", qPrintable(file));
        return 2;
    }

    auto ownEngine = std::make_unique<MpvEngine>(QByteArrayLiteral("null"));
    MpvEngine &engine = *ownEngine;
    Player player(std::move(ownEngine), [] { return 1.0; });
    PedalMonitor monitor;
    PedalActions pedals(player);
    PedalSettings settings;
    settings.autoRewindSeconds = 0; // the release then only pauses
    pedals.setSettings(settings);
    pedals.listenTo(monitor);
    // One device for each way a pedal is read: a raw HID pedal by the model
    // table, one by a taught layout, and a pedal that types keys (Ctrl+Alt+5
    // for its middle pedal).
    int table[2], taught[2], keys[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, table) != 0
        || socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, taught) != 0
        || ::pipe2(keys, O_NONBLOCK | O_CLOEXEC) != 0)
        return 1;
    monitor.addDevice(table[0], PedalModels[0], QStringLiteral("table"));
    const PedalModel taughtModel = ::taughtModel({0x1234, 0x5678, false, {8, 9, 10, -1}}, nullptr);
    monitor.addDevice(taught[0], taughtModel, QStringLiteral("taught"));
    monitor.addKeyDevice(keys[0], KeyPedalModels[0], QStringLiteral("keys"));
    const auto report = [&](char bits) {
        const char bytes[2] = {bits, 0};
        return ::write(table[1], bytes, 2) == 2;
    };
    const auto key = [&](int code, int value) {
        input_event event{};
        event.type = EV_KEY;
        event.code = std::uint16_t(code);
        event.value = value;
        return ::write(keys[1], &event, sizeof event) == ssize_t(sizeof event);
    };
    enum Path { Table, Taught, Keys };
    const auto middle = [&](Path path, bool down) {
        switch (path) {
        case Table: return report(down ? 2 : 0);
        case Taught: {
            const char bytes[2] = {0, char(down ? 2 : 0)};
            return ::write(taught[1], bytes, 2) == 2;
        }
        case Keys:
            return down ? key(KEY_LEFTCTRL, 1) && key(KEY_LEFTALT, 1) && key(KEY_5, 1)
                        : key(KEY_5, 0) && key(KEY_LEFTALT, 0) && key(KEY_LEFTCTRL, 0);
        }
        return false;
    };

    player.open(file);
    QDeadlineTimer opening(5000);
    while (engine.Opening() && !opening.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!player.hasFile()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(file));
        return 1;
    }
    mpv_handle *observer = mpv_create_weak_client(engine.handle(), "bench");
    mpv_observe_property(observer, 0, "core-idle", MPV_FORMAT_FLAG);

    std::vector<double> pedalPlay, taughtPlay, keyPlay, floorPlay, pedalRestart, floorRestart, pedalTold;
    int timeouts = 0;
    const auto keep = [&](std::vector<double> &into, double ms) { ms < 0 ? ++timeouts : (into.push_back(ms), 0); };

    // Middle pedal by each path against Play, in turns so all see the same load.
    for (int i = 0; i < samples; ++i) {
        player.jumpTo(5 + i % 20);
        runEventsFor(PlayBetweenMs);
        for (const int way : {int(Table), int(Taught), int(Keys), -1}) {
            drain(observer);
            const auto start = BenchClock::now();
            way < 0 ? engine.Play() : (void)middle(Path(way), true);
            std::vector<double> &into = way == Table ? pedalPlay : way == Taught ? taughtPlay : way == Keys ? keyPlay : floorPlay;
            keep(into, waitFor(observer, start, [](const mpv_event &e) { return coreIdleIs(e, false); }));
            runEventsFor(PlayBetweenMs);
            way < 0 ? engine.Pause() : (void)middle(Path(way), false);
            waitFor(observer, BenchClock::now(), [](const mpv_event &e) { return coreIdleIs(e, true); });
        }
    }

    // Left pedal against a wind written to the engine, while playing.
    engine.Play();
    runEventsFor(PlayBetweenMs);
    bool told = false;
    BenchClock::time_point pressedAt;
    double toldMs = -1;
    QObject::connect(&player, &Player::positionChanged, [&] {
        if (!told)
            toldMs = millisecondsSince(pressedAt);
        told = true;
    });
    for (int i = 0; i < samples; ++i) {
        for (const bool viaPedal : {true, false}) {
            if (player.position() < 5 || player.position() > 30) {
                player.jumpTo(20);
                waitFor(observer, BenchClock::now(), restarted);
            }
            runEventsFor(PlayBetweenMs);
            drain(observer);
            told = false;
            pressedAt = BenchClock::now();
            viaPedal ? (void)report(1) : engine.setCurrentPosition(engine.CurrentPosition() - 1);
            keep(viaPedal ? pedalRestart : floorRestart, waitFor(observer, pressedAt, restarted));
            if (viaPedal) {
                keep(pedalTold, told ? toldMs : -1);
                report(0);
            }
        }
    }
    engine.Pause();

    std::printf("pedal latency, %d samples each, %s (ao=null), reports through a socket pair, keys through a pipe\n",
                samples, qPrintable(QFileInfo(file).fileName()));
    std::printf("middle pedal report -> playing (libmpv core-idle off):\n");
    printRow("pedal by the model table", pedalPlay);
    printRow("pedal by a taught layout", taughtPlay);
    printRow("pedal that types keys (Ctrl+Alt+5)", keyPlay);
    printRow("engine Play() alone (floor)", floorPlay);
    std::printf("left pedal report -> playing from one step back (playback restart):\n");
    printRow("pedal (reader, actions, player, engine)", pedalRestart);
    printRow("engine position write alone (floor)", floorRestart);
    printRow("pedal -> player announced the position", pedalTold);
    std::printf("  p95 above the floor: middle %+.3f ms (taught %+.3f ms, keys %+.3f ms), left %+.3f ms\n",
                percentile(pedalPlay, 0.95) - percentile(floorPlay, 0.95),
                percentile(taughtPlay, 0.95) - percentile(floorPlay, 0.95),
                percentile(keyPlay, 0.95) - percentile(floorPlay, 0.95),
                percentile(pedalRestart, 0.95) - percentile(floorRestart, 0.95));
    mpv_destroy(observer);
    if (timeouts)
        std::printf("timed out: %d\n", timeouts);
    return timeouts ? 1 : 0;
}
