// Figures for the bookmark list with many values: start-up load, Set and
// Clear, each reading and rewriting the whole file and refilling the list.
//   build/bench/bench_bookmarks
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/BookmarkList.h"
#include "playback/MediaPlayer.h"
#include "shell/MessageBox.h"
#include "shell/Module1.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
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
    int PlayState() const override { return MediaPlayer::Playing; }
    void Play() override {}
    void Pause() override {}
    void Stop() override {}
    void Open(const QString &) override {}
};

double ms(QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMsgBoxHandler([](const QString &, int, const QString &) { return int(MsgBoxResult::Yes); });
    QTemporaryDir dir;
    BookmarkPath = dir.filePath("bookmark.ini");

    std::printf("%8s %12s %12s %12s %12s\n", "values", "start-up ms", "Set ms", "Clear ms", "Clear All ms");
    for (int count : {100, 1000, 10000, 50000}) {
        QByteArray data;
        for (int i = count; i > 0; --i)
            data += BookmarkSetLine(i * 0.37);
        WriteBookmarkFile(BookmarkPath, data);

        QComboBox list;
        StillPlayer player;
        QElapsedTimer t;
        t.start();
        InitBookmarks(&list);
        const double init = ms(t);

        player.position = 12.345;
        t.restart();
        SetBookmark(&list, player);
        const double set = ms(t);

        t.restart();
        ClearBookmark(&list);
        const double clear = ms(t);

        t.restart();
        ClearAllBookmarks(&list);
        const double clearAll = ms(t);
        std::printf("%8d %12.2f %12.2f %12.2f %12.2f\n", count, init, set, clear, clearAll);
    }
    return 0;
}
