// SPDX-License-Identifier: GPL-3.0-or-later
// The longest time the GUI thread stops answering while the player opens a
// file: a 10-hour recording, and a file on a share whose names take seconds
// to answer (a slowfs mount, tests/hardening/slowfs.c). The event loop runs a
// 1 ms timer throughout; a stall is the longest gap between its turns, from
// the open to 300 ms after the player said it opened or failed.
//
//   bench_open_stall LONG_FILE SLOW_FOLDER [RUNS [SLOW_MS]]
//
// Each slow run opens a new name in SLOW_FOLDER, so each one waits for its
// first answer (SLOW_MS, as the mount was given; default 5000). A
// SLOW_FOLDER of "-" leaves the slow share out (no FUSE). Only the player's public commands and signals are used.
#include "BenchStats.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int AfterOutcomeMs = 300;
constexpr int GiveUpMs = 20000;

struct Opening
{
    double stallMs = 0;   // longest gap between two turns of the event loop
    double outcomeMs = -1; // open() called -> opened or failed (-1: neither)
    bool opened = false;
};

// Opens `path` from inside the event loop and watches the loop's turns.
Opening openAndWatch(Player &player, const QString &path)
{
    Opening result;
    QEventLoop loop;
    QElapsedTimer since, clock;
    QTimer tick, end;
    tick.setInterval(1);
    end.setSingleShot(true);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        result.stallMs = std::max(result.stallMs, double(since.nsecsElapsed()) / 1e6);
        since.restart();
    });
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto outcome = [&](bool opened) {
        if (result.outcomeMs >= 0)
            return;
        result.outcomeMs = double(clock.nsecsElapsed()) / 1e6;
        result.opened = opened;
        end.start(AfterOutcomeMs);
    };
    const auto changed = QObject::connect(&player, &Player::fileChanged, [&](const QString &, bool opened) {
        if (opened)
            outcome(true);
    });
    const auto failed = QObject::connect(&player, &Player::openFailed, [&] { outcome(false); });
    QTimer::singleShot(0, &loop, [&] {
        clock.start();
        player.open(path);
    });
    end.start(GiveUpMs);
    since.start();
    tick.start();
    loop.exec();
    QObject::disconnect(changed);
    QObject::disconnect(failed);
    return result;
}

// The machine's own noise: the longest gap over `ms` with nothing to do.
double idleStall(int ms)
{
    return LongestEventLoopPause(ms);
}

void report(const char *what, const std::vector<Opening> &runs)
{
    std::vector<double> stalls, outcomes;
    int opened = 0;
    for (const Opening &o : runs) {
        stalls.push_back(o.stallMs);
        if (o.outcomeMs >= 0)
            outcomes.push_back(o.outcomeMs);
        opened += o.opened;
    }
    std::printf("%s: %d of %zu opened, %zu failed, %zu without an answer\n", what, opened, runs.size(),
                outcomes.size() - opened, runs.size() - outcomes.size());
    printRow("longest GUI-thread stall", stalls);
    printRow("open() -> opened or failed", outcomes);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s LONG_FILE SLOW_FOLDER [RUNS [SLOW_MS]]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString longFile = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QDir slowFolder(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const int slowMs = argc > 4 ? std::max(0, std::atoi(argv[4])) : 5000;

    Player player(std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 3.0; });

    std::printf("GUI-thread stalls while a file opens, %d runs each (1 ms timer)\n", runs);
    std::vector<double> noise;
    for (int i = 0; i < runs; ++i)
        noise.push_back(idleStall(1000));
    printRow("longest gap over 1 s, nothing opening", noise);

    // The first open also starts the engine.
    const Opening first = openAndWatch(player, longFile);
    report("first open of the 10-hour file (the engine starts)", {first});

    std::vector<Opening> longRuns;
    for (int i = 0; i < runs; ++i)
        longRuns.push_back(openAndWatch(player, longFile));
    report("10-hour file", longRuns);

    std::vector<Opening> slowRuns;
    for (int i = 0; i < runs && argv[2] != QByteArrayLiteral("-"); ++i) {
        const QString name = slowFolder.filePath(QStringLiteral("run-%1-%2.mp3").arg(QCoreApplication::applicationPid()).arg(i));
        slowRuns.push_back(openAndWatch(player, name));
        // Whatever still waits on the share from this run answers before the next.
        idleStall(std::max(0, slowMs - int(slowRuns.back().outcomeMs)) + 100);
    }
    const QByteArray slowTitle = "file on a path that answers after " + QByteArray::number(slowMs) + " ms";
    if (!slowRuns.empty())
        report(slowTitle.constData(), slowRuns);
    const bool allOpened = std::all_of(longRuns.begin(), longRuns.end(), [](const Opening &o) { return o.opened; });
    return allOpened ? 0 : 1;
}
