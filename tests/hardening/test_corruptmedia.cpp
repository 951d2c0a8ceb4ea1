// SPDX-License-Identifier: GPL-3.0-or-later
// Bad media never crashes or hangs the bar: each file of a generated corpus
// of broken, odd and vanishing files is opened in the real engine (null
// audio), played, sought and driven with every hot-key action, each case
// within a time limit; afterwards the same control still plays a good file.
//
// "Unreadable" needs care because the tests run as root, whom file modes do
// not stop: main() lowers the capabilities that let root ignore them
// (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH) before any thread starts, so a file
// with mode 000 is refused to this process as to any user.
#include "Capabilities.h"
#include "playback/MediaFiles.h"
#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "rules/KeyAssignments.h"
#include "rules/SettingsStore.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "ui/SeekBar.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <optional>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each case must be over within this; a hang ends the whole run loudly.
constexpr int CaseLimitMs = 30000;

std::atomic<qint64> caseDeadline{0};   // ms since the epoch; 0 = none
std::atomic<const char *> caseName{""};

void startWatchdog()
{
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const qint64 d = caseDeadline.load();
            if (d && QDateTime::currentMSecsSinceEpoch() > d) {
                std::fprintf(stderr, "HANG: case '%s' ran past %d ms\n", caseName.load(), CaseLimitMs);
                std::fflush(stderr);
                _exit(3);
            }
        }
    }).detach();
}

void runEventsFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// The bar's player, with the hot-key rules on its commands and the seek bar
// painting what it pushes.
struct BarHotKeys
{
    ::Player player{std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 3.0; }};
    HotKeys hotKeys{player};
    SeekBar seekBar{player};
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray flipBits(QByteArray data, qsizetype from, int flips, quint32 seed)
{
    QRandomGenerator rng(seed);
    for (int i = 0; i < flips && data.size() > from; ++i) {
        const qsizetype at = from + qsizetype(rng.bounded(quint32(data.size() - from)));
        data[at] = char(data[at] ^ (1 << rng.bounded(8)));
    }
    return data;
}

enum class Vanish { No, Delete, Truncate };

} // namespace

class TestCorruptMedia : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badFile_data();
    void badFile();
    void stillPlaysGoodFile();
    void cleanupTestCase();

private:
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    void exercise(const QString &file);
    void hotKeyEvent(FunctionKey key);
    FunctionKey KeyOf(HotKeyAction action) const;

    QTemporaryDir dir;
    MediaPlayer *mp = nullptr;
    BarHotKeys *target = nullptr;
    QString media;
    bool modesHold = false;
};

void TestCorruptMedia::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    media = qEnvironmentVariable("MURMELVOX_TEST_MEDIA");
    QVERIFY2(QFile::exists(media + "/speech.mp3") && QFile::exists(media + "/tone.wav"),
             "generated media missing (the make_media test)");
    QVERIFY(dir.isValid());

    const QByteArray mp3 = readAll(media + "/speech.mp3");
    const QByteArray wav = readAll(media + "/tone.wav");
    writeAll(path("truncated.mp3"), mp3.left(mp3.size() / 2 + 3));
    writeAll(path("truncated-header.wav"), wav.left(30));
    writeAll(path("truncated-data.wav"), wav.left(wav.size() / 3 + 1));   // header claims 20 s
    writeAll(path("bitflip.mp3"), flipBits(mp3, 0, mp3.size() / 100, 1));
    writeAll(path("bitflip-data.wav"), flipBits(wav, 44, wav.size() / 50, 2));
    writeAll(path("bitflip-header.wav"), flipBits(wav, 0, 12, 3).left(wav.size()));
    writeAll(path("zero.mp3"), {});
    writeAll(path("garbage.mp3"), flipBits(QByteArray(256 * 1024, '\0'), 0, 200000, 4));
    writeAll(path("wav-named.mp3"), wav);
    writeAll(path("text.wav"), "RIFF? no, just text\n");
    QVERIFY(dir.path().size() && QDir(dir.path()).mkdir(QStringLiteral("folder.mp3")));
    QCOMPARE(mkfifo(QFile::encodeName(path("fifo.mp3")).constData(), 0600), 0);
    // A 64 GB file of which only a WAV header and a second of sound exist.
    {
        writeAll(path("sparse.wav"), wav.left(44 + 88200));
        QFile f(path("sparse.wav"));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(qint64(64) << 30));
    }
    writeAll(path("unreadable.mp3"), mp3);
    QVERIFY(QFile::setPermissions(path("unreadable.mp3"), {}));
    {
        const int fd = ::open(QFile::encodeName(path("unreadable.mp3")).constData(), O_RDONLY);
        modesHold = fd < 0;
        if (fd >= 0)
            ::close(fd);
    }
    writeAll(path("deleted.wav"), wav);
    writeAll(path("shrunk.mp3"), mp3);

    startWatchdog();
    // Settings in the test HOME: the defaults F4, F5, F6, F8; wind 3 s.
    target = new BarHotKeys;
    target->seekBar.show();
    mp = &target->player.engine();
    target->hotKeys.setBindings(LoadKeyAssignments(SettingsStore()));
}

