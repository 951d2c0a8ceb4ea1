// SPDX-License-Identifier: GPL-3.0-or-later
// The bar on the session bus: every command arrives through the bar's own
// handlers, so the transport buttons' looks and the hot-key counters follow;
// what the bar does by itself is announced. Runs the real bar and engine on a
// private session bus (dbus-run-session).
#include "../BarControls.h"
#include "desktop/Mpris.h"
#include "desktop/MprisModel.h"
#include "hotkeys/HotKeys.h"
#include "rules/FileLabel.h"
#include "engine/AudioControls.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/BookmarksView.h"
#include "ui/PitchView.h"
#include "ui/TransportView.h"
#include "ui/WindCountView.h"
#include "ui/MessageBox.h"
#include "ui/Startup.h"
#include "../playback/MediaFiles.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <filesystem>

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Answers the open dialog with a chosen file, as a user would.
class ChoosingDialog : public OpenDialog
{
public:
    QString choice;
    QString choose(QWidget *) override { return choice; }
};

struct Looks
{
    int play, pause, stop;
};

} // namespace

Q_DECLARE_METATYPE(HotKeys::Counts)

class TestMpris : public QObject
{
    Q_OBJECT
    QDBusConnection m_client{QString()};
    MprisPlayer *m_player = nullptr;
    Bar *m_form = nullptr;
    int m_boxes = 0;
    int m_settingsShown = 0;
    QList<QVariantMap> m_changes;
    QList<qlonglong> m_seeks;

