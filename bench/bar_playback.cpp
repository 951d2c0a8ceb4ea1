// SPDX-License-Identifier: GPL-3.0-or-later
// What the bar's playback handlers cost on the GUI thread: the 100 ms
// position tick while a file plays, and a full redraw of the pitch and
// wind-count tracks (the wind count also written to the settings store).
//
//   bench_bar_playback MEDIA_DIR [ROUNDS]

#include "BenchStats.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/PitchView.h"
#include "ui/PositionDisplay.h"
#include "ui/WindCountView.h"
#include "ui/Startup.h"

#include <QDeadlineTimer>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

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
    form.findChild<QTimer *>("positionTimer")->stop(); // ticks are timed one by one below

    const QString media = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("tone.wav"));
    form.player().engine().Open(media);
    QDeadlineTimer opening(5000);
    while (form.player().engine().Opening() && !opening.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (form.player().playState() == MediaPlayer::NoFile) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(media));
        return 1;
    }
    form.player().engine().Play();

    std::printf("bar playback handlers, %d rounds\n", rounds);
    std::vector<double> ticks;
    for (int i = 0; i < rounds * 5; ++i) {
        // Ticks some milliseconds apart, so that the captions change as they
        // do between real ticks.
        const auto pause = BenchClock::now();
        while (millisecondsSince(pause) < 10)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto start = BenchClock::now();
        form.positionDisplay().showPosition();
        ticks.push_back(millisecondsSince(start));
    }
    printRow("position tick while playing", ticks);

    std::vector<double> pitch, wind, windSame;
    for (int i = 0; i < rounds; ++i) {
        auto start = BenchClock::now();
        form.pitch().setPitchAt(1995); // 66 lines
        pitch.push_back(millisecondsSince(start));
        start = BenchClock::now();
        form.windCount().setWindCountAt(i % 2 ? 1650 : 1620); // 55 lines, a new value stored
        wind.push_back(millisecondsSince(start));
        start = BenchClock::now();
        form.windCount().setWindCountAt(i % 2 ? 1650 : 1620); // the same again
        windSame.push_back(millisecondsSince(start));
    }
    printRow("pitch track, full redraw (66 lines)", pitch);
    printRow("wind-count track, redraw + storing a new value", wind);
    printRow("wind-count track, redraw, value unchanged", windSame);

    form.player().engine().Stop();
    return 0;
}