void TestCorruptMedia::cleanupTestCase()
{
    delete target;
}

// Everything a user can do to an open (or failed) file: the bar's commands as
// its handlers call them, bookmark jumps, and each hot key pressed and
// released a few times in a row.
void TestCorruptMedia::exercise(const QString &file)
{
    openNow(*mp, file);
    QVERIFY(std::isfinite(mp->Duration()));
    QVERIFY(std::isfinite(mp->CurrentPosition()));
    if (mp->PlayState() != MediaPlayer::NoFile)
        mp->Play();
    runEventsFor(300);
    for (double to : {1.0, mp->Duration() / 2, mp->Duration() + 50, -3.0, 1e9, 0.0}) {
        mp->setCurrentPosition(to);
        QVERIFY(std::isfinite(mp->CurrentPosition()));
        runEventsFor(30);
    }
    target->hotKeys.setCounts({});   // as Pause or Stop leaves them
    for (FunctionKey key : {KeyOf(HotKeyAction::FastForward), KeyOf(HotKeyAction::FastRewind), KeyOf(HotKeyAction::PlayPause), KeyOf(HotKeyAction::FullRewind), KeyOf(HotKeyAction::PlayPause)}) {
        for (int i = 0; i < 3; ++i) {
            hotKeyEvent(key);   // press
            hotKeyEvent(key);   // release
            runEventsFor(20);
        }
    }
    if (mp->PlayState() != MediaPlayer::NoFile) {
        mp->Pause();
        mp->setRate(1.5);
        mp->Play();
        runEventsFor(100);
        mp->Stop();
        mp->setCurrentPosition(0);
        mp->setRate(1.0);
    }
    QVERIFY(std::isfinite(mp->Duration()) && mp->Duration() >= 0);
    const int state = int(mp->PlayState());
    QVERIFY2(state == int(MediaPlayer::NoFile) || (state >= 0 && state <= 2), qPrintable(QString::number(state)));
}

// One event of hot key `key`, checked by what it did. With a file open, Full
// Rewind goes back to the start on every event, the wind keys act on every
// second one and Play/Pause plays on the second and pauses on the fourth,
// their counts starting again after acting; with none, only the counts move.
FunctionKey TestCorruptMedia::KeyOf(HotKeyAction action) const
{
    return target->hotKeys.bindings()[std::size_t(action)];
}

void TestCorruptMedia::hotKeyEvent(FunctionKey key)
{
    const bool open = mp->PlayState() != MediaPlayer::NoFile;
    auto countOf = [&](const HotKeys::Counts &c) -> std::optional<int> {
        if (key == KeyOf(HotKeyAction::PlayPause))
            return c.playPause;
        if (key == KeyOf(HotKeyAction::FastRewind))
            return c.rewind;
        if (key == KeyOf(HotKeyAction::FastForward))
            return c.forward;
        return std::nullopt;
    };
    const std::optional<int> before = countOf(target->hotKeys.counts());
    const int counted = before ? *before + 1 : 0;
    QVERIFY(target->hotKeys.handleKey(key));
    const std::optional<int> count = countOf(target->hotKeys.counts());
    if (!count) {
        if (open)
            QCOMPARE(mp->CurrentPosition(), 0.0);
        return;
    }
    const int acting = key == KeyOf(HotKeyAction::PlayPause) ? 4 : 2;
    QCOMPARE(*count, open && counted == acting ? 0 : counted);
    if (open && key == KeyOf(HotKeyAction::PlayPause) && counted == 2) {
        // Play may find out only now that the file has gone.
        QVERIFY(mp->PlayState() == MediaPlayer::Playing || mp->PlayState() == MediaPlayer::NoFile);
    } else if (open && key == KeyOf(HotKeyAction::PlayPause) && counted == 4) {
        QVERIFY(mp->PlayState() != MediaPlayer::Playing);
    }
}

