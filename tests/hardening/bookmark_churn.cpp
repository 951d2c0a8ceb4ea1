// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the bookmark buttons' real handlers (Set, Clear, Clear All) on one
// bookmark file as fast as it can, forever, announcing each operation on
// stdout before it starts ("S value", "C chosen", "A") and after it ends
// ("D"), so that whoever kills it knows what the file may hold.
//   bookmark_churn BOOKMARK_FILE SEED
#include "ui/BookmarkList.h"
#include "engine/MediaPlayer.h"
#include "rules/NumberText.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

namespace {

class StillPlayer final : public MediaPlayer
{
public:
    double position = 0;
    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double s) override { position = s; }
    double Duration() const override { return 600; }
    double Rate() const override { return 1; }
    void setRate(double) override {}
    ::PlayState PlayState() const override { return Stopped; }
    void Play() override {}
    void Pause() override {}
    void Stop() override {}
    void Open(const FilePath &) override {}
};

void say(const QByteArray &line)
{
    const QByteArray l = line + '\n';
    if (write(STDOUT_FILENO, l.constData(), size_t(l.size())) != l.size())
        _exit(2);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bookmark_churn BOOKMARK_FILE SEED\n");
        return 64;
    }
    const QString bookmarkPath = QString::fromLocal8Bit(argv[1]);
    QRandomGenerator rng(quint32(QByteArray(argv[2]).toUInt()));
    // Clear All's question is answered Yes; any other box is a failure here.
    SetMessageHandler([](const QString &prompt, int, const QString &) {
        if (prompt.startsWith(QLatin1String("Are you sure")))
            return MessageAnswer::Yes;
        if (prompt == QLatin1String("No Bookmarks found!") || prompt == QLatin1String("No Bookmarks Found!"))
            return MessageAnswer::OK;
        std::fprintf(stderr, "bookmark_churn: unexpected message: %s\n", qPrintable(prompt));
        _exit(1);
    });

    QComboBox list;
    StillPlayer player;
    BookmarkList(&list, bookmarkPath).init();
    say("R");   // ready: the file as it was is now the starting point
    for (;;) {
        const quint32 dice = rng.bounded(10u);
        if (dice < 6) {
            player.position = rng.bounded(600000) / 1000.0;
            say("S " + QByteArray::number(RoundHalfEven2(player.position), 'g', 17));
            BookmarkList(&list, bookmarkPath).set(player);
        } else if (dice < 9) {
            say("C " + list.currentText().toLatin1());
            BookmarkList(&list, bookmarkPath).clear();
        } else {
            if (list.count() == 0)
                continue;   // Clear All refuses at once without touching the file
            say("A");
            BookmarkList(&list, bookmarkPath).clearAll();
        }
        say("D");
    }
}
