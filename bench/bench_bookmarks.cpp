// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the bookmark list with many values: start-up load, Set and
// Clear, each reading the whole file and refilling the list (Clear also
// rewrites it), then the same on a 50 MB file with the peak memory of each.
//   build/bench/bench_bookmarks
#include "rules/BookmarkFile.h"
#include "ui/BookmarkList.h"
#include "engine/MediaPlayer.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class StillPlayer : public MediaPlayer
{
public:
    double position = 0;
    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double seconds) override { position = seconds; }
    double Duration() const override { return 0; }
    double Rate() const override { return 1; }
    void setRate(double) override {}
    ::PlayState PlayState() const override { return Playing; }
    void Play() override {}
    void Pause() override {}
    void Stop() override {}
    void Open(const FilePath &) override {}
};

double ms(QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// A field of /proc/self/status in MiB (VmRSS now, VmHWM the peak since the
// last resetPeak).
double statusMiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMessageHandler([](const QString &, int, const QString &) { return int(MessageAnswer::Yes); });
    QTemporaryDir dir;
    const QString bookmarkPath = dir.filePath("bookmark.ini");

    std::printf("%8s %12s %12s %12s %12s\n", "values", "start-up ms", "Set ms", "Clear ms", "Clear All ms");
    for (int count : {100, 1000, 10000, 50000}) {
        QByteArray data;
        for (int i = count; i > 0; --i)
            data += BookmarkSetLine(i * 0.37);
        WriteBookmarkFile(bookmarkPath, data);

        QComboBox list;
        StillPlayer player;
        QElapsedTimer t;
        t.start();
        BookmarkList(&list, bookmarkPath).init();
        const double init = ms(t);

        player.position = 12.345;
        t.restart();
        BookmarkList(&list, bookmarkPath).set(player);
        const double set = ms(t);

        t.restart();
        BookmarkList(&list, bookmarkPath).clear();
        const double clear = ms(t);

        t.restart();
        BookmarkList(&list, bookmarkPath).clearAll();
        const double clearAll = ms(t);
        std::printf("%8d %12.2f %12.2f %12.2f %12.2f\n", count, init, set, clear, clearAll);
    }

    // A 50 MB file of numbers: each operation's time and the process's peak
    // memory while it ran, against what it held before.
    {
        QByteArray data;
        data.reserve(51 * 1000 * 1000);
        for (qint64 i = 0; data.size() < 50 * 1000 * 1000; ++i)
            data += BookmarkSetLine(double((i * 7919) % 10000000) / 100);
        const qint64 bytes = data.size();
        const qint64 values = data.count('\n');
        WriteBookmarkFile(bookmarkPath, data);
        data = QByteArray();

        std::printf("\n50 MB file: %lld bytes, %lld values, list limit %lld\n",
                    qlonglong(bytes), qlonglong(values), qlonglong(BookmarkListLimit));
        std::printf("%-10s %10s %14s %14s %8s\n", "operation", "ms", "RSS before MiB", "peak MiB", "items");
        QComboBox list;
        StillPlayer player;
        QElapsedTimer t;
        const auto run = [&](const char *name, const auto &operation) {
            const double before = statusMiB("VmRSS:");
            resetPeak();
            t.restart();
            operation();
            const double took = ms(t);
            std::printf("%-10s %10.1f %14.1f %14.1f %8d\n", name, took, before, statusMiB("VmHWM:"), list.count());
        };
        run("start-up", [&] { BookmarkList(&list, bookmarkPath).init(); });
        player.position = 123456.789;
        run("Set", [&] { BookmarkList(&list, bookmarkPath).set(player); });
        list.setCurrentIndex(1);
        run("Clear", [&] { BookmarkList(&list, bookmarkPath).clear(); });
        run("Clear All", [&] { BookmarkList(&list, bookmarkPath).clearAll(); });
    }
    return 0;
}
