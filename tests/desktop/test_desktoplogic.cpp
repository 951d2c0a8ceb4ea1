// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line files and the media-player interface's arithmetic: what a
// launch asks for, how the player's state reads on the bus, what changed,
// and where Seek, SetPosition, Next and Previous go.
#include "desktop/LaunchArgument.h"
#include "desktop/MprisModel.h"
#include "desktop/RemoteAction.h"
#include "engine/MediaPlayer.h"
#include "engine/Player.h"

#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <limits>

namespace {

// A player that only remembers; counts the position writes.
class FakePlayer : public MediaPlayer
{
public:
    double position = 0;
    double duration = 0;
    double rate = 1;
    ::PlayState state = NoFile;
    int positionWrites = 0;

    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double s) override { position = s; ++positionWrites; }
    double Duration() const override { return duration; }
    double Rate() const override { return rate; }
    void setRate(double r) override { rate = r; }
    ::PlayState PlayState() const override { return state; }
    void Play() override { state = Playing; }
    void Pause() override { state = Paused; }
    void Stop() override { state = Stopped; }
    void Open(const FilePath &) override { state = Stopped; }
};

} // namespace

Q_DECLARE_METATYPE(LaunchRequest::Kind)
Q_DECLARE_METATYPE(CommandRequest::Kind)
Q_DECLARE_METATYPE(RemoteAction)

