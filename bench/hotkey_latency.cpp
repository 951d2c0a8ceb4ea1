// SPDX-License-Identifier: GPL-3.0-or-later
// Hot-key latency: from a key release injected with XTEST to the new position
// in the media engine, beside the engine's own seek time as the floor.
//
//   bench/hotkey_latency.sh [PRESSES]   (or: xvfb-run -a build/bench/bench_hotkeys MEDIA_FILE [PRESSES])
//
// The file plays (null audio) while Fast Forward and Fast Rewind alternate;
// each press is injected untimed, each release is timed until
//   written:   the hot keys have written the new position to the engine
//   restarted: the engine has restarted playback at the new position
// The floor times the engine's own setCurrentPosition to its restart.
#include "BenchStats.h"
#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "engine/Player.h"
#include "rules/KeyAssignments.h"
#include "engine/MpvEngine.h"
#include "ui/Startup.h"

#include <QDeadlineTimer>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {

QElapsedTimer clock_;
qint64 writtenAt = 0;

// The bar's engine, stamping the moment the hot keys' write has returned.
class TimedEngine final : public MediaPlayer
{
public:
    explicit TimedEngine(MpvEngine &mp) : mp(mp) {}

    double CurrentPosition() const override { return mp.CurrentPosition(); }
    void setCurrentPosition(double s) override
    {
        mp.setCurrentPosition(s);
        writtenAt = clock_.nsecsElapsed();
    }
    double Duration() const override { return mp.Duration(); }
    double Rate() const override { return mp.Rate(); }
    void setRate(double r) override { mp.setRate(r); }
    ::PlayState PlayState() const override { return mp.PlayState(); }
    void Play() override { mp.Play(); }
    void Pause() override { mp.Pause(); }
    void Stop() override { mp.Stop(); }
    void Open(const FilePath &p) override { mp.Open(p); }

private:
    MpvEngine &mp;
};

// Runs the event loop until `done` or 2 s have passed.
template <typename Done> bool waitFor(Done done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 2000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2 || !QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: bench_hotkeys MEDIA_FILE [PRESSES]\n");
        return 2;
    }
    const int presses = argc > 2 ? std::max(10, std::atoi(argv[2])) : 200;

    MpvEngine mp(QByteArrayLiteral("null"));
    mp.Open(QString::fromLocal8Bit(argv[1]));
    QDeadlineTimer opening(5000);
    while (mp.Opening() && !opening.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (mp.PlayState() == MediaPlayer::NoFile) {
        std::fprintf(stderr, "bench_hotkeys: cannot open %s\n", argv[1]);
        return 1;
    }
    const double duration = mp.Duration();
    mp.Play();
    qint64 restartedAt = 0;
    QObject::connect(&mp, &MpvEngine::playbackRestarted, [&] { restartedAt = clock_.nsecsElapsed(); });

    TimedEngine engine(mp);
    Player player(engine, [] { return 3.0; }); // the default wind count's step
    HotKeys hotKeys(player);
    hotKeys.setBindings({FunctionKey::F4, FunctionKey::F5, FunctionKey::F6, FunctionKey::F8});
    GlobalHotKeys globalHotKeys;
    globalHotKeys.takeKeys(&hotKeys);

    xcb_connection_t *injector = xcb_connect(nullptr, nullptr);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(injector);
    auto keycode = [&](xcb_keysym_t sym) {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    };
    const xcb_keycode_t f5 = keycode(0xffc2), f8 = keycode(0xffc5);
    auto inject = [&](uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(injector, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(injector);
    };
    clock_.start();

    std::vector<double> written, restarted, floorWritten, floorRestarted;
    auto ms = [](qint64 ns) { return double(ns) / 1e6; };
    int lost = 0;
    auto keepClearOfTheEnds = [&] {
        if (mp.CurrentPosition() > duration - 8 || mp.CurrentPosition() < 5) {
            restartedAt = 0;
            mp.setCurrentPosition(duration / 2);
            waitFor([&] { return restartedAt != 0; });
        }
    };
    for (int i = 0; i < presses; ++i) {
        keepClearOfTheEnds();
        const bool forward = i % 2 == 0;
        auto counter = [&] { return forward ? hotKeys.counts().forward : hotKeys.counts().rewind; };
        const xcb_keycode_t key = forward ? f8 : f5;
        inject(XCB_KEY_PRESS, key);
        if (!waitFor([&] { return counter() == 1; })) {
            ++lost;
            hotKeys.setCounts({});
            continue;
        }
        QCoreApplication::processEvents();
        writtenAt = restartedAt = 0;
        const qint64 t0 = clock_.nsecsElapsed();
        inject(XCB_KEY_RELEASE, key);
        if (!waitFor([&] { return writtenAt != 0 && restartedAt > writtenAt; })) {
            ++lost;
            hotKeys.setCounts({});
            continue;
        }
        written.push_back(ms(writtenAt - t0));
        restarted.push_back(ms(restartedAt - t0));
    }

    for (int i = 0; i < presses; ++i) {
        keepClearOfTheEnds();
        const double target = mp.CurrentPosition() + (i % 2 == 0 ? 3 : -3);
        restartedAt = 0;
        const qint64 t0 = clock_.nsecsElapsed();
        mp.setCurrentPosition(target);
        const qint64 t1 = clock_.nsecsElapsed();
        if (!waitFor([&] { return restartedAt != 0; }))
            continue;
        floorWritten.push_back(ms(t1 - t0));
        floorRestarted.push_back(ms(restartedAt - t0));
    }
    globalHotKeys.releaseKeys();
    xcb_key_symbols_free(symbols);
    xcb_disconnect(injector);

    if (written.empty() || floorRestarted.empty()) {
        std::fprintf(stderr, "bench_hotkeys: no measurement (hot keys not grabbed?)\n");
        return 1;
    }
    std::printf("hot-key latency, %zu timed key releases (%d lost) while playing (ao=null)\n", written.size(), lost);
    printRow("XTEST release -> position written to the engine", written);
    printRow("XTEST release -> engine plays from there", restarted);
    std::printf("engine-only floor, the same seeks without a key:\n");
    printRow("engine write -> returned", floorWritten);
    printRow("engine write -> engine plays from there", floorRestarted);
    return lost ? 1 : 0;
}
