// SPDX-License-Identifier: GPL-3.0-or-later
// A video file plays its sound only: the engine opens no window of its own
// (checked on a real X server), and a file with pictures but no sound counts
// as not opened (the engine ends such a file before it is loaded).

#include "MediaFiles.h"
#include "engine/MpvEngine.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <xcb/xcb.h>

namespace {

// Every window under the root, at any depth.
int windowCount(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree)
        return 0;
    int count = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
        count += 1 + windowCount(connection, children[i]);
    free(tree);
    return count;
}

} // namespace

class TestNoVideo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void videoPlaysSoundOnlyWithoutAWindow()
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY2(x11, "needs the xcb platform");
        xcb_connection_t *connection = x11->connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const int before = windowCount(connection, root);

        MpvEngine mp;  // the program's own audio output list, falling back to none
        openNow(mp, mediaFile("video.mp4"));
        QCOMPARE(mp.PlayState(), MediaPlayer::Stopped);
        QVERIFY(std::abs(mp.Duration() - 3.0) < 0.1);
        mp.Play();
        QVERIFY(QTest::qWaitFor([&] { return mp.CurrentPosition() > 0.5; }, 3000));
        QCOMPARE(windowCount(connection, root), before);
        mp.setCurrentPosition(2.9);
        QVERIFY(QTest::qWaitFor([&] { return mp.PlayState() == MediaPlayer::Stopped; }, 3000));
        QCOMPARE(windowCount(connection, root), before);
    }

    void picturesWithoutSoundAreNotOpened()
    {
        MpvEngine mp(QByteArrayLiteral("null"));
        QSignalSpy failed(&mp, &MpvEngine::openFailed);
        openNow(mp, mediaFile("silent-video.mp4"));
        QCOMPARE(mp.PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp.Duration(), 0.0);
        QCOMPARE(failed.count(), 1);
        QVERIFY(!failed.at(0).at(0).toString().isEmpty());
        openNow(mp, mediaFile("short.wav"));
        QCOMPARE(mp.PlayState(), MediaPlayer::Stopped);
    }
};

QTEST_MAIN(TestNoVideo)
#include "test_novideo.moc"
