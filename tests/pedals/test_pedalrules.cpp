// SPDX-License-Identifier: GPL-3.0-or-later
// The pedals' rules: reports decoded per model into presses and releases,
// and the actions they carry out on the player (a fake engine: these are the
// rules, the real engine is in test_pedals_e2e).

#include "Capabilities.h"
#include "PedalStream.h"
#include "hotkeys/HotKeyRig.h"
#include "pedals/PedalActions.h"
#include "pedals/KeyPedalDevice.h"
#include "pedals/PedalDevice.h"
#include "pedals/PedalMonitor.h"
#include "rules/PedalTeaching.h"
#include "rules/SettingsStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Step = QPair<Pedal, bool>; // a pedal, down or up
using CodeChanges = QList<QPair<int, bool>>; // a code, down or up; -1 down: skip the pedal asked for
constexpr Pedal L = Pedal::Left, M = Pedal::Middle, R = Pedal::Right, F = Pedal::Fourth;

const PedalModel &model(const char *name)
{
    for (const PedalModel &m : PedalModels) {
        if (QByteArray(m.name).startsWith(name))
            return m;
    }
    qFatal("no model %s", name);
}

QString eventText(Pedal pedal, bool down)
{
    return pedalLabel(pedal).left(1) + (down ? u'+' : u'-');
}

QByteArray inputEvent(int type, int code, int value)
{
    input_event event{};
    event.type = std::uint16_t(type);
    event.code = std::uint16_t(code);
    event.value = value;
    return QByteArray(reinterpret_cast<const char *>(&event), sizeof event);
}
QByteArray key(int code, int value) { return inputEvent(EV_KEY, code, value); }

} // namespace

