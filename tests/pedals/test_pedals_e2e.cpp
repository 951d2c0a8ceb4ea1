// SPDX-License-Identifier: GPL-3.0-or-later
// The pedals' reading path end to end: recorded reports of a VEC pedal
// through a packet socket pair into the real reader, the real player and
// the real engine playing generated speech with the null audio output. And,
// where the kernel offers /dev/uhid, a virtual pedal found, read and lost.

#include "PedalStream.h"
#include "playback/MediaFiles.h"
#include "hotkeys/HotKeys.h"
#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr double WindStep = 2;
constexpr double Slack = 0.15; // the engine plays on while a report travels

QByteArray vec(char bits)
{
    return QByteArray(1, bits) + QByteArray(1, '\0');
}

} // namespace

class TestPedalsE2E : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void recordedReportsDrivePlayback()
    {
        Player player(std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return WindStep; });
        HotKeys hotKeys(player);
        PedalMonitor monitor;
        PedalActions pedals(player);
        pedals.listenTo(monitor);
        PedalStream stream;
        monitor.addDevice(stream.node, PedalModels[0], QStringLiteral("recorded"));

        // No file yet: the middle pedal plays nothing.
        stream.send(vec(2));
        stream.send(vec(0));
        QTest::qWait(100);
        QCOMPARE(player.playState(), MediaPlayer::NoFile);

        player.open(mediaFile(QStringLiteral("speech.mp3")));
        QTRY_VERIFY(player.hasFile());
        player.jumpTo(10);

        // Middle down: plays.
        stream.send(vec(2));
        QTRY_VERIFY(player.isPlaying());
        QCOMPARE(hotKeys.counts().playPause, std::int16_t(2));
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 11, 5000);

        // Middle up: pauses, one second back.
        double before = player.position();
        stream.send(vec(0));
        QTRY_COMPARE(player.playState(), MediaPlayer::Paused);
        QVERIFY2(std::abs(player.position() - (before - 1)) < Slack, qPrintable(QString::number(player.position())));
        QCOMPARE(hotKeys.counts().playPause, std::int16_t(0));

        // Left: one wind step back; right: one on.
        before = player.position();
        stream.send(vec(1));
        stream.send(vec(0));
        QTRY_VERIFY(std::abs(player.position() - (before - WindStep)) < 0.01);
        stream.send(vec(4));
        stream.send(vec(0));
        QTRY_VERIFY(std::abs(player.position() - before) < 0.01);

        // Near the start, the release stops at 0.
        player.jumpTo(0.3);
        stream.send(vec(2));
        QTRY_VERIFY(player.isPlaying());
        stream.send(vec(0));
        QTRY_COMPARE(player.playState(), MediaPlayer::Paused);
        QCOMPARE(player.position(), 0.0);

        // Pulled out while playing: counts as released.
        player.jumpTo(20);
        stream.send(vec(2));
        QTRY_VERIFY(player.isPlaying());
        QTest::qWait(300);
        before = player.position();
        stream.unplug();
        QTRY_COMPARE(player.playState(), MediaPlayer::Paused);
        QVERIFY2(std::abs(player.position() - (before - 1)) < Slack, qPrintable(QString::number(player.position())));
        QTRY_VERIFY(monitor.pedals().isEmpty());
    }

    void virtualPedalFoundReadAndLost()
    {
        const int uhid = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
        if (uhid < 0) {
            QSKIP(qPrintable(QStringLiteral("cannot make a virtual pedal: /dev/uhid %1 (the kernel's uhid module "
                                            "is absent or not loaded here)")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        }
        // Three buttons in bits 0 to 2 of a two-byte report, as the VEC pedal sends.
        static const unsigned char descriptor[] = {
            0x05, 0x0c, 0x09, 0x03, 0xa1, 0x01,             // consumer page, application
            0x05, 0x09, 0x19, 0x01, 0x29, 0x03,             // buttons 1 to 3
            0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, // one bit each
            0x81, 0x02,                                     // input
            0x75, 0x0d, 0x95, 0x01, 0x81, 0x03,             // 13 bits of padding
            0xc0};
        uhid_event create{};
        create.type = UHID_CREATE2;
        std::strcpy(reinterpret_cast<char *>(create.u.create2.name), "Murmelvox test pedal");
        create.u.create2.rd_size = sizeof descriptor;
        std::memcpy(create.u.create2.rd_data, descriptor, sizeof descriptor);
        create.u.create2.bus = 0x03; // USB
        create.u.create2.vendor = PedalModels[0].vendor;
        create.u.create2.product = PedalModels[0].product;
        QCOMPARE(::write(uhid, &create, sizeof create), ssize_t(sizeof create));

        PedalMonitor monitor;
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        QSignalSpy released(&monitor, &PedalMonitor::pedalReleased);
        // The kernel makes the raw HID node a moment after the device.
        QDeadlineTimer deadline(5000);
        while (monitor.pedals().isEmpty() && !deadline.hasExpired()) {
            QTest::qWait(100);
            monitor.start();
        }
        QCOMPARE(monitor.pedals().size(), 1);

        uhid_event input{};
        input.type = UHID_INPUT2;
        input.u.input2.size = 2;
        input.u.input2.data[0] = 0x02;
        QCOMPARE(::write(uhid, &input, sizeof input), ssize_t(sizeof input));
        QTRY_COMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Pedal>(), Pedal::Middle);

        // Pulled out while held.
        uhid_event destroy{};
        destroy.type = UHID_DESTROY;
        QCOMPARE(::write(uhid, &destroy, sizeof destroy), ssize_t(sizeof destroy));
        ::close(uhid);
        QTRY_COMPARE(released.count(), 1);
        QTRY_VERIFY(monitor.pedals().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPedalsE2E)
#include "test_pedals_e2e.moc"
