// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt 6 window that creates and initialises libmpv before it shows itself,
// the way a player does that starts its engine up front. Options as a
// player of local audio files would set them: no configuration, no video,
// audio to the desktop's sound server.
//
//   peer_qt_mpv [FILE [SPEED]]
//
// With a file it plays it at once (at SPEED, default 1), as the memory
// benchmark's floor for a Qt player built on libmpv.
#include <QApplication>
#include <QWidget>

#include <mpv/client.h>

#include <clocale>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    mpv_handle *mpv = mpv_create();
    if (!mpv) {
        std::fprintf(stderr, "qt_mpv: mpv_create failed\n");
        return 1;
    }
    mpv_set_option_string(mpv, "config", "no");
    mpv_set_option_string(mpv, "video", "no");
    mpv_set_option_string(mpv, "vo", "null");
    mpv_set_option_string(mpv, "ao", "pipewire,pulse,alsa,null");
    mpv_set_option_string(mpv, "idle", "yes");
    if (argc > 2)
        mpv_set_option_string(mpv, "speed", argv[2]);
    if (mpv_initialize(mpv) < 0) {
        std::fprintf(stderr, "qt_mpv: mpv_initialize failed\n");
        return 1;
    }
    // Its events are read on the GUI thread, as a player reads them.
    mpv_set_wakeup_callback(
        mpv,
        [](void *handle) {
            QMetaObject::invokeMethod(qApp, [handle] {
                while (mpv_wait_event(static_cast<mpv_handle *>(handle), 0)->event_id != MPV_EVENT_NONE) {
                }
            }, Qt::QueuedConnection);
        },
        mpv);

    if (argc > 1) {
        const char *load[] = {"loadfile", argv[1], nullptr};
        if (mpv_command(mpv, load) < 0) {
            std::fprintf(stderr, "qt_mpv: cannot load %s\n", argv[1]);
            return 1;
        }
    }

    QWidget w;
    w.setWindowTitle(QStringLiteral("Qt window with libmpv"));
    w.resize(354, 18);
    w.show();
    const int rc = app.exec();
    mpv_terminate_destroy(mpv);
    return rc;
}