void TestCorruptMedia::badFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("vanish");
    QTest::newRow("truncated mp3") << "truncated.mp3" << int(Vanish::No);
    QTest::newRow("wav cut inside its header") << "truncated-header.wav" << int(Vanish::No);
    QTest::newRow("wav shorter than its header says") << "truncated-data.wav" << int(Vanish::No);
    QTest::newRow("bit-flipped mp3") << "bitflip.mp3" << int(Vanish::No);
    QTest::newRow("bit-flipped wav samples") << "bitflip-data.wav" << int(Vanish::No);
    QTest::newRow("bit-flipped wav header") << "bitflip-header.wav" << int(Vanish::No);
    QTest::newRow("zero bytes") << "zero.mp3" << int(Vanish::No);
    QTest::newRow("random bytes") << "garbage.mp3" << int(Vanish::No);
    QTest::newRow("wav under an mp3 name") << "wav-named.mp3" << int(Vanish::No);
    QTest::newRow("text under a wav name") << "text.wav" << int(Vanish::No);
    QTest::newRow("a folder") << "folder.mp3" << int(Vanish::No);
    QTest::newRow("a FIFO without a writer") << "fifo.mp3" << int(Vanish::No);
    QTest::newRow("64 GB sparse wav") << "sparse.wav" << int(Vanish::No);
    QTest::newRow("unreadable (mode 000)") << "unreadable.mp3" << int(Vanish::No);
    QTest::newRow("missing") << "no-such-file.mp3" << int(Vanish::No);
    QTest::newRow("deleted while playing") << "deleted.wav" << int(Vanish::Delete);
    QTest::newRow("truncated while playing") << "shrunk.mp3" << int(Vanish::Truncate);
}

void TestCorruptMedia::badFile()
{
    QFETCH(QString, name);
    QFETCH(int, vanish);
    if (name.startsWith(QLatin1String("unreadable")))
        QVERIFY2(modesHold, "this process reads files whatever their mode (could not lower CAP_DAC_OVERRIDE)");

    caseName = QTest::currentDataTag();
    caseDeadline = QDateTime::currentMSecsSinceEpoch() + CaseLimitMs;
    QElapsedTimer t;
    t.start();

    const QString file = path(name.toUtf8().constData());
    if (Vanish(vanish) == Vanish::No) {
        exercise(file);
    } else {
        openNow(*mp, file);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        mp->Play();
        runEventsFor(400);
        if (Vanish(vanish) == Vanish::Delete)
            QVERIFY(QFile::remove(file));
        else
            QVERIFY(QFile(file).resize(1000));
        runEventsFor(200);
        for (double to : {2.0, 15.0, 0.5}) {
            mp->setCurrentPosition(to);
            runEventsFor(50);
        }
        target->hotKeys.setCounts({});
        for (FunctionKey key : {KeyOf(HotKeyAction::FastForward), KeyOf(HotKeyAction::FastRewind), KeyOf(HotKeyAction::PlayPause), KeyOf(HotKeyAction::PlayPause), KeyOf(HotKeyAction::FullRewind)}) {
            hotKeyEvent(key);
            hotKeyEvent(key);
            runEventsFor(50);
        }
        QVERIFY(std::isfinite(mp->CurrentPosition()) && std::isfinite(mp->Duration()));
    }
    caseDeadline = 0;
    qInfo("%s: %lld ms, PlayState %d", qPrintable(name), t.elapsed(), int(mp->PlayState()));
}

// The abuse left the control usable: a good file opens, plays and moves on.
void TestCorruptMedia::stillPlaysGoodFile()
{
    openNow(*mp, media + "/tone.wav");
    QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
    QCOMPARE(qRound(mp->Duration()), 20);
    mp->setCurrentPosition(4);
    mp->Play();
    QTRY_VERIFY_WITH_TIMEOUT(mp->CurrentPosition() > 4.3, 5000);
    QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
}

int main(int argc, char *argv[])
{
    // Before any thread exists, so that the engine's threads inherit it.
    const FileModesHold modes;
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestCorruptMedia test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_corruptmedia.moc"
