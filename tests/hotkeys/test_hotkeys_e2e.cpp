// SPDX-License-Identifier: GPL-3.0-or-later
// The hot keys end to end under Xvfb: the real bar from start-up, a generated
// file in the real engine, a focused logging client as "the word processor",
// and keys typed with xdotool.
#include "BarControls.h"
#include "ChoosingDialog.h"
#include "../playback/MediaFiles.h"
#include "X11TestSupport.h"
#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "rules/KeyAssignments.h"
#include "ui/KeysDialog.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/WindCountView.h"
#include "ui/Startup.h"
#include "rules/SettingsStore.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

constexpr FunctionKey F8 = FunctionKey::F8;

// Counts the events of one key that the X server delivers to the program.
class KeyEventCounter : public QAbstractNativeEventFilter
{
public:
    explicit KeyEventCounter(xcb_keycode_t keycode) : keycode(keycode) {}
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        auto *event = static_cast<xcb_key_press_event_t *>(message);
        const uint8_t type = event->response_type & ~0x80;
        if ((type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) && event->detail == keycode)
            ++count;
        return false;
    }
    xcb_keycode_t keycode;
    int count = 0;
};

} // namespace

class TestHotKeysEndToEnd : public QObject
{
    Q_OBJECT
    Bar *form = nullptr;
    KeyLogger logger;