    QDBusMessage Call(const QString &interface, const QString &method, const QVariantList &args = {})
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                                          interface, method);
        msg.setArguments(args);
        QDBusPendingCallWatcher watcher(m_client.asyncCall(msg, 20000));
        QEventLoop loop;
        connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec();
        return watcher.reply();
    }
    QDBusMessage Player(const QString &method, const QVariantList &args = {})
    {
        return Call(PlayerInterface, method, args);
    }
    QDBusMessage Act(const QString &action)
    {
        return Call(RemoteAdaptor::Interface, QStringLiteral("Act"), {action});
    }
    QVariant Property(const QString &name)
    {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {PlayerInterface, name});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QWidget *seekBar() const { return m_form->findChild<QWidget *>("mediaControl"); }
    Looks Shown() const
    {
        auto look = [this](const char *name) { return control<ImageButton>(*m_form, name)->imageIndex(); };
        return {look("playButton"), look("pauseButton"), look("stopButton")};
    }
    void Open(const QString &name)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(mediaFile(name))});
        m_form->openDroppedFile(&data);
        QTRY_VERIFY(!m_form->player().isOpening());
        QVERIFY(m_form->player().playState() != MediaPlayer::NoFile);
    }
    bool Announced(const QString &property, const QVariant &value) const
    {
        for (const QVariantMap &c : m_changes)
            if (c.contains(property) && (!value.isValid() || c.value(property) == value))
                return true;
        return false;
    }

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface == PlayerInterface)
            m_changes.append(changed);
    }
    void seeked(qlonglong position) { m_seeks.append(position); }

    void initTestCase()
    {
        requireMedia();
        useEngineLocale();
        SetMessageHandler([this](const QString &, int, const QString &) {
            ++m_boxes;
            return MessageAnswer::OK;
        });
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.isConnected(), "run under dbus-run-session");
        m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
        QVERIFY(m_client.isConnected());

        // Start-up order as the program has it: the name and object first,
        // the bar after; a file asked for in between opens once it is up.
        m_player = new MprisPlayer(this);
        QVERIFY(m_player->RegisterOn(bus));
        QVERIFY(bus.registerService(MprisPlayer::ServiceName));
        QCOMPARE(m_player->OpenFile(QUrl::fromLocalFile(mediaFile("short.wav")).toString()), QString());
        QCOMPARE(Property("PlaybackStatus").toString(), QStringLiteral("Stopped"));
        QCOMPARE(Property("CanPlay").toBool(), false);

        m_form = new Bar;
        m_form->load();
        m_form->windCount().setWindCount(520);   // a wind step of 3 s
        m_player->Attach(&m_form->player(), {[] {}, [] {}, [this] { ++m_settingsShown; }, {}, {}});
        // As a file dropped on the panel: the label shows the file's name.
        QTRY_VERIFY(!m_form->player().isOpening());
        QCOMPARE(control<QLabel>(*m_form, "fileLabel")->text(), QStringLiteral("short.wav"));
        QCOMPARE(control<QLabel>(*m_form, "fileLabel")->toolTip(), FileLabelToolTip(mediaFile(QStringLiteral("short.wav"))));
        QCOMPARE(Property("Metadata").value<QDBusArgument>().currentType(), QDBusArgument::MapType);

        QVERIFY(m_client.connect(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                 QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"), this,
                                 SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        QVERIFY(m_client.connect(MprisPlayer::ServiceName, MprisPlayer::ObjectPath, PlayerInterface,
                                 QStringLiteral("Seeked"), this, SLOT(seeked(qlonglong))));
    }

    void init()
    {
        Open(QStringLiteral("tone.wav"));
        m_form->transport().stopPlaying();   // stopped, counters cleared
        // The previous case's last jump and the reset above are announced a
        // moment later; let those arrive before recording this case's.
        QTest::qWait(3 * control<QTimer>(*m_form, "positionTimer")->interval() + 300);
        m_changes.clear();
        m_seeks.clear();
        m_boxes = 0;
    }

    void cleanupTestCase()
    {
        delete m_form;
    }

    // Each command does what a press of its button does: the same look, the
    // same counters, the same player command.
    void transport_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("play");
        QTest::addColumn<int>("pause");
        QTest::addColumn<int>("stop");
        QTest::addColumn<int>("playPauseCount");
        QTest::newRow("Play: playing look, next hot-key press pauses")
            << QStringList{"Play"} << "Playing" << 4 << 2 << 3 << 2;
        QTest::newRow("Pause after Play: paused look, next hot-key press plays")
            << QStringList{"Play", "Pause"} << "Paused" << 1 << 5 << 3 << 0;
        QTest::newRow("Stop after Play: stopped look") << QStringList{"Play", "Stop"} << "Stopped" << 1 << 2 << 6 << 0;
        QTest::newRow("PlayPause from stopped plays") << QStringList{"PlayPause"} << "Playing" << 4 << 2 << 3 << 2;
        QTest::newRow("PlayPause while playing pauses")
            << QStringList{"Play", "PlayPause"} << "Paused" << 1 << 5 << 3 << 0;
        QTest::newRow("Pause while stopped: paused look, nothing sent")
            << QStringList{"Pause"} << "Stopped" << 1 << 5 << 3 << 0;
    }
    void transport()
    {
        QFETCH(QStringList, commands);
        QFETCH(QString, status);
        QFETCH(int, play);
        QFETCH(int, pause);
        QFETCH(int, stop);
        QFETCH(int, playPauseCount);
        m_form->hotKeys().setCounts({7, 1, 1});   // mid-cycle: the buttons reset it
        for (const QString &command : commands)
            QCOMPARE(Player(command).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(Property("PlaybackStatus").toString(), status);
        const Looks looks = Shown();
        QCOMPARE(looks.play, play);
        QCOMPARE(looks.pause, pause);
        QCOMPARE(looks.stop, stop);
        QCOMPARE(m_form->hotKeys().counts(), (HotKeys::Counts{std::int16_t(playPauseCount), 0, 0}));
        QCOMPARE(m_boxes, 0);
        QTRY_VERIFY(Announced(QStringLiteral("PlaybackStatus"), status) || status == QLatin1String("Stopped"));
    }

    void stopGoesBackToTheStart()
    {
        m_form->player().engine().setCurrentPosition(8);
        Player("Play");
        Player("Stop");
        QCOMPARE(Property("Position").toLongLong(), 0LL);
        QCOMPARE(m_form->player().position(), 0.0);
    }

    // With no file the commands do nothing: no message box waits for a user
    // who is not at the bar, no look changes, no counter moves.
    void noFileCommandsDoNothing()
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(mediaFile(QStringLiteral("text.mp3")))});   // not media
        m_form->openDroppedFile(&data);
        QTRY_VERIFY(!m_form->player().isOpening());
        QCOMPARE(m_form->player().playState(), MediaPlayer::NoFile);
        m_form->transport().showLook({false, false, false});
        m_form->hotKeys().setCounts({3, 1, 1});
        for (const char *command : {"Play", "Pause", "PlayPause", "Stop", "Next", "Previous"})
            QCOMPARE(Player(QLatin1String(command)).type(), QDBusMessage::ReplyMessage);
        for (const RemoteActionInfo &info : RemoteActions)
            if (info.action != RemoteAction::Settings)
                QCOMPARE(Act(QLatin1String(info.name)).type(), QDBusMessage::ReplyMessage);
        Player("Seek", {QVariant::fromValue(qlonglong(1000000))});
        m_form->findChild<QComboBox *>("bookmarkList")->addItem(QStringLiteral("4.5"));
        m_form->findChild<QComboBox *>("bookmarkList")->setCurrentIndex(m_form->findChild<QComboBox *>("bookmarkList")->count() - 1);
        m_form->bookmarks().jump();
        const Looks looks = Shown();
        QCOMPARE(looks.play, 1);
        QCOMPARE(looks.pause, 2);
        QCOMPARE(looks.stop, 3);
        QCOMPARE(m_form->hotKeys().counts(), (HotKeys::Counts{3, 1, 1}));
        QCOMPARE(m_boxes, 0);
        QCOMPARE(Property("PlaybackStatus").toString(), QStringLiteral("Stopped"));
        QCOMPARE(Property("CanPlay").toBool(), false);
        QCOMPARE(Property("CanControl").toBool(), true);
        QTRY_VERIFY(Announced(QStringLiteral("CanPlay"), false));
        QTest::qWait(400);   // a jump would be announced by now
        QVERIFY(m_seeks.isEmpty());
    }

    void positionAndSeeks()
    {
        m_form->player().engine().setCurrentPosition(10);
        QCOMPARE(Property("Position").toLongLong(), 10000000LL);
        QTRY_VERIFY(m_seeks.contains(10000000));   // the direct write, a moment later
        m_seeks.clear();

        Player("Seek", {QVariant::fromValue(qlonglong(2500000))});
        QCOMPARE(m_form->player().position(), 12.5);
        Player("Seek", {QVariant::fromValue(qlonglong(-60000000))});
        QCOMPARE(m_form->player().position(), 0.0);

        const QString track = m_player->Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
        Player("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), QVariant::fromValue(qlonglong(7000000))});
        QCOMPARE(m_form->player().position(), 7.0);
        Player("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), QVariant::fromValue(qlonglong(99000000))});
        QCOMPARE(m_form->player().position(), 7.0);   // past the end: ignored
        Player("SetPosition", {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/other/track"))),
                               QVariant::fromValue(qlonglong(3000000))});
        QCOMPARE(m_form->player().position(), 7.0);   // another track: ignored

        QTRY_COMPARE(m_seeks, (QList<qlonglong>{12500000, 0, 7000000}));
    }

    // Next and Previous wind by the hot keys' step and leave their counters.
    void nextAndPrevious()
    {
        m_form->player().engine().setCurrentPosition(10);
        QTRY_VERIFY(m_seeks.contains(10000000));   // the direct write, a moment later
        m_seeks.clear();
        m_form->hotKeys().setCounts({0, 0, 1});
        Player("Next");
        QCOMPARE(m_form->player().position(), 13.0);
        Player("Previous");
        Player("Previous");
        QCOMPARE(m_form->player().position(), 7.0);
        QCOMPARE(m_form->hotKeys().counts().forward, std::int16_t(1));
        m_form->player().engine().setCurrentPosition(2.5);
        Player("Previous");
        QCOMPARE(m_form->player().position(), 2.5);
        m_form->player().engine().setCurrentPosition(18);
        Player("Next");
        QCOMPARE(m_form->player().position(), 18.0);
        // The commands' own announcements, in order (the test's direct
        // writes are announced too, a moment later).
        QTRY_VERIFY(m_seeks.contains(7000000));
        const QList<qlonglong> mine{13000000, 10000000, 7000000};
        QList<qlonglong> seen;
        for (qlonglong us : m_seeks)
            if (mine.contains(us))
                seen.append(us);
        QCOMPARE(seen, mine);
    }

    // A jump made on the bar (a bookmark, a hot key, the seek bar) is
    // announced a moment later.
    void jumpsOnTheBarAreAnnounced()
    {
        m_form->player().engine().setCurrentPosition(15);
        QTRY_COMPARE(m_seeks, QList<qlonglong>{15000000});
    }

    // Every jump on the bar is announced once, also one too small for the
    // position's readings to show it as a jump.
    void everyJumpIsAnnouncedOnce_data()
    {
        QTest::addColumn<QString>("jump");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("bookmark, 0.3 s on") << "bookmark" << 10.0 << 10.3;
        QTest::newRow("Stop while playing at 0.4 s") << "stop" << 0.4 << 0.0;
        QTest::newRow("seek bar click beside the handle") << "seek bar" << 10.0 << 64 * 20.0 / 127;
        QTest::newRow("seek bar Home key at 0.2 s") << "home" << 0.2 << 0.0;
    }
    void everyJumpIsAnnouncedOnce()
    {
        QFETCH(QString, jump);
        QFETCH(double, from);
        QFETCH(double, to);
        m_form->player().engine().setCurrentPosition(from);
        QTest::qWait(300);   // the direct write's own announcement, if any
        m_seeks.clear();
        if (jump == QLatin1String("bookmark")) {
            m_form->findChild<QComboBox *>("bookmarkList")->addItem(QString::number(to));
            m_form->findChild<QComboBox *>("bookmarkList")->setCurrentIndex(m_form->findChild<QComboBox *>("bookmarkList")->count() - 1);
            m_form->bookmarks().jump();
        } else if (jump == QLatin1String("stop")) {
            m_form->transport().startPlaying();
            m_form->transport().stopPlaying();
        } else if (jump == QLatin1String("seek bar")) {
            QTest::mouseClick(seekBar(), Qt::LeftButton, {}, QPoint(3 + 64, 9));
        } else {
            QTest::keyClick(seekBar(), Qt::Key_Home);
        }
        QTest::qWait(400);
        QCOMPARE(m_seeks, QList<qlonglong>{ToMicroseconds(to)});
    }

    // A file stopped away from the start reads where the bar stands.
    void positionWhileStopped()
    {
        QTest::mouseClick(seekBar(), Qt::LeftButton, {}, QPoint(3 + 64, 9));
        QCOMPARE(Property("PlaybackStatus").toString(), QStringLiteral("Stopped"));
        QCOMPARE(Property("Position").toLongLong(), ToMicroseconds(64 * 20.0 / 127));
    }

    // The command line's actions do what the matching button, hot key or
    // MPRIS command does, and every jump among them is announced once.
    void remoteActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("status");
        QTest::addColumn<double>("position");   // -1: moving on as it plays
        QTest::addColumn<HotKeys::Counts>("counts");
        QTest::addColumn<QList<qlonglong>>("seeks");
        const HotKeys::Counts midCycle{7, 1, 1};
        QTest::newRow("play-pause while playing pauses") << "play-pause" << true << "Paused" << -1.0
                                                         << HotKeys::Counts{} << QList<qlonglong>{};
        QTest::newRow("play") << "play" << false << "Playing" << -1.0 << HotKeys::Counts{2, 0, 0} << QList<qlonglong>{};
        QTest::newRow("stop while playing") << "stop" << true << "Stopped" << 0.0 << HotKeys::Counts{}
                                            << QList<qlonglong>{0};
        QTest::newRow("wind-back") << "wind-back" << false << "Stopped" << 7.0 << midCycle << QList<qlonglong>{7000000};
        QTest::newRow("wind-forward") << "wind-forward" << false << "Stopped" << 13.0 << midCycle
                                      << QList<qlonglong>{13000000};
        QTest::newRow("to-start") << "to-start" << false << "Stopped" << 0.0 << midCycle << QList<qlonglong>{0};
        QTest::newRow("settings change nothing else") << "settings" << false << "Stopped" << 10.0 << midCycle
                                                      << QList<qlonglong>{};
    }
    void remoteActions()
    {
        QFETCH(QString, action);
        QFETCH(bool, playing);
        QFETCH(QString, status);
        QFETCH(double, position);
        QFETCH(HotKeys::Counts, counts);
        QFETCH(QList<qlonglong>, seeks);
        m_form->player().jumpTo(10);
        if (playing)
            m_form->player().play();
        m_form->hotKeys().setCounts({7, 1, 1});
        QTest::qWait(300);   // the jump above is announced
        m_seeks.clear();
        const int settingsBefore = m_settingsShown;

        QCOMPARE(Act(action).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(Property("PlaybackStatus").toString(), status);
        QTest::qWait(400);
        if (position >= 0)
            QCOMPARE(m_form->player().position(), position);
        QCOMPARE(m_form->hotKeys().counts(), counts);
        QCOMPARE(m_seeks, seeks);
        QCOMPARE(m_settingsShown - settingsBefore, action == QLatin1String("settings") ? 1 : 0);
        QCOMPARE(m_boxes, 0);
    }

    void unknownActionIsRefused()
    {
        const QDBusMessage reply = Act(QStringLiteral("rewind"));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    }

    // GoTo jumps before it answers, past the end to the end, paused; a text
    // that names no time is refused and moves nothing.
    void goToTimestamps_data()
    {
        QTest::addColumn<QString>("timestamp");
        QTest::addColumn<QString>("error");
        QTest::addColumn<double>("position");   // -1: the end
        QTest::addColumn<QString>("status");
        const QString invalid = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
        QTest::newRow("in brackets") << "[00:00:12]" << QString() << 12.0 << "Playing";
        QTest::newRow("m:ss,f with blanks") << " 0:07,5 " << QString() << 7.5 << "Playing";
        QTest::newRow("past the end, halted there") << "1:00:00" << QString() << -1.0 << "Stopped";
        QTest::newRow("junk") << "soon" << invalid << 3.0 << "Playing";
        QTest::newRow("seconds alone") << "12" << invalid << 3.0 << "Playing";
        QTest::newRow("negative") << "-0:05" << invalid << 3.0 << "Playing";
    }
    void goToTimestamps()
    {
        QFETCH(QString, timestamp);
        QFETCH(QString, error);
        QFETCH(double, position);
        QFETCH(QString, status);
        m_form->player().jumpTo(3);
        m_form->player().play();
        QTRY_COMPARE(Property("PlaybackStatus").toString(), QStringLiteral("Playing"));
        const QDBusMessage reply = Call(RemoteAdaptor::Interface, QStringLiteral("GoTo"), {timestamp});
        QCOMPARE(reply.errorName(), error);
        const double expected = position < 0 ? m_form->player().duration() : position;
        QVERIFY2(std::abs(m_form->player().position() - expected) < 0.2,
                 qPrintable(QString::number(m_form->player().position())));
        QTRY_COMPARE(Property("PlaybackStatus").toString(), status);
    }

    void timestampIsThePosition()
    {
        m_form->player().jumpTo(12.7);
        QCOMPARE(Call(RemoteAdaptor::Interface, QStringLiteral("Timestamp")).arguments(), QVariantList{"[00:00:12]"});
    }

    // A button pressed on the bar shows on the bus.
    void buttonsOnTheBarAreAnnounced()
    {
        m_form->transport().playButtonDown();
        m_form->transport().startPlaying();
        QTRY_VERIFY(Announced(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")));
        m_form->transport().pauseButtonDown();
        m_form->transport().pausePlaying();
        QTRY_VERIFY(Announced(QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")));
    }

    void rateGoesThroughThePitchTrack()
    {
        QDBusMessage set = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Set"));
        set.setArguments({PlayerInterface, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(1.5))});
        QCOMPARE(m_client.call(set, QDBus::BlockWithGui).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_form->player().rate(), 1.5);
        QCOMPARE(control<QLabel>(*m_form, "pitchLabel")->text(), QStringLiteral("Pitch 1.5"));
        QCOMPARE(Property("Rate").toDouble(), 1.5);
        QTRY_VERIFY(Announced(QStringLiteral("Rate"), 1.5));
        set.setArguments({PlayerInterface, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(1.0))});
        m_client.call(set, QDBus::BlockWithGui);
        QCOMPARE(m_form->player().rate(), 1.0);
    }

    // The bounds are what the pitch glyphs reach; a rate outside them is
    // taken as the nearest, and 0 pauses.
    void rateBounds_data()
    {
        QTest::addColumn<double>("written");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("status");
        QTest::newRow("above the track's end") << 2.5 << 2.5 << "Playing";
        QTest::newRow("above the maximum") << 250.0 << 100.0 << "Playing";
        QTest::newRow("below the minimum") << 0.001 << 0.01 << "Playing";
        QTest::newRow("negative") << -1.0 << 0.01 << "Playing";
        QTest::newRow("0 pauses, the rate stays") << 0.0 << 1.0 << "Paused";
    }
    void rateBounds()
    {
        QFETCH(double, written);
        QFETCH(double, rate);
        QFETCH(QString, status);
        QCOMPARE(Property("MinimumRate").toDouble(), 0.01);
        QCOMPARE(Property("MaximumRate").toDouble(), 100.0);
        Player("Play");
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                                        {PlayerInterface, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(written))});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(Property("Rate").toDouble(), rate);
        QCOMPARE(m_form->player().rate(), rate);
        QCOMPARE(Property("PlaybackStatus").toString(), status);
        m_form->pitch().resetPitch();
    }

    // A value of another type than the property's is refused as such, and
    // changes nothing (Qt by itself would turn the string "2" into a rate).
    void wrongTypeIsInvalidArgs_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("number as text") << QVariant(QStringLiteral("2"));
        QTest::newRow("text") << QVariant(QStringLiteral("fast"));
        QTest::newRow("boolean") << QVariant(true);
        QTest::newRow("integer") << QVariant(2);
        QTest::newRow("array of doubles") << QVariant::fromValue(QList<double>{2.0});
    }
    void wrongTypeIsInvalidArgs()
    {
        QFETCH(QVariant, value);
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                                        {PlayerInterface, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(value))});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QCOMPARE(m_form->player().rate(), 1.0);
    }

    // The volume runs from silence to twice the recording's level; outside
    // that the nearest bound, and a value of another type is refused.
    void volume_data()
    {
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<double>("volume");
        QTest::addColumn<QString>("error");
        QTest::newRow("half") << QVariant(0.5) << 0.5 << QString();
        QTest::newRow("amplified") << QVariant(1.55) << 1.55 << QString();
        QTest::newRow("above 2") << QVariant(3.0) << 2.0 << QString();
        QTest::newRow("negative") << QVariant(-0.5) << 0.0 << QString();
        QTest::newRow("text") << QVariant(QStringLiteral("0.5")) << 1.0 << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("integer") << QVariant(0) << 1.0 << "org.freedesktop.DBus.Error.InvalidArgs";
    }
    void volume()
    {
        QFETCH(QVariant, written);
        QFETCH(double, volume);
        QFETCH(QString, error);
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                                        {PlayerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(written))});
        QCOMPARE(reply.errorName(), error);
        QCOMPARE(Property("Volume").toDouble(), volume);
        QCOMPARE(m_form->player().audio().volume(), qRound(volume * 100));
        if (error.isEmpty())
            QTRY_VERIFY(Announced(QStringLiteral("Volume"), volume));
        else
            QVERIFY(!Announced(QStringLiteral("Volume"), {}));
        m_form->player().audio().setVolume(100);
    }

    // Whichever way a file comes in, the metadata names it.
    void metadataFollowsEveryOpening_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("open dialog") << "dialog";
        QTest::newRow("drop") << "drop";
        QTest::newRow("OpenUri") << "uri";
    }
    void metadataFollowsEveryOpening()
    {
        QFETCH(QString, way);
        const QString file = mediaFile(QStringLiteral("names/with blank.wav"));
        const QString before = m_player->Metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
        if (way == QLatin1String("dialog")) {
            auto dialog = std::make_unique<ChoosingDialog>();
            dialog->choice = file;
            m_form->setOpenDialog(std::move(dialog));
            control<ImageButton>(*m_form, "openButton")->clicked();
        } else if (way == QLatin1String("drop")) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            control<ImageButton>(*m_form, "panel")->filesDropped(&data);
        } else {
            QCOMPARE(Player("OpenUri", {QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)}).type(),
                     QDBusMessage::ReplyMessage);
        }
        QTRY_VERIFY(!m_form->player().isOpening());
        const QVariantMap m = m_player->Metadata();
        QCOMPARE(m.value("xesam:title").toString(), QStringLiteral("with blank.wav"));
        QCOMPARE(QUrl(m.value("xesam:url").toString()).toLocalFile(), file);
        QVERIFY(qAbs(m.value("mpris:length").toLongLong() - 2000000) < 50000);
        QVERIFY(m.value("mpris:trackid").value<QDBusObjectPath>().path() != before);
        QTRY_VERIFY(Announced(QStringLiteral("Metadata"), QVariant()));
    }

    void openUriRefusals_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::newRow("web address") << "https://example.com/a.mp3";
        QTest::newRow("missing file") << QUrl::fromLocalFile(mediaFile("absent.wav")).toString();
        QTest::newRow("relative path") << "tone.wav";
        QTest::newRow("folder") << QUrl::fromLocalFile(mediaFile("names")).toString();
    }
    void openUriRefusals()
    {
        QFETCH(QString, uri);
        const QVariantMap before = m_player->Metadata();
        const QDBusMessage reply = Player("OpenUri", {uri});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QCOMPARE(m_player->Metadata(), before);
    }

    // A name in Latin-1, as older dictation systems wrote them, opens by its
    // own bytes and shows readably.
    void latin1NameOpens()
    {
        const QTemporaryDir dir;
        const QByteArray name = QFile::encodeName(dir.path()) + "/Gr\xfc\xdf" "e.wav";
        std::filesystem::copy_file(mediaFile(QStringLiteral("tone.wav")).toStdString(), name.toStdString());
        const QString uri = QStringLiteral("file://") + QString::fromLatin1(name.toPercentEncoding("/"));
        QVERIFY(uri.endsWith(QLatin1String("/Gr%FC%DFe.wav")));
        QCOMPARE(Player("OpenUri", {uri}).type(), QDBusMessage::ReplyMessage);
        QVERIFY(m_form->player().playState() != MediaPlayer::NoFile);
        QCOMPARE(control<QLabel>(*m_form, "fileLabel")->text(), QStringLiteral("grüße.wav"));
        QCOMPARE(m_player->Metadata().value("xesam:title").toString(), QStringLiteral("Grüße.wav"));
        QCOMPARE(m_player->Metadata().value("xesam:url").toString(), uri);
    }

    // A file the command line named but that cannot be opened is on the bar
    // as any unplayable file is: its name, struck through.
    void unopenableFileIsShown()
    {
        m_player->ShowUnopenable(mediaFile(QStringLiteral("Absent Memo.wav")));
        // The engine learns that the file is missing off the GUI thread.
        QTRY_COMPARE(control<QLabel>(*m_form, "fileLabel")->text(), QStringLiteral("absent memo.wav"));
        QTRY_VERIFY(control<QLabel>(*m_form, "fileLabel")->font().strikeOut());
        QCOMPARE(m_form->player().playState(), MediaPlayer::NoFile);
    }
};

QTEST_MAIN(TestMpris)
#include "test_mpris.moc"
