// SPDX-License-Identifier: GPL-3.0-or-later
// What the bar's playback handlers cost on the GUI thread: the 100 ms
// position tick while a file plays, a full redraw of the pitch and
// wind-count tracks (each line after pending events have run, the wind count
// also written to the settings store), and how soon a drag step that arrives
// during a redraw is shown.
//
//   bench_bar_playback MEDIA_DIR [ROUNDS]

#include "BenchStats.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/Startup.h"

#include <QDeadlineTimer>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bar_playback MEDIA_DIR [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the user's own settings out of it.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    Bar form;
    form.load();
    form.show();
    form.positionTimer->stop(); // ticks are timed one by one below

    const QString media = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("tone.wav"));
    form.player->engine().Open(media);
    QDeadlineTimer opening(5000);
    while (form.player->engine().Opening() && !opening.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (form.player->playState() == MediaPlayer::NoFile) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(media));
        return 1;
    }
    form.player->engine().Play();

    std::printf("bar playback handlers, %d rounds\n", rounds);
    std::vector<double> ticks;
    for (int i = 0; i < rounds * 5; ++i) {
        // Ticks some milliseconds apart, so that the captions change as they
        // do between real ticks.
        const auto pause = BenchClock::now();
        while (millisecondsSince(pause) < 10)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto start = BenchClock::now();
        form.showPosition();
        ticks.push_back(millisecondsSince(start));
    }
    printRow("position tick while playing", ticks);

    std::vector<double> pitch, wind, windSame;
    for (int i = 0; i < rounds; ++i) {
        auto start = BenchClock::now();
        form.setPitchAt(1995); // 66 lines
        pitch.push_back(millisecondsSince(start));
        start = BenchClock::now();
        form.setWindCountAt(i % 2 ? 1650 : 1620); // 55 lines, a new value stored
        wind.push_back(millisecondsSince(start));
        start = BenchClock::now();
        form.setWindCountAt(i % 2 ? 1650 : 1620); // the same again
        windSame.push_back(millisecondsSince(start));
    }
    printRow("pitch track, full redraw (66 lines)", pitch);
    printRow("wind-count track, redraw + storing a new value", wind);
    printRow("wind-count track, redraw, value unchanged", windSame);

    // A drag step queued while a full redraw starts: time until the track
    // shows the newer position (the older redraw gives way).
    std::vector<double> dragStep;
    for (int i = 0; i < rounds; ++i) {
        const QPointF at(20, 4);
        QCoreApplication::postEvent(form.pitchTrack,
            new QMouseEvent(QEvent::MouseMove, at, form.pitchTrack->mapToGlobal(at), Qt::NoButton,
                            Qt::LeftButton, Qt::NoModifier));
        const auto start = BenchClock::now();
        form.setPitchAt(1995);
        dragStep.push_back(millisecondsSince(start));
        if (form.pitchLabel->text() != QStringLiteral("Pitch 0.3")) {
            std::fprintf(stderr, "drag step lost: %s\n", qPrintable(form.pitchLabel->text()));
            return 1;
        }
    }
    printRow("drag step during a pitch redraw, shown after", dragStep);
    form.player->engine().Stop();
    return 0;
}
