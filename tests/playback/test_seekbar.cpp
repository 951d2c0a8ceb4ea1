// SPDX-License-Identifier: GPL-3.0-or-later
// The seek bar in the bar's top strip, over a player on the real engine.

#include "MediaFiles.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "ui/SeekBar.h"

#include <QAccessible>
#include <QApplication>
#include <QtTest>

namespace {

struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
    int count = 0;
};

// The seek bar as the bar has it, shown, over a player that owns its engine.
struct Rig
{
    Player player{std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 3.0; }};
    SeekBar bar{player};
    MediaPlayer &mp = player.engine();

    bool shown()
    {
        bar.show();
        return QTest::qWaitForWindowExposed(&bar);
    }
    void open(const char *name) { openNow(mp, mediaFile(name)); }
};

} // namespace

class TestSeekBar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void geometryAndName()
    {
        Rig rig;
        QCOMPARE(rig.bar.size(), QSize(134, 43));
        QCOMPARE(rig.bar.accessibleName(), QStringLiteral("Seek bar"));
        QCOMPARE(rig.mp.PlayState(), MediaPlayer::NoFile);
        QCOMPARE(rig.mp.CurrentPosition(), 0.0);
    }

    void screenReaderSeesAndMovesTheValue()
    {
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        QAccessibleInterface *slider = QAccessible::queryAccessibleInterface(&rig.bar);
        QVERIFY(slider);
        QCOMPARE(slider->role(), QAccessible::Slider);
        QCOMPARE(slider->text(QAccessible::Name), QStringLiteral("Seek bar"));
        QAccessibleValueInterface *value = slider->valueInterface();
        QVERIFY(value);
        value->setCurrentValue(3.0);  // no file: nothing moves
        QCOMPARE(mp.CurrentPosition(), 0.0);

        rig.open("tone.wav");
        mp.setCurrentPosition(12.5);
        QCOMPARE(value->currentValue().toDouble(), 12.5);
        QCOMPARE(value->maximumValue().toDouble(), 20.0);
        QCOMPARE(slider->text(QAccessible::Value), QStringLiteral("12.5 of 20 seconds"));
        QSignalSpy jumps(&rig.player, &Player::positionChanged);
        value->setCurrentValue(4.25);
        QCOMPARE(mp.CurrentPosition(), 4.25);
        QCOMPARE(jumps.size(), 1);
    }

    void clickMovesThePosition_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("y");
        QTest::newRow("start") << 0.0 << 9;
        QTest::newRow("middle") << 0.5 << 9;
        QTest::newRow("three quarters, top row") << 0.75 << 0;
        QTest::newRow("end, bottom row") << 1.0 << 17;
    }

    void clickMovesThePosition()
    {
        QFETCH(double, fraction);
        QFETCH(int, y);
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        rig.open("tone.wav");
        mp.setCurrentPosition(10);
        QSignalSpy jumps(&rig.player, &Player::positionChanged);
        // The track lies between the handle's half widths (3 px each side).
        const int x = 3 + int(fraction * (rig.bar.width() - 7) + 0.5);
        QTest::mouseClick(&rig.bar, Qt::LeftButton, {}, QPoint(x, y));
        QVERIFY2(std::abs(mp.CurrentPosition() - fraction * 20.0) < 20.0 / 128 + 1e-9,
                 qPrintable(QString::number(mp.CurrentPosition())));
        // One jump, made by the player.
        QCOMPARE(jumps.size(), 1);
        QCOMPARE(jumps.at(0).at(0).toDouble(), mp.CurrentPosition());
        QCOMPARE(mp.PlayState(), MediaPlayer::Stopped);  // moving does not start playback
    }

    void clickBelowTheStripDoesNothing()
    {
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        rig.open("tone.wav");
        mp.setCurrentPosition(4);
        QTest::mouseClick(&rig.bar, Qt::LeftButton, {}, QPoint(100, 30));
        QCOMPARE(mp.CurrentPosition(), 4.0);
    }

    void clickWithNoFileDoesNothing()
    {
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        QTest::mouseClick(&rig.bar, Qt::LeftButton, {}, QPoint(60, 9));
        QCOMPARE(mp.CurrentPosition(), 0.0);
        QCOMPARE(mp.PlayState(), MediaPlayer::NoFile);
    }

    void dragWhilePlaying()
    {
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        rig.open("speech.mp3");
        mp.Play();
        QTest::mousePress(&rig.bar, Qt::LeftButton, {}, QPoint(20, 9));
        QTest::mouseMove(&rig.bar, QPoint(67, 9));
        const double middle = mp.Duration() * (67 - 3) / (rig.bar.width() - 7.0);
        QVERIFY(std::abs(mp.CurrentPosition() - middle) < 0.5);
        QTest::mouseRelease(&rig.bar, Qt::LeftButton, {}, QPoint(67, 9));
        // Moving the mouse after the release moves nothing.
        QTest::mouseMove(&rig.bar, QPoint(120, 9));
        QVERIFY(std::abs(mp.CurrentPosition() - middle) < 0.5);
        QVERIFY(QTest::qWaitFor([&] { return mp.CurrentPosition() > middle + 0.2; }, 3000));
        QCOMPARE(mp.PlayState(), MediaPlayer::Playing);
    }

    // While playing, the bar is repainted when the played part has grown by
    // a pixel, as the engine reports the position: not at every tick of a
    // timer, and not held back to one.
    void repaintsFollowThePixels_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("fewest");
        QTest::addColumn<int>("most");
        // tone.wav: 20 s over a 127-pixel track, a pixel every 0.157 s at 1x
        QTest::newRow("0.1x: a pixel every 1.6 s") << 0.1 << 0 << 4;
        QTest::newRow("1x: six pixels a second") << 1.0 << 6 << 16;
        QTest::newRow("4x: more pixels than ten ticks a second could show") << 4.0 << 23 << 60;
    }

    void repaintsFollowThePixels()
    {
        QFETCH(double, rate);
        QFETCH(int, fewest);
        QFETCH(int, most);
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        rig.open("tone.wav");
        mp.setRate(rate);
        mp.Play();
        QTest::qWait(300);
        PaintCounter paints(&rig.bar);
        QTest::qWait(2000);
        QCOMPARE(mp.PlayState(), MediaPlayer::Playing);
        QVERIFY2(paints.count >= fewest && paints.count <= most, qPrintable(QString::number(paints.count)));
    }

    // The played part follows the player's jumps, whoever makes them.
    void paintsWhatThePlayerPushes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("jump");
        QTest::addColumn<bool>("startPlayed");
        QTest::addColumn<bool>("endPlayed");
        QTest::newRow("no file") << "" << 10.0 << false << false;
        QTest::newRow("middle") << "tone.wav" << 10.0 << true << false;
        QTest::newRow("end") << "tone.wav" << 20.0 << true << true;
        QTest::newRow("back to the start") << "tone.wav" << 0.0 << false << false;
    }

    void paintsWhatThePlayerPushes()
    {
        QFETCH(QString, file);
        QFETCH(double, jump);
        QFETCH(bool, startPlayed);
        QFETCH(bool, endPlayed);
        Rig rig;
        QVERIFY(rig.shown());
        if (!file.isEmpty()) {
            rig.open(qPrintable(file));
            rig.player.jumpTo(15);
        }
        rig.player.jumpTo(jump);
        const QImage painted = rig.bar.grab().toImage();
        const QColor played = rig.bar.palette().color(QPalette::Highlight);
        QCOMPARE(painted.pixelColor(20, 8) == played, startPlayed);
        QCOMPARE(painted.pixelColor(110, 8) == played, endPlayed);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("expected");
        QTest::newRow("right") << int(Qt::Key_Right) << 15.0;
        QTest::newRow("left") << int(Qt::Key_Left) << 5.0;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << 20.0;  // clamped to the end
        QTest::newRow("home") << int(Qt::Key_Home) << 0.0;
        QTest::newRow("end") << int(Qt::Key_End) << 20.0;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(double, expected);
        Rig rig;
        MediaPlayer &mp = rig.mp;
        QVERIFY(rig.shown());
        rig.open("tone.wav");
        mp.setCurrentPosition(10);
        QSignalSpy jumps(&rig.player, &Player::positionChanged);
        QTest::keyClick(&rig.bar, Qt::Key(key));
        QCOMPARE(mp.CurrentPosition(), expected);
        QCOMPARE(jumps.size(), 1);
    }
};

QTEST_MAIN(TestSeekBar)
#include "test_seekbar.moc"