class TestPedalRules : public QObject
{
    Q_OBJECT
private slots:
    // Recorded report streams through the real reader: what each model's
    // bits mean, several pedals at once, bad reports, and a pull-out.
    void reports_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<QString>("events");
        using B = QByteArray;
        const auto vec = [](char bits) { return B(1, bits) + B(1, '\0'); };
        QTest::newRow("VEC left, middle, right in turn")
            << "VEC" << QList<B>{vec(1), vec(0), vec(2), vec(0), vec(4), vec(0)} << false << "L+ L- M+ M- R+ R-";
        QTest::newRow("VEC two held at once, released together")
            << "VEC" << QList<B>{vec(2), vec(3), vec(0)} << false << "M+ L+ L- M-";
        QTest::newRow("VEC unknown bits ignored") << "VEC" << QList<B>{vec(char(0xf8)), vec(char(0xfa))} << false << "M+";
        QTest::newRow("VEC wrong lengths ignored")
            << "VEC" << QList<B>{B("\x01"), B("\x02\0\0", 3), vec(4)} << false << "R+";
        QTest::newRow("VEC pulled out while held")
            << "VEC" << QList<B>{vec(3)} << true << "L+ M+ L- M- lost";
        QTest::newRow("ACC2310 rewind, play, forward")
            << "Philips ACC2310" << QList<B>{B("\x01"), B("\x03"), B("\x04"), B(1, '\0')} << false << "L+ M+ L- M- R+ R-";
        QTest::newRow("ACC2310 longer reports read from byte 0")
            << "Philips ACC2310" << QList<B>{B("\x02\0\0", 3), B(2, '\0')} << false << "M+ M-";
        QTest::newRow("ACC2310 has no fourth pedal") << "Philips ACC2310" << QList<B>{B("\x08")} << false << "";
        QTest::newRow("ACC2330 fourth pedal") << "Philips ACC2330" << QList<B>{B("\x08"), B("\x0a"), B(1, '\0')} << false
                                              << "F+ M+ M- F-";
        const auto olympus = [](char bits) { return B(2, '\0') + B(1, bits); };
        QTest::newRow("RS-28 byte 2: 1 left, 4 middle, 2 right")
            << "Olympus RS-28" << QList<B>{olympus(1), olympus(5), olympus(2), olympus(0)} << false << "L+ M+ L- M- R+ R-";
        QTest::newRow("RS-31H byte 2: 4 left, 2 middle, 1 right")
            << "Olympus RS-31H" << QList<B>{olympus(4), olympus(2), olympus(1), olympus(0)} << false << "L+ L- M+ M- R+ R-";
        QTest::newRow("RS-28 short report carries no pedal") << "Olympus RS-28" << QList<B>{B("\x01\x01")} << false << "";
        QTest::newRow("RS-26 untaught reads nothing") << "Olympus RS-26" << QList<B>{olympus(7), B("\x07")} << false << "";
        QTest::newRow("Grundig byte 0: 1, 2, 4")
            << "Grundig" << QList<B>{B("\x01"), B("\x02"), B("\x04"), B(1, '\0')} << false << "L+ L- M+ M- R+ R-";
        QTest::newRow("older Philips as the ACC2310")
            << "Philips foot control (older" << QList<B>{B("\x04"), B(1, '\0')} << false << "R+ R-";
    }

    void reports()
    {
        QFETCH(QString, model);
        QFETCH(QList<QByteArray>, reports);
        QFETCH(bool, unplug);
        QFETCH(QString, events);

        PedalStream stream;
        PedalMonitor monitor;
        monitor.addDevice(stream.node, ::model(qPrintable(model)), QStringLiteral("test"));
        QStringList seen;
        connect(&monitor, &PedalMonitor::pedalPressed, this, [&](Pedal p) { seen << eventText(p, true); });
        connect(&monitor, &PedalMonitor::pedalReleased, this, [&](Pedal p) { seen << eventText(p, false); });
        connect(&monitor, &PedalMonitor::pedalsChanged, this, [&] {
            if (monitor.pedals().isEmpty())
                seen << "lost";
        });
        for (const QByteArray &report : reports)
            QVERIFY(stream.send(report));
        if (unplug)
            stream.unplug();
        QTRY_COMPARE(seen.join(u' '), events);
        // Nothing further arrives later.
        QTest::qWait(20);
        QCOMPARE(seen.join(u' '), events);
    }

    // Event streams of pedals that type keys through the real reader, one
    // write at a time, each read before the next.
    void keyEvents_data()
    {
        QTest::addColumn<int>("model"); // in KeyPedalModels
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QList<int>>("codes"); // the raw codes told: down +code, up -code
        using B = QByteArray;
        const B sync = inputEvent(EV_SYN, SYN_REPORT, 0);
        const B middle = key(KEY_5, 1);
        QTest::newRow("Savant left, middle, right in turn, Ctrl+Alt around each")
            << 0
            << QList<B>{key(KEY_LEFTCTRL, 1) + key(KEY_LEFTALT, 1) + key(KEY_4, 1) + sync,
                        key(KEY_4, 0) + key(KEY_LEFTALT, 0) + key(KEY_LEFTCTRL, 0) + sync,
                        key(KEY_5, 1) + key(KEY_5, 0) + key(KEY_6, 1) + key(KEY_6, 0)}
            << false << "L+ L- M+ M- R+ R-"
            << QList<int>{KEY_LEFTCTRL, KEY_LEFTALT, KEY_4, -KEY_4, -KEY_LEFTALT, -KEY_LEFTCTRL,
                          KEY_5, -KEY_5, KEY_6, -KEY_6};
        QTest::newRow("autorepeat, or a second down, is no press")
            << 0 << QList<B>{middle, key(KEY_5, 2), key(KEY_5, 2) + middle + key(KEY_5, 0)} << false << "M+ M-"
            << QList<int>{KEY_5, KEY_5, -KEY_5};
        QTest::newRow("other keys and other events: raw codes only")
            << 0
            << QList<B>{key(KEY_A, 1) + inputEvent(EV_REL, KEY_4, 1) + inputEvent(EV_MSC, MSC_SCAN, KEY_5)
                        + key(KEY_A, 0)}
            << false << "" << QList<int>{KEY_A, -KEY_A};
        QTest::newRow("an event split across two writes")
            << 0 << QList<B>{middle.left(10), middle.mid(10) + key(KEY_5, 0).left(3), key(KEY_5, 0).mid(3)} << false
            << "M+ M-" << QList<int>{KEY_5, -KEY_5};
        QTest::newRow("pulled out while held, half an event sent")
            << 0 << QList<B>{key(KEY_4, 1) + key(KEY_6, 1) + middle.left(7)} << true << "L+ R+ L- R- lost"
            << QList<int>{KEY_4, KEY_6};
        QTest::newRow("PCsensor: no key known until taught")
            << 1 << QList<B>{key(KEY_B, 1) + key(KEY_B, 0) + middle} << true << "lost"
            << QList<int>{KEY_B, -KEY_B, KEY_5};
    }

    void keyEvents()
    {
        QFETCH(int, model);
        QFETCH(QList<QByteArray>, writes);
        QFETCH(bool, unplug);
        QFETCH(QString, events);

        int fds[2];
        QVERIFY(::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0);
        const auto closeFeed = qScopeGuard([&] {
            if (fds[1] >= 0)
                ::close(fds[1]);
        });
        PedalMonitor monitor;
        // Not an event node: it cannot be taken, and is read all the same.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot take pedal"));
        monitor.addKeyDevice(fds[0], KeyPedalModels[model], QStringLiteral("test"));
        QCOMPARE(monitor.pedals().size(), 1);
        QStringList seen;
        QList<int> codes;
        connect(&monitor, &PedalMonitor::pedalPressed, this, [&](Pedal p) { seen << eventText(p, true); });
        connect(&monitor, &PedalMonitor::pedalReleased, this, [&](Pedal p) { seen << eventText(p, false); });
        connect(&monitor, &PedalMonitor::pedalsChanged, this, [&] {
            if (monitor.pedals().isEmpty())
                seen << "lost";
        });
        connect(&monitor, &PedalMonitor::rawCode, this, [&](const QString &node, int code, bool down) {
            QCOMPARE(node, QStringLiteral("test"));
            codes << (down ? code : -code);
        });
        for (const QByteArray &bytes : writes) {
            QCOMPARE(::write(fds[1], bytes.constData(), bytes.size()), ssize_t(bytes.size()));
            QTRY_VERIFY([&] {
                int unread = -1;
                return ::ioctl(fds[0], FIONREAD, &unread) == 0 && unread == 0;
            }());
        }
        if (unplug)
            ::close(std::exchange(fds[1], -1));
        QTRY_COMPARE(seen.join(u' '), events);
        QTest::qWait(20);
        QCOMPARE(seen.join(u' '), events);
        QTEST(codes, "codes");
    }

    // Keys as a taught list maps them (the table's are in keyEvents).
    void pedalOfKey_data()
    {
        QTest::addColumn<PedalKeys>("keys");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pedal"); // -1: none
        const PedalKeys taught{KEY_A, -1, KEY_LEFTSHIFT, KEY_B};
        QTest::newRow("taught fourth pedal") << taught << KEY_B << int(F);
        QTest::newRow("a modifier is never a pedal, taught or not") << taught << KEY_LEFTSHIFT << -1;
    }

    void pedalOfKey()
    {
        QFETCH(PedalKeys, keys);
        QFETCH(int, code);
        const std::optional<Pedal> pedal = ::pedalOfKey(keys, code);
        QTEST(pedal ? int(*pedal) : -1, "pedal");
    }

    void severalDevicesActAsOne()
    {
        PedalStream a, b;
        PedalMonitor monitor;
        monitor.addDevice(a.node, model("VEC"), QStringLiteral("a"));
        monitor.addDevice(b.node, model("Philips ACC2310"), QStringLiteral("b"));
        int keys[2];
        QVERIFY(::pipe2(keys, O_NONBLOCK | O_CLOEXEC) == 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot take pedal"));
        monitor.addKeyDevice(keys[0], KeyPedalModels[0], QStringLiteral("k"));
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        QSignalSpy released(&monitor, &PedalMonitor::pedalReleased);
        a.send(QByteArray("\x02\0", 2));
        b.send("\x02");
        const QByteArray middle = key(KEY_5, 1);
        QCOMPARE(::write(keys[1], middle.constData(), middle.size()), ssize_t(middle.size()));
        QTRY_COMPARE(pressed.count(), 1);
        a.unplug(); // one device gone, the others still hold the middle pedal
        QTRY_COMPARE(monitor.pedals().size(), 2);
        b.send(QByteArray(1, '\0'));
        QTest::qWait(20);
        QCOMPARE(released.count(), 0);
        QVERIFY(monitor.isDown(M));
        ::close(keys[1]); // pulled out: the last one lets go
        QTRY_COMPARE(released.count(), 1);
        QCOMPARE(pressed.count(), 1);
    }

    // Presses in turn, as codes going down and up: what each pedal learns.
    void teaching_data()
    {
        QTest::addColumn<int>("pedals");
        QTest::addColumn<CodeChanges>("changes");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("done");
        using C = CodeChanges;
        QTest::newRow("three report bits")
            << 3 << C{{18, true}, {18, false}, {16, true}, {16, false}, {17, true}, {17, false}} << QList<int>{18, 16, 17, -1}
            << true;
        // Ctrl (29) and Alt (56) before the key, released after it.
        QTest::newRow("keys behind modifiers")
            << 3 << C{{29, true}, {56, true}, {5, true}, {5, false}, {56, false}, {29, false}, {29, true}, {56, true},
                      {6, true}, {6, false}, {56, false}, {29, false}}
            << QList<int>{5, 6, -1, -1} << false;
        QTest::newRow("a pedal already taught is passed over")
            << 3 << C{{0, true}, {0, false}, {0, true}, {0, false}, {2, true}, {2, false}} << QList<int>{0, 2, -1, -1}
            << false;
        QTest::newRow("no middle pedal, a fourth")
            << 4 << C{{0, true}, {0, false}, {-1, true}, {1, true}, {1, false}, {3, true}, {3, false}}
            << QList<int>{0, -1, 1, 3} << true;
        QTest::newRow("released without a press teaches nothing") << 3 << C{{4, false}} << QList<int>{-1, -1, -1, -1}
                                                                   << false;
    }

    void teaching()
    {
        QFETCH(int, pedals);
        QFETCH(CodeChanges, changes);
        QFETCH(QList<int>, codes);
        QFETCH(bool, done);
        PedalTeacher teacher(pedals);
        for (const auto &[code, down] : changes) {
            if (code < 0)
                teacher.skip();
            else
                teacher.codeChanged(code, down);
        }
        QCOMPARE(QList<int>(teacher.codes().begin(), teacher.codes().end()), codes);
        QCOMPARE(!teacher.asking().has_value(), done);
    }

    // A taught layout is kept by USB id, survives junk beside it, and is
    // what the reader follows from then on, also for a pedal open already.
    void taughtLayoutReadsThePedal()
    {
        SettingsStore store;
        QVERIFY(store.setSection(QStringLiteral("taught-pedals"),
                                 {{"zzzz-0001", "report 1 2 3 -1"}, {"05f3-00ff", "report 1 2"}, {"05f3-030c", "bits"}}));
        QCOMPARE(LoadTaughtLayouts(store).size(), 0);
        const TaughtLayout swapped{0x05f3, 0x00ff, false, {2, 1, 0, -1}};
        QVERIFY(SaveTaughtLayout(store, swapped));
        QVERIFY(SaveTaughtLayout(store, {0x05f3, 0x030c, true, {KEY_6, KEY_5, KEY_4, -1}}));
        const QList<TaughtLayout> layouts = LoadTaughtLayouts(SettingsStore());
        QCOMPARE(layouts.size(), 2);
        QCOMPARE(*findTaughtLayout(layouts, 0x05f3, 0x00ff), swapped);

        PedalStream stream;
        int keys[2];
        QVERIFY(::pipe2(keys, O_NONBLOCK | O_CLOEXEC) == 0);
        const auto closeFeed = qScopeGuard([&] { ::close(keys[1]); });
        PedalMonitor monitor;
        monitor.addDevice(stream.node, model("VEC"), QStringLiteral("taught"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot take pedal"));
        monitor.addKeyDevice(keys[0], KeyPedalModels[0], QStringLiteral("keys"));
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        monitor.setTaughtLayouts(layouts);
        QCOMPARE(monitor.pedals().constFirst().model, QStringLiteral("VEC Infinity IN-USB"));
        stream.send(QByteArray("\x01\0", 2));
        QTRY_COMPARE(pressed.count(), 1);
        const QByteArray left = key(KEY_6, 1);
        QCOMPARE(::write(keys[1], left.constData(), left.size()), ssize_t(left.size()));
        QTRY_COMPARE(pressed.count(), 2);
        QCOMPARE(pressed.at(0).at(0).value<Pedal>(), R);
        QCOMPARE(pressed.at(1).at(0).value<Pedal>(), L);
    }

    // While taught, a pedal acts on nothing but its bits still come raw;
    // one held when teaching starts counts as released.
    void teachingSilencesThePedals()
    {
        PedalStream stream;
        PedalMonitor monitor;
        monitor.addDevice(stream.node, model("VEC"), QStringLiteral("held"));
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        QSignalSpy released(&monitor, &PedalMonitor::pedalReleased);
        QSignalSpy raw(&monitor, &PedalMonitor::rawCode);
        stream.send(QByteArray("\x02\0", 2));
        QTRY_COMPARE(pressed.count(), 1);
        QVERIFY(monitor.beginTeaching(monitor.teachable().constFirst()));
        QCOMPARE(released.count(), 1);
        stream.send(QByteArray("\x06\0", 2));
        QTRY_COMPARE(raw.count(), 2); // bit 1 down before, then bit 2
        QCOMPARE(raw.last(), (QVariantList{QStringLiteral("held"), 2, true}));
        QCOMPARE(pressed.count(), 1);
        monitor.endTeaching();
        stream.send(QByteArray("\x07\0", 2));
        QTRY_COMPARE(pressed.count(), 2);
    }

    void floodOfReports()
    {
        PedalStream stream;
        PedalMonitor monitor;
        monitor.addDevice(stream.node, model("VEC"), QStringLiteral("flood"));
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        int sent = 0;
        // Until the socket is full: far more than one wake-up reads.
        while (stream.send(QByteArray(sent % 2 ? "\x00\x00" : "\x02\x00", 2)) && sent < 5000)
            ++sent;
        QVERIFY(sent > PedalDevice::MaxReportsPerWake);
        QTRY_COMPARE(pressed.count(), (sent + 1) / 2);
        QCOMPARE(monitor.isDown(M), sent % 2 == 1);
    }

    // The actions on the player, from presses and releases.
    void actions_data()
    {
        QTest::addColumn<bool>("fileOpen");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("autoRewind");
        QTest::addColumn<QList<PedalAction>>("actions"); // empty: the defaults
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("pauses");
        QTest::addColumn<QList<double>>("writes");
        QTest::addColumn<int>("playPauseCount"); // the hot keys' counter after

        using A = PedalAction;
        const QList<A> defaults;
        QTest::newRow("middle held plays, release pauses and rewinds")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{M, true}, {M, false}} << 1 << 1 << QList<double>{9.0} << 0;
        QTest::newRow("middle held: the play counts as a play for the hot keys")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{M, true}} << 1 << 0 << QList<double>{} << 2;
        QTest::newRow("auto-rewind near the start stops at 0")
            << true << 0.4 << 1.0 << defaults << QList<Step>{{M, true}, {M, false}} << 1 << 1 << QList<double>{0.0} << 0;
        QTest::newRow("auto-rewind off")
            << true << 10.0 << 0.0 << defaults << QList<Step>{{M, true}, {M, false}} << 1 << 1 << QList<double>{} << 0;
        QTest::newRow("left winds back a step")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{L, true}, {L, false}} << 0 << 0 << QList<double>{7.0} << 1;
        QTest::newRow("left refuses before the start")
            << true << 2.0 << 1.0 << defaults << QList<Step>{{L, true}, {L, false}} << 0 << 0 << QList<double>{} << 1;
        QTest::newRow("right winds forward a step")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{R, true}, {R, false}} << 0 << 0 << QList<double>{13.0} << 1;
        QTest::newRow("right never past the end")
            << true << 18.0 << 1.0 << defaults << QList<Step>{{R, true}, {R, false}} << 0 << 0 << QList<double>{} << 1;
        QTest::newRow("middle held while the left winds back")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{M, true}, {L, true}, {L, false}, {M, false}} << 1 << 1
            << QList<double>{7.0, 6.0} << 0;
        QTest::newRow("left and right together")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{L, true}, {R, true}, {R, false}, {L, false}} << 0 << 0
            << QList<double>{7.0, 10.0} << 1;
        QTest::newRow("a second press without release does nothing")
            << true << 10.0 << 1.0 << defaults << QList<Step>{{L, true}, {L, true}} << 0 << 0 << QList<double>{7.0} << 1;
        QTest::newRow("no file open: nothing")
            << false << 10.0 << 1.0 << defaults << QList<Step>{{M, true}, {L, true}, {L, false}, {M, false}} << 0 << 0
            << QList<double>{} << 1;
        QTest::newRow("chosen: middle toggles play and pause")
            << true << 10.0 << 1.0 << QList<A>{A::WindBack, A::PlayPause, A::WindForward, A::Nothing}
            << QList<Step>{{M, true}, {M, false}, {M, true}, {M, false}} << 1 << 1 << QList<double>{} << 0;
        QTest::newRow("chosen: right back to start, left nothing, fourth plays")
            << true << 10.0 << 1.0 << QList<A>{A::Nothing, A::Nothing, A::BackToStart, A::PlayWhileHeld}
            << QList<Step>{{L, true}, {R, true}, {F, true}} << 1 << 0 << QList<double>{0.0} << 2;
    }

    void actions()
    {
        QFETCH(bool, fileOpen);
        QFETCH(double, start);
        QFETCH(double, autoRewind);
        QFETCH(QList<PedalAction>, actions);
        QFETCH(QList<Step>, steps);

        HotKeyRig rig;
        rig.player.state = fileOpen ? MediaPlayer::Paused : MediaPlayer::NoFile;
        rig.player.position = start;
        rig.player.duration = 20;
        // Mid-cycle counters, to see whether a pedal resets them.
        rig.hotKeys.setCounts({1, 1, 1});
        PedalActions pedals(rig.controller);
        PedalSettings settings;
        settings.autoRewindSeconds = autoRewind;
        for (int i = 0; i < actions.size(); ++i)
            settings.actions[i] = actions[i];
        pedals.setSettings(settings);

        for (const Step &step : steps)
            step.second ? pedals.press(step.first) : pedals.release(step.first);

        QTEST(rig.player.plays, "plays");
        QTEST(rig.player.pauses, "pauses");
        QTEST(rig.player.writes, "writes");
        QTEST(int(rig.counts().playPause), "playPauseCount");
    }

    void repeatWhileHeld_data()
    {
        QTest::addColumn<Pedal>("pedal");
        QTest::addColumn<double>("start");
        QTest::addColumn<bool>("releaseAtLast"); // or keep holding
        QTest::addColumn<QList<double>>("writes");
        // A delay of 100 ms, then a step every 50 ms.
        QTest::newRow("back, released at once") << L << 30.0 << true << QList<double>{29.0};
        QTest::newRow("back, held for three repeats") << L << 30.0 << true << QList<double>{29, 28, 27, 26};
        QTest::newRow("back, held: stops at the start") << L << 2.5 << false << QList<double>{1.5, 0.5};
        QTest::newRow("forward, held: stops at the end") << R << 17.5 << false << QList<double>{18.5, 19.5};
    }

    void repeatWhileHeld()
    {
        QFETCH(Pedal, pedal);
        QFETCH(double, start);
        QFETCH(bool, releaseAtLast);
        QFETCH(QList<double>, writes);

        HotKeyRig rig;
        rig.windStep = 1;
        rig.player.state = MediaPlayer::Paused;
        rig.player.position = start;
        rig.player.duration = 20;
        PedalActions pedals(rig.controller);
        PedalSettings settings;
        settings.repeatDelayMs = 100;
        settings.repeatPaceMs = 50;
        pedals.setSettings(settings);
        QElapsedTimer clock;
        QList<qint64> at;
        connect(&rig.controller, &Player::positionChanged, this, [&] { at << clock.elapsed(); });

        clock.start();
        pedals.press(pedal);
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.writes.size(), writes.size(), 5000);
        if (releaseAtLast)
            pedals.release(pedal);
        QTest::qWait(300);
        QCOMPARE(rig.player.writes, writes);
        // Timers may run late on a busy machine, but never early.
        for (int i = 1; i < at.size(); ++i)
            QVERIFY2(at[i] - at[i - 1] >= (i == 1 ? 95 : 45), qPrintable(QString::number(at[i] - at[i - 1])));
    }

    void unreadableNodeToldOnce()
    {
        QTemporaryDir dir;
        const QStringList nodes = {dir.filePath("hidraw0"), dir.filePath("hidraw1")};
        for (const QString &node : nodes) {
            QFile file(node);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        }
        const FileModesHold asUser;
        QVERIFY2(asUser, "cannot run as an ordinary user");
        PedalMonitor monitor;
        QSignalSpy told(&monitor, &PedalMonitor::cannotOpen);
        QVERIFY(!monitor.openPedal(model("VEC"), nodes[0]));
        QVERIFY(!monitor.openPedal(model("Philips ACC2330"), nodes[1]));
        QVERIFY(!monitor.openPedal(model("VEC"), nodes[0]));
        QVERIFY(!monitor.openKeyPedal(KeyPedalModels[0], nodes[1]));
        QCOMPARE(told.count(), 1);
        const QString message = told.at(0).at(0).toString();
        QVERIFY2(message.contains(nodes[0]) && message.contains("cmake --install"), qPrintable(message));
        QVERIFY(monitor.pedals().isEmpty());
        // A node that vanished is no permission problem, and not told.
        PedalMonitor other;
        QSignalSpy otherTold(&other, &PedalMonitor::cannotOpen);
        QVERIFY(!other.openPedal(model("VEC"), dir.filePath("gone")));
        QCOMPARE(otherTold.count(), 0);
    }

    void badStoredSettingsReadAsDefaults()
    {
        QFile::remove(SettingsStore().filePath());
        QVERIFY(SettingsStore().setSection(QStringLiteral("pedals"),
                                    {{"left", "fly"}, {"autoRewindSeconds", "-3"}, {"repeatPaceMs", "1e9"}}));
        QCOMPARE(LoadPedalSettings(SettingsStore()), PedalSettings{});
    }

    void udevRuleCoversEveryModel()
    {
        QFile rules(QStringLiteral(MURMELVOX_PEDAL_RULES));
        QVERIFY(rules.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(rules.readAll());
        for (const PedalModel &m : PedalModels) {
            const QString line = QStringLiteral("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"")
                                     .arg(m.vendor, 4, 16, QLatin1Char('0'))
                                     .arg(m.product, 4, 16, QLatin1Char('0'));
            QVERIFY2(text.contains(line), m.name);
        }
        for (const KeyPedalModel &m : KeyPedalModels) {
            const QString line = QStringLiteral("KERNEL==\"event*\", SUBSYSTEM==\"input\", ATTRS{idVendor}==\"%1\", "
                                                "ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"")
                                     .arg(m.vendor, 4, 16, QLatin1Char('0'))
                                     .arg(m.product, 4, 16, QLatin1Char('0'));
            QVERIFY2(text.contains(line), m.name);
        }
    }
};

QTEST_GUILESS_MAIN(TestPedalRules)
#include "test_pedalrules.moc"
