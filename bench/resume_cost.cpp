// SPDX-License-Identifier: GPL-3.0-or-later
// What resuming costs: (a) reading a store of places with 1,000 files, as
// start-up does; (b) opening a file and playing it from a remembered place,
// against opening it and playing from the start: open() and play() at once,
// to the first position pushed while playing 50 ms past where it started.
//
//   bench_resume MEDIA_FOLDER [RUNS]
//
// MEDIA_FOLDER holds tone.wav and short.wav (tests/media/make_media.sh).
#include "BenchStats.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "engine/Resumer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double Place = 12;
constexpr int GiveUpMs = 10000;

// open() and play() -> playing 50 ms past `from`; -1 when it did not.
double openToPlaying(Player &player, const QString &path, double from)
{
    QEventLoop loop;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    double ms = -1;
    BenchClock::time_point start;
    const auto moved = QObject::connect(&player, &Player::positionMoved, [&](double seconds) {
        if (ms < 0 && player.isPlaying() && seconds >= from + 0.05) {
            ms = millisecondsSince(start);
            loop.quit();
        }
    });
    QTimer::singleShot(0, &loop, [&] {
        start = BenchClock::now();
        player.open(path);
        player.play();
    });
    giveUp.start(GiveUpMs);
    loop.exec();
    QObject::disconnect(moved);
    return ms;
}

void openAndWait(Player &player, const QString &path)
{
    player.open(path);
    QEventLoop loop;
    QTimer::singleShot(GiveUpMs, &loop, &QEventLoop::quit);
    const auto done = QObject::connect(&player, &Player::fileChanged, &loop, &QEventLoop::quit);
    if (player.isOpening())
        loop.exec();
    QObject::disconnect(done);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QDir media(QString::fromLocal8Bit(argv[1]));
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const QString tone = media.absoluteFilePath(QStringLiteral("tone.wav"));
    const QString other = media.absoluteFilePath(QStringLiteral("short.wav"));
    const std::optional<FileIdentity> toneFile = FileIdentity::of(QFile::encodeName(tone));
    if (!toneFile) {
        std::fprintf(stderr, "no %s\n", qPrintable(tone));
        return 2;
    }
    QTemporaryDir dir;

    // (a) A full store: 1,000 files with long names.
    const QString full = dir.filePath(QStringLiteral("full"));
    {
        ResumeStore store(full);
        for (int i = 0; i < ResumeStore::MaxFiles; ++i) {
            const QByteArray name = "/home/typist/Dictations/2024/Clinic " + QByteArray::number(i) + "/letter.mp3";
            store.keep({name, 1000000 + i, 1700000000000000000LL + i}, 60.5 + i);
        }
        store.finishWrites();
    }
    std::vector<double> loads;
    size_t read = 0;
    for (int i = 0; i < std::max(runs, 50); ++i) {
        const auto start = BenchClock::now();
        const ResumeStore store(full);
        loads.push_back(millisecondsSince(start));
        read = store.entries().size();
    }
    std::printf("store of places: %zu files, %lld bytes\n", read, qlonglong(QFile(full).size()));
    printRow("(a) start-up: reading the store", loads);

    // (b) Playing from a remembered place, and from the start.
    Player player(std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 3.0; });
    Resumer resumer(player, std::make_unique<ResumeStore>(dir.filePath(QStringLiteral("places"))));
    std::vector<double> fromPlace, fromStart;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        for (const bool resume : {true, false}) {
            openAndWait(player, other);
            resumer.store().keep(*toneFile, resume ? Place : 0);
            const double ms = openToPlaying(player, tone, resume ? Place : 0);
            if (ms < 0)
                ++failed;
            else
                (resume ? fromPlace : fromStart).push_back(ms);
            player.stop();
        }
    }
    std::printf("open() and play() -> playing 50 ms on, %d runs each (%d did not play)\n", runs, failed);
    printRow("(b) from a remembered place (12 s)", fromPlace);
    printRow("    from the start", fromStart);
    const double start = percentile(fromStart, 0.5);
    std::printf("  ratio of the medians, place / start: %.2f\n", start > 0 ? percentile(fromPlace, 0.5) / start : 0.0);
    return failed == 0 ? 0 : 1;
}
