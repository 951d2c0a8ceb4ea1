// SPDX-License-Identifier: GPL-3.0-or-later
// The seek bar mediaControl shows in the bar's top strip, driving the real engine.

#include "MediaFiles.h"
#include "ui/MediaPlayerControl.h"
#include "engine/Player.h"

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

// The seek bar as the bar has it: jumping through a player built on it.
struct SeekBar : MediaPlayerControl
{
    SeekBar() : MediaPlayerControl(QByteArrayLiteral("null"), nullptr) { setPlayer(&player); }
    Player player{*this, [] { return 3.0; }};
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
        MediaPlayerControl mp(QByteArrayLiteral("null"), nullptr);
        QCOMPARE(mp.size(), QSize(134, 43));
        QCOMPARE(mp.accessibleName(), QStringLiteral("Seek bar"));
        QCOMPARE(mp.PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp.CurrentPosition(), 0.0);
    }

    void screenReaderSeesAndMovesTheValue()
    {
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        QAccessibleInterface *slider = QAccessible::queryAccessibleInterface(&mp);
        QVERIFY(slider);
        QCOMPARE(slider->role(), QAccessible::Slider);
        QCOMPARE(slider->text(QAccessible::Name), QStringLiteral("Seek bar"));
        QAccessibleValueInterface *value = slider->valueInterface();
        QVERIFY(value);
        value->setCurrentValue(3.0);  // no file: nothing moves
        QCOMPARE(mp.CurrentPosition(), 0.0);

        openNow(mp, mediaFile("tone.wav"));
        mp.setCurrentPosition(12.5);
        QCOMPARE(value->currentValue().toDouble(), 12.5);
        QCOMPARE(value->maximumValue().toDouble(), 20.0);
        QCOMPARE(slider->text(QAccessible::Value), QStringLiteral("12.5 of 20 seconds"));
        QSignalSpy jumps(&mp.player, &Player::positionChanged);
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
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        openNow(mp, mediaFile("tone.wav"));
        mp.setCurrentPosition(10);
        QSignalSpy jumps(&mp.player, &Player::positionChanged);
        // The track lies between the handle's half widths (3 px each side).
        const int x = 3 + int(fraction * (mp.width() - 7) + 0.5);
        QTest::mouseClick(&mp, Qt::LeftButton, {}, QPoint(x, y));
        QVERIFY2(std::abs(mp.CurrentPosition() - fraction * 20.0) < 20.0 / 128 + 1e-9,
                 qPrintable(QString::number(mp.CurrentPosition())));
        // One jump, made by the player.
        QCOMPARE(jumps.size(), 1);
        QCOMPARE(jumps.at(0).at(0).toDouble(), mp.CurrentPosition());
        QCOMPARE(mp.PlayState(), MediaPlayer::Stopped);  // moving does not start playback
    }

    void clickBelowTheStripDoesNothing()
    {
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        openNow(mp, mediaFile("tone.wav"));
        mp.setCurrentPosition(4);
        QTest::mouseClick(&mp, Qt::LeftButton, {}, QPoint(100, 30));
        QCOMPARE(mp.CurrentPosition(), 4.0);
    }

    void clickWithNoFileDoesNothing()
    {
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        QTest::mouseClick(&mp, Qt::LeftButton, {}, QPoint(60, 9));
        QCOMPARE(mp.CurrentPosition(), 0.0);
        QCOMPARE(mp.PlayState(), MediaPlayer::NoFile);
    }

    void dragWhilePlaying()
    {
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        openNow(mp, mediaFile("speech.mp3"));
        mp.Play();
        QTest::mousePress(&mp, Qt::LeftButton, {}, QPoint(20, 9));
        QTest::mouseMove(&mp, QPoint(67, 9));
        const double middle = mp.Duration() * (67 - 3) / (mp.width() - 7.0);
        QVERIFY(std::abs(mp.CurrentPosition() - middle) < 0.5);
        QTest::mouseRelease(&mp, Qt::LeftButton, {}, QPoint(67, 9));
        // Moving the mouse after the release moves nothing.
        QTest::mouseMove(&mp, QPoint(120, 9));
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
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        openNow(mp, mediaFile("tone.wav"));
        mp.setRate(rate);
        mp.Play();
        QTest::qWait(300);
        PaintCounter paints(&mp);
        QTest::qWait(2000);
        QCOMPARE(mp.PlayState(), MediaPlayer::Playing);
        QVERIFY2(paints.count >= fewest && paints.count <= most, qPrintable(QString::number(paints.count)));
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
        SeekBar mp;
        mp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mp));
        openNow(mp, mediaFile("tone.wav"));
        mp.setCurrentPosition(10);
        QSignalSpy jumps(&mp.player, &Player::positionChanged);
        QTest::keyClick(&mp, Qt::Key(key));
        QCOMPARE(mp.CurrentPosition(), expected);
        QCOMPARE(jumps.size(), 1);
    }
};

QTEST_MAIN(TestSeekBar)
#include "test_seekbar.moc"