class TestDesktopLogic : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_file;         // an existing file with awkward characters
    QString m_plain;        // an existing plain file

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub dir")));
        m_file = m_dir.filePath(QStringLiteral("sub dir/Diktat #1 ä%20.mp3"));
        m_plain = m_dir.filePath(QStringLiteral("memo.wav"));
        for (const QString &path : {m_file, m_plain}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }

    void launchArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("workingDirectory");
        QTest::addColumn<LaunchRequest::Kind>("kind");
        QTest::addColumn<QString>("path");   // relative to the temporary dir

        const QString wd = m_dir.path();
        const QString sub = QStringLiteral("sub dir/Diktat #1 ä%20.mp3");
        QTest::newRow("no argument") << QStringList{"murmelvox"} << wd << LaunchRequest::Nothing << QString();
        QTest::newRow("absolute path") << QStringList{"murmelvox", m_file} << "/" << LaunchRequest::OpenFile << sub;
        QTest::newRow("relative path from the working directory")
            << QStringList{"murmelvox", "sub dir/../memo.wav"} << wd << LaunchRequest::OpenFile << "memo.wav";
        QTest::newRow("file URI, percent-encoded")
            << QStringList{"murmelvox", QUrl::fromLocalFile(m_file).toString(QUrl::FullyEncoded)} << "/"
            << LaunchRequest::OpenFile << sub;
        QTest::newRow("file URI with localhost")
            << QStringList{"murmelvox", "file://localhost" + QUrl::fromLocalFile(m_plain).path(QUrl::FullyEncoded)}
            << "/" << LaunchRequest::OpenFile << "memo.wav";
        QTest::newRow("file URI, upper-case scheme")
            << QStringList{"murmelvox", "FILE://" + QUrl::fromLocalFile(m_plain).path(QUrl::FullyEncoded)} << "/"
            << LaunchRequest::OpenFile << "memo.wav";
        QTest::newRow("-- before the file") << QStringList{"murmelvox", "--", "memo.wav"} << wd
                                            << LaunchRequest::OpenFile << "memo.wav";
        QTest::newRow("--open-settings: the bar starts empty") << QStringList{"murmelvox", "--open-settings"} << wd
                                                               << LaunchRequest::Nothing << QString();
        QTest::newRow("a name with a colon is a path, not a URI")
            << QStringList{"murmelvox", "c:memo.wav"} << wd << LaunchRequest::Refused << QString("c:memo.wav");
        QTest::newRow("web address refused")
            << QStringList{"murmelvox", "https://example.com/a.mp3"} << wd << LaunchRequest::Refused << QString();
        QTest::newRow("file on another host refused")
            << QStringList{"murmelvox", "file://otherhost" + QUrl::fromLocalFile(m_plain).path()} << wd
            << LaunchRequest::Refused << QString();
        // A local file that cannot be opened keeps its path, for the bar to show.
        QTest::newRow("missing file refused") << QStringList{"murmelvox", "absent.mp3"} << wd
                                              << LaunchRequest::Refused << QString("absent.mp3");
        QTest::newRow("directory refused") << QStringList{"murmelvox", "sub dir"} << wd << LaunchRequest::Refused
                                           << QString("sub dir");
        QTest::newRow("empty argument refused") << QStringList{"murmelvox", ""} << wd << LaunchRequest::Refused
                                                << QString();
        QTest::newRow("two files refused") << QStringList{"murmelvox", m_plain, m_file} << wd
                                           << LaunchRequest::Refused << QString();
        QTest::newRow("relative path without a working directory refused")
            << QStringList{"murmelvox", "memo.wav"} << QString() << LaunchRequest::Refused << QString();
    }
    void launchArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, workingDirectory);
        QFETCH(LaunchRequest::Kind, kind);
        QFETCH(QString, path);
        const LaunchRequest r = ParseLaunchArguments(arguments, workingDirectory);
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.path, path.isEmpty() ? QString() : m_dir.filePath(path));
        QCOMPARE(r.reason.isEmpty(), kind != LaunchRequest::Refused);
    }

    // An action, --open-settings, --help or --version stands alone; Qt's own
    // options are Qt's; any other option is refused; the rest starts a bar.
    void commandArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandRequest::Kind>("kind");
        QTest::addColumn<RemoteAction>("action");
        const RemoteAction none = RemoteAction::PlayPause;
        QTest::newRow("no argument") << QStringList{"murmelvox"} << CommandRequest::Launch << none;
        QTest::newRow("a file") << QStringList{"murmelvox", "memo.wav"} << CommandRequest::Launch << none;
        QTest::newRow("--wind-forward") << QStringList{"murmelvox", "--wind-forward"} << CommandRequest::Action
                                        << RemoteAction::WindForward;
        QTest::newRow("--help") << QStringList{"murmelvox", "--help"} << CommandRequest::Help << none;
        QTest::newRow("-h") << QStringList{"murmelvox", "-h"} << CommandRequest::Help << none;
        QTest::newRow("--version") << QStringList{"murmelvox", "--version"} << CommandRequest::Version << none;
        QTest::newRow("--open-settings") << QStringList{"murmelvox", "--open-settings"}
                                         << CommandRequest::OpenSettings << RemoteAction::Settings;
        QTest::newRow("--timestamp") << QStringList{"murmelvox", "--timestamp"} << CommandRequest::PrintTimestamp
                                     << none;
        QTest::newRow("--goto with a time like an option") << QStringList{"murmelvox", "--goto", "-0:10"}
                                                           << CommandRequest::GoTo << none;
        QTest::newRow("--goto without a time") << QStringList{"murmelvox", "--goto"} << CommandRequest::Misused << none;
        QTest::newRow("--goto with two times") << QStringList{"murmelvox", "--goto", "1:00", "2:00"}
                                               << CommandRequest::Misused << none;
        QTest::newRow("a file, then --goto") << QStringList{"murmelvox", "memo.wav", "--goto", "1:00"}
                                             << CommandRequest::Misused << none;
        QTest::newRow("an action with a file") << QStringList{"murmelvox", "--play", "memo.wav"}
                                               << CommandRequest::Misused << none;
        QTest::newRow("a file, then an action") << QStringList{"murmelvox", "memo.wav", "--stop"}
                                                << CommandRequest::Misused << none;
        QTest::newRow("--version with a file") << QStringList{"murmelvox", "--version", "memo.wav"}
                                               << CommandRequest::Misused << none;
        QTest::newRow("--open-settings with a file") << QStringList{"murmelvox", "--open-settings", "memo.wav"}
                                                     << CommandRequest::Misused << none;
        QTest::newRow("a file named as an action after --") << QStringList{"murmelvox", "--", "--play"}
                                                            << CommandRequest::Launch << none;
        QTest::newRow("a file named as an option after --") << QStringList{"murmelvox", "--", "-memo.wav"}
                                                            << CommandRequest::Launch << none;
        QTest::newRow("a file named as an option, with its folder") << QStringList{"murmelvox", "./-memo.wav"}
                                                                    << CommandRequest::Launch << none;
        QTest::newRow("an action's name without --") << QStringList{"murmelvox", "play"} << CommandRequest::Launch
                                                     << none;
        QTest::newRow("an unknown option") << QStringList{"murmelvox", "--loud"} << CommandRequest::Misused << none;
        QTest::newRow("an action in capitals") << QStringList{"murmelvox", "--PLAY"} << CommandRequest::Misused
                                               << none;
        QTest::newRow("an action with a value") << QStringList{"murmelvox", "--play=1"} << CommandRequest::Misused
                                                << none;
        QTest::newRow("an unknown one-dash option") << QStringList{"murmelvox", "-v"} << CommandRequest::Misused
                                                    << none;
        QTest::newRow("a lone dash") << QStringList{"murmelvox", "-"} << CommandRequest::Misused << none;
        QTest::newRow("an unknown option after a file") << QStringList{"murmelvox", "memo.wav", "--loud"}
                                                        << CommandRequest::Misused << none;
        QTest::newRow("restored by the session manager") << QStringList{"murmelvox", "-session", "10ab_1", "memo.wav"}
                                                         << CommandRequest::Launch << none;
        QTest::newRow("Qt's options around an action")
            << QStringList{"murmelvox", "--platform", "xcb", "-reverse", "-style=fusion", "--stop"}
            << CommandRequest::Action << RemoteAction::Stop;
        QTest::newRow("a Qt option without its value") << QStringList{"murmelvox", "-display"}
                                                       << CommandRequest::Misused << none;
    }
    void commandArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandRequest::Kind, kind);
        QFETCH(RemoteAction, action);
        const CommandRequest r = ParseCommandArguments(arguments);
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.action, action);
        QCOMPARE(r.reason.isEmpty(), kind != CommandRequest::Misused);
        if (kind == CommandRequest::Misused)
            QVERIFY2(r.reason.contains(QStringLiteral("murmelvox --help")), qPrintable(r.reason));
    }

    void playbackStatus_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("status");
        QTest::newRow("no file") << 6 << "Stopped";
        QTest::newRow("stopped") << 0 << "Stopped";
        QTest::newRow("paused") << 1 << "Paused";
        QTest::newRow("playing") << 2 << "Playing";
        QTest::newRow("any other state") << 3 << "Paused";
    }
    void playbackStatus()
    {
        QFETCH(int, state);
        QFETCH(QString, status);
        QCOMPARE(PlaybackStatusFor(PlayState(state)), status);
    }

    void microseconds_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<qlonglong>("us");
        QTest::newRow("zero") << 0.0 << 0LL;
        QTest::newRow("rounded, not truncated") << 1.0000005 << 1000001LL;
        QTest::newRow("0.1 s") << 0.1 << 100000LL;
        QTest::newRow("negative reads as the start") << -3.0 << 0LL;
        QTest::newRow("NaN reads as the start") << std::numeric_limits<double>::quiet_NaN() << 0LL;
        QTest::newRow("huge saturates") << 1e300 << std::numeric_limits<qlonglong>::max();
    }
    void microseconds()
    {
        QFETCH(double, seconds);
        QFETCH(qlonglong, us);
        QCOMPARE(ToMicroseconds(seconds), us);
    }

    void metadata()
    {
        const QVariantMap none = MetadataFor(false, 3, m_file, 12);
        QCOMPARE(none.keys(), QStringList{"mpris:trackid"});
        QCOMPARE(none.value("mpris:trackid").value<QDBusObjectPath>().path(),
                 QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

        const QVariantMap m = MetadataFor(true, 3, m_file, 12.5);
        QCOMPARE(m.value("mpris:trackid").value<QDBusObjectPath>().path(),
                 QStringLiteral("/org/mpris/MediaPlayer2/murmelvox/track/3"));
        QCOMPARE(m.value("xesam:title").toString(), QStringLiteral("Diktat #1 ä%20.mp3"));
        QCOMPARE(m.value("mpris:length").value<qlonglong>(), 12500000LL);
        QCOMPARE(m.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
        const QUrl url(m.value("xesam:url").toString());
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), m_file);

        QVERIFY(!MetadataFor(true, 3, m_file, 0).contains("mpris:length"));
        QVERIFY(QDBusObjectPath(TrackIdFor(1)).path() == TrackIdFor(1)); // a valid object path
    }

    void changedProperties()
    {
        FakePlayer p;
        const PlayerReading empty = PlayerReading::Of(p, 0, QString());
        QVERIFY(ChangedProperties(empty, PlayerReading::Of(p, 0, QString())).isEmpty());

        p.state = MediaPlayer::Stopped;
        p.duration = 30;
        const PlayerReading opened = PlayerReading::Of(p, 1, m_plain);
        const QVariantMap c1 = ChangedProperties(empty, opened);
        QCOMPARE(QSet<QString>(c1.keyBegin(), c1.keyEnd()),
                 (QSet<QString>{"Metadata", "CanPlay", "CanPause", "CanSeek", "CanGoNext", "CanGoPrevious"}));
        QCOMPARE(c1.value("CanPlay").toBool(), true);

        p.state = MediaPlayer::Playing;
        p.rate = 1.5;
        p.position = 12;   // position is never announced
        const QVariantMap c2 = ChangedProperties(opened, PlayerReading::Of(p, 1, m_plain));
        QCOMPARE(QSet<QString>(c2.keyBegin(), c2.keyEnd()), (QSet<QString>{"PlaybackStatus", "Rate"}));
        QCOMPARE(c2.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
        QCOMPARE(c2.value("Rate").toDouble(), 1.5);
    }

    void seekWatch_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<bool>("wasPlaying");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("nowPlaying");
        QTest::addColumn<bool>("jumped");
        QTest::newRow("steady playback") << 10.0 << true << 1.0 << 100 << 10.1 << true << false;
        QTest::newRow("steady playback at double rate") << 10.0 << true << 2.0 << 1000 << 12.0 << true << false;
        QTest::newRow("wind forward 3 s while playing") << 10.0 << true << 1.0 << 100 << 13.1 << true << true;
        QTest::newRow("wind back 3 s while playing") << 10.0 << true << 1.0 << 100 << 7.1 << true << true;
        QTest::newRow("paused, unchanged") << 10.0 << false << 1.0 << 5000 << 10.0 << false << false;
        QTest::newRow("paused, bookmark jump") << 10.0 << false << 1.0 << 100 << 65.37 << false << true;
        QTest::newRow("stop goes back to 0") << 40.0 << true << 1.0 << 100 << 0.0 << false << true;
        QTest::newRow("started in between") << 10.0 << false << 1.0 << 400 << 10.2 << true << false;
        QTest::newRow("paused in between") << 10.0 << true << 1.0 << 400 << 10.3 << false << false;
        QTest::newRow("small jitter") << 10.0 << true << 1.0 << 100 << 9.8 << true << false;
        QTest::newRow("stalled, no reading meanwhile") << 10.0 << true << 1.0 << 2000 << 10.2 << true << false;
    }
    void seekWatch()
    {
        QFETCH(double, from);
        QFETCH(bool, wasPlaying);
        QFETCH(double, rate);
        QFETCH(int, elapsedMs);
        QFETCH(double, to);
        QFETCH(bool, nowPlaying);
        QFETCH(bool, jumped);
        SeekWatch w;
        QVERIFY(!w.Jumped(from, wasPlaying, rate, 1000));   // the first reading is the reference
        QCOMPARE(w.Jumped(to, nowPlaying, rate, 1000 + elapsedMs), jumped);
        // The new reading is the reference for the next one.
        QVERIFY(!w.Jumped(to, false, rate, 1000 + elapsedMs + 100));
    }

    void seekTarget_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("offset");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("target");
        QTest::newRow("forward") << 10.0 << 5.0 << 60.0 << 15.0;
        QTest::newRow("back") << 10.0 << -5.0 << 60.0 << 5.0;
        QTest::newRow("before the start") << 3.0 << -5.0 << 60.0 << 0.0;
        QTest::newRow("past the end") << 58.0 << 5.0 << 60.0 << 60.0;
        QTest::newRow("length unknown") << 58.0 << 5.0 << 0.0 << 63.0;
    }
    void seekTarget()
    {
        QFETCH(double, position);
        QFETCH(double, offset);
        QFETCH(double, duration);
        QFETCH(double, target);
        QCOMPARE(SeekTarget(position, offset, duration), target);
    }

    void validPosition()
    {
        QVERIFY(ValidPosition(0, 60));
        QVERIFY(ValidPosition(60, 60));
        QVERIFY(!ValidPosition(-0.000001, 60));
        QVERIFY(!ValidPosition(60.000001, 60));
    }

    // The player's winds, which Next and Previous share with the hot keys:
    // forward only while short of the end, back only while above the start.
    void wind_data()
    {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("written");
        QTest::newRow("back 3 from 10") << false << 3.0 << 10.0 << 7.0 << true;
        QTest::newRow("back 3 from 3.5") << false << 3.0 << 3.5 << 0.5 << true;
        QTest::newRow("back 3 from 3.0 stays") << false << 3.0 << 3.0 << 3.0 << false;
        QTest::newRow("back 3 from 2.5 stays") << false << 3.0 << 2.5 << 2.5 << false;
        QTest::newRow("forward 3 from 50 of 60") << true << 3.0 << 50.0 << 53.0 << true;
        QTest::newRow("forward 3 from 57 of 60 stays") << true << 3.0 << 57.0 << 57.0 << false;
        QTest::newRow("forward 3 from 58 of 60 stays") << true << 3.0 << 58.0 << 58.0 << false;
        QTest::newRow("step 0 back writes the position back") << false << 0.0 << 5.0 << 5.0 << true;
        QTest::newRow("step 0 forward writes the position back") << true << 0.0 << 5.0 << 5.0 << true;
        QTest::newRow("step 0 back at the start stays") << false << 0.0 << 0.0 << 0.0 << false;
    }
    void wind()
    {
        QFETCH(bool, forward);
        QFETCH(double, step);
        QFETCH(double, position);
        QFETCH(double, expected);
        QFETCH(bool, written);
        FakePlayer p;
        p.state = MediaPlayer::Paused;
        p.duration = 60;
        p.position = position;
        Player player(p, [step] { return step; });
        QCOMPARE(forward ? player.windForward() : player.windBack(), written);
        QCOMPARE(p.position, expected);
        QCOMPARE(p.positionWrites, written ? 1 : 0);
    }

    void windWithoutFileDoesNothing()
    {
        FakePlayer p;
        p.position = 10;
        p.duration = 60;
        Player player(p, [] { return 3.0; });
        QVERIFY(!player.windForward());
        QVERIFY(!player.windBack());
        QCOMPARE(p.positionWrites, 0);
    }
};

QTEST_GUILESS_MAIN(TestDesktopLogic)
#include "test_desktoplogic.moc"