    bool playing() { return form->player().playState() == MediaPlayer::Playing; }
    double position() { return form->player().position(); }

private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
        QFile::remove(SettingsStore().filePath());
        form = startup();
        QVERIFY(form);
        // The hot keys are taken once the bar is on the screen.
        QTRY_VERIFY(!RivalClient().isFreeKey(FunctionKey::F6));
        form->setOpenDialog(std::make_unique<ChoosingDialog>(mediaFile(QStringLiteral("tone.wav"))));
        form->chooseFile();
        QTRY_COMPARE(form->player().playState(), MediaPlayer::Stopped);
        QVERIFY(logger.start());
    }

    void playPauseTogglesOnRelease()
    {
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_VERIFY(playing());
        QCOMPARE(control<ImageButton>(*form, "playButton")->imageIndex(), 4);
        QCOMPARE(control<ImageButton>(*form, "pauseButton")->imageIndex(), 2);
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_COMPARE(form->player().playState(), MediaPlayer::Paused);
        QCOMPARE(control<ImageButton>(*form, "playButton")->imageIndex(), 1);
        QCOMPARE(control<ImageButton>(*form, "pauseButton")->imageIndex(), 5);
        QCOMPARE(form->hotKeys().counts().playPause, std::int16_t(0));
        QCOMPARE(logger.lines(), QStringList());
    }

    void otherKeysReachTheFocusedApplication()
    {
        logger.clear();
        QVERIFY(Xdotool({"key", "F7", "F6", "a"}));
        QTRY_COMPARE(logger.lines(), (QStringList{"press F7 0", "release F7 0", "press a 0", "release a 0"}));
        QTRY_VERIFY(playing()); // F6 went to the program
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_VERIFY(!playing());
    }

    void ctrlF4RewindsAndReachesNobody()
    {
        form->player().engine().setCurrentPosition(12);
        logger.clear();
        QVERIFY(Xdotool({"keydown", "ctrl", "keydown", "F4", "keyup", "F4", "keyup", "ctrl"}));
        QTRY_COMPARE(position(), 0.0);
        QTRY_COMPARE(logger.lines(), (QStringList{"press Control_L 0", "release Control_L 4"}));
    }

    void windKeysMoveByTheWindStep()
    {
        form->windCount().resetWindCount(); // the default wind count, 520 on the slider
        QCOMPARE(form->windStep(), 3.0);
        form->player().engine().setCurrentPosition(10);
        logger.clear();
        QVERIFY(Xdotool({"key", "F8"}));
        QTRY_COMPARE(position(), 13.0);
        QVERIFY(Xdotool({"key", "F5", "F5"}));
        QTRY_COMPARE(position(), 7.0);
        QCOMPARE(logger.lines(), QStringList());
    }

    void heldFastForwardWindsOnEverySecondEvent()
    {
        RivalClient rival;
        KeyEventCounter counter(rival.keycodeOf(KeysymOf(F8)));
        QAbstractEventDispatcher::instance()->installNativeEventFilter(&counter);
        form->player().engine().setCurrentPosition(1);
        QVERIFY(Xdotool({"keydown", "F8"}));
        QTest::qWait(900);
        QVERIFY(Xdotool({"keyup", "F8"}));
        QTRY_COMPARE(form->hotKeys().counts().forward, std::int16_t(counter.count % 2));
        QTest::qWait(100);
        QAbstractEventDispatcher::instance()->removeNativeEventFilter(&counter);
        QVERIFY2(counter.count >= 4, "the key did not repeat");
        QCOMPARE(position(), 1.0 + 3 * (counter.count / 2));
    }

    void rebindingInTheDialogMovesTheHotKey()
    {
        form->findChild<QPushButton *>("keysButton")->click();
        KeysDialog *keys = KeysDialog::Instance();
        QVERIFY(keys);
        QVERIFY(!form->isEnabled());
        keys->playPauseList->setCurrentIndex(8); // F9
        keys->setButton->click();
        QTRY_VERIFY(!KeysDialog::Instance());
        QVERIFY(form->isEnabled());

        logger.clear();
        QVERIFY(Xdotool({"key", "F9"}));
        QTRY_VERIFY(playing());
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_COMPARE(logger.lines(), (QStringList{"press F6 0", "release F6 0"}));
        QVERIFY(playing());
        QVERIFY(Xdotool({"key", "F9"}));
        QTRY_VERIFY(!playing());
    }

    void removingTheHookFreesEveryKey()
    {
        form->globalHotKeys().releaseKeys();
        RivalClient rival;
        for (int offset = 0; offset < 12; ++offset)
            QVERIFY2(rival.isFreeKey(FunctionKeyAt(offset)), qPrintable(NameOf(FunctionKeyAt(offset))));
        logger.clear();
        QVERIFY(Xdotool({"key", "F9", "F4"}));
        QTRY_COMPARE(logger.lines(), (QStringList{"press F9 0", "release F9 0", "press F4 0", "release F4 0"}));
    }

    // The real program: its grabs are there while it runs, its exit button
    // gives them back, and the keys then reach the focused application.
    void programExitReleasesEveryKey()
    {
        QProcess program;
        program.setProgram(QStringLiteral(MURMELVOX_PROGRAM));
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start();
        QVERIFY(program.waitForStarted());
        RivalClient rival;
        QTRY_VERIFY_WITH_TIMEOUT(!rival.isFreeKey(FunctionKey::F9), 15000); // F9, as stored above
        QVERIFY(!rival.isFreeKey(FunctionKey::F4));
        // The exit button: exitButton in windowButtonsFrame, 4635 x 30 twips into the bar.
        // The window may still be settling when it is first found: click
        // until the program is gone.
        for (int attempt = 0; attempt < 10 && program.state() != QProcess::NotRunning; ++attempt) {
            Xdotool({"search", "--sync", "--pid", QString::number(program.processId()), "--name",
                     "^Murmelvox - Kelvaro$", "mousemove", "--window", "%1", "316", "8", "click", "1"});
            program.waitForFinished(1000);
        }
        QCOMPARE(program.state(), QProcess::NotRunning);
        QCOMPARE(program.exitCode(), 0);
        for (int offset = 0; offset < 12; ++offset)
            QVERIFY2(rival.isFreeKey(FunctionKeyAt(offset)), qPrintable(NameOf(FunctionKeyAt(offset))));
    }
};

QTEST_MAIN(TestHotKeysEndToEnd)
#include "test_hotkeys_e2e.moc"
