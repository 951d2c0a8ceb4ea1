// SPDX-License-Identifier: GPL-3.0-or-later
// What keeping every slider rate audible costs: process CPU time while
// libmpv plays speech at a range of rates, with the engine's filter setting
// (scaletempo2, min-speed 0.001: audible down to 0.001x) and with
// scaletempo2's defaults (muted below 0.25x).
//
//   bench_tempo_cost MEDIA_DIR [MS_PER_RATE]

#include "BenchStats.h"
#include "engine/MpvEngine.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <mpv/client.h>
#include <sys/resource.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

double cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// CPU share (percent of one core) while playing at `rate` for `ms`.
double cpuShare(const QByteArray &path, const char *filter, double rate, int ms)
{
    mpv_handle *mpv = mpv_create();
    MpvEngine::configure(mpv, "null");
    mpv_set_option_string(mpv, "af", filter);
    mpv_set_option(mpv, "speed", MPV_FORMAT_DOUBLE, &rate);
    mpv_initialize(mpv);
    const char *load[] = {"loadfile", path.constData(), nullptr};
    mpv_command(mpv, load);
    while (mpv_wait_event(mpv, 5)->event_id != MPV_EVENT_FILE_LOADED) {}
    int playing = 0;
    mpv_set_property(mpv, "pause", MPV_FORMAT_FLAG, &playing);
    while (mpv_wait_event(mpv, 5)->event_id != MPV_EVENT_PLAYBACK_RESTART) {}
    const double cpuStart = cpuMilliseconds();
    const auto start = BenchClock::now();
    while (millisecondsSince(start) < ms)
        mpv_wait_event(mpv, (ms - millisecondsSince(start)) / 1000.0);
    const double share = 100.0 * (cpuMilliseconds() - cpuStart) / millisecondsSince(start);
    mpv_terminate_destroy(mpv);
    return share;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR [MS_PER_RATE]\n", argv[0]);
        return 2;
    }
    std::setlocale(LC_NUMERIC, "C");
    const QString file = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath("speech.mp3");
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "missing %s\n", qPrintable(file));
        return 2;
    }
    const int ms = argc > 2 ? std::max(200, std::atoi(argv[2])) : 1500;
    const QByteArray path = QFile::encodeName(file);

    std::printf("CPU while playing speech.mp3 (ao=null), percent of one core, %d ms per rate\n", ms);
    std::printf("  %8s  %26s  %26s\n", "rate", "scaletempo2 min-speed=0.001", "scaletempo2 defaults");
    for (const double rate : {0.01, 0.05, 0.1, 0.2, 0.5, 1.0, 1.5, 1.999}) {
        const double ours = cpuShare(path, "scaletempo2=min-speed=0.001", rate, ms);
        const double defaults = cpuShare(path, "scaletempo2", rate, ms);
        std::printf("  %8.3f  %25.2f%%  %25.2f%%%s\n", rate, ours, defaults, rate < 0.25 ? "  (defaults: muted)" : "");
    }
    return 0;
}
