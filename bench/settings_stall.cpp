// SPDX-License-Identifier: GPL-3.0-or-later
// How long a wind-count press holds the GUI thread when the settings file is
// large: the press as it was (the stored value read, then written and synced
// before the press returns) against the press as it is (the value handed to
// the store's writer thread), and the longest pause of the event loop while
// that thread rewrites the file.
//
//   bench_settings_stall [MEGABYTES] [PRESSES]

#include "BenchStats.h"
#include "rules/SettingsStore.h"
#include "rules/Sliders.h"
#include "ui/Bar.h"
#include "ui/WindCountView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// The event loop runs for `ms`; returns the longest time between two turns.
double longestPause(int ms)
{
    return LongestEventLoopPause(ms);
}

} // namespace

int main(int argc, char *argv[])
{
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int presses = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);

    // A hand-kept section of the given size beside the bar's own.
    QDir().mkpath(QFileInfo(SettingsStore().filePath()).absolutePath());
    {
        QFile file(SettingsStore().filePath());
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[config]\nWindCount=\" 520\"\n\n[notes]\n");
        for (qint64 i = 0; file.size() < qint64(megabytes) * 1024 * 1024; ++i)
            file.write("note" + QByteArray::number(i) + "=a line the typist keeps for later\n");
    }

    Bar form;
    form.load();
    form.show();
    SettingsStore().finishWrites();
    std::printf("wind-count press with a %d MB settings file, %d presses\n", megabytes, presses);

    std::vector<double> before;
    for (int i = 0; i < presses; ++i) {
        const QString stored = WindCountStoredText(i % 2 ? 520 : 910);
        const auto start = BenchClock::now();
        if (SettingsStore().value(QStringLiteral("WindCount"), QString()) != stored)
            SettingsStore().setValue(QStringLiteral("WindCount"), stored);
        before.push_back(millisecondsSince(start));
    }
    printRow("before: read and written in the press", before);

    // The machine's own noise: the same pauses with nothing being written.
    std::vector<double> idle;
    for (int i = 0; i < presses; ++i)
        idle.push_back(longestPause(1000));
    printRow("longest event-loop pause, nothing written", idle);

    std::vector<double> after;
    std::vector<double> pauses;
    for (int i = 0; i < presses; ++i) {
        const auto start = BenchClock::now();
        form.windCount().setWindCountAt(i % 2 ? 500 : 900);
        after.push_back(millisecondsSince(start));
        // Long enough for the writer thread to rewrite the file.
        pauses.push_back(longestPause(before.empty() ? 3000 : int(percentile(before, 1.0) * 2) + 500));
    }
    printRow("after: the press", after);
    printRow("after: longest event-loop pause meanwhile", pauses);
    SettingsStore().finishWrites();
    return 0;
}
