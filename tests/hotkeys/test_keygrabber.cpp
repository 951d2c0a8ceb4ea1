// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 key grabs against a real X server (Xvfb), another client competing
// for keys, a focused logging client and keys injected with xdotool.
#include "HotKeyRig.h"
#include "X11TestSupport.h"
#include "hotkeys/GlobalHotKeys.h"
#include "ui/HotKeyNotice.h"
#include "rules/KeyAssignments.h"
#include "hotkeys/x11/X11KeyGrabber.h"
#include "ui/Startup.h"
#include "rules/SettingsStore.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

namespace {
constexpr FunctionKey F4 = FunctionKey::F4, F5 = FunctionKey::F5, F6 = FunctionKey::F6, F7 = FunctionKey::F7,
                      F8 = FunctionKey::F8, F9 = FunctionKey::F9;
}

class TestKeyGrabber : public QObject
{
    Q_OBJECT
    std::unique_ptr<X11KeyGrabber> grabber;
    QList<std::pair<FunctionKey, bool>> events; // key, press
    QList<QList<X11KeyGrabber::Failure>> failures;
    KeyLogger *logger = nullptr;

    static QMessageBox *visibleNotice()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

    void makeGrabber()
    {
        grabber = X11KeyGrabber::forApplication(
            [this](FunctionKey key, bool press) { events.append({key, press}); },
            [this](const QList<X11KeyGrabber::Failure> &f) { failures.append(f); });
        QVERIFY(grabber);
    }

private slots:
    void init()
    {
        events.clear();
        failures.clear();
        logger = new KeyLogger;
        QVERIFY(logger->start());
        makeGrabber();
    }
    void cleanup()
    {
        grabber.reset();
        delete logger;
    }

    void assignedKeysAreSwallowedOthersPass()
    {
        grabber->setKeys({F4, F5, F6, F8});
        QCOMPARE(grabber->heldKeys(), (QList<FunctionKey>{F4, F5, F6, F8}));
        QVERIFY(failures.isEmpty());
        QVERIFY(Xdotool({"key", "F6", "F7"}));
        QTRY_COMPARE(events, (QList<std::pair<FunctionKey, bool>>{{F6, true}, {F6, false}}));
        QTRY_COMPARE(logger->lines(), (QStringList{"press F7 0", "release F7 0"}));
    }

    void modifiersDoNotMatter()
    {
        grabber->setKeys({F4});
        QVERIFY(Xdotool({"key", "ctrl+F4", "shift+alt+F4"}));
        QTRY_COMPARE(events.size(), 4);
        for (const auto &e : std::as_const(events))
            QCOMPARE(e.first, F4);
        // The modifiers themselves still reach the focused client, release too.
        // xdotool lets Ctrl go before F4, while F4's grab holds the keyboard.
        QTRY_VERIFY2(logger->lines().contains("release Control_L 4"), qPrintable(logger->lines().join(";")));
        const QStringList lines = logger->lines();
        QVERIFY(lines.contains("press Control_L 0"));
        QVERIFY(!lines.join(' ').contains("F4"));
    }

    void onlyAssignedKeysAreHeld()
    {
        grabber->setKeys({F6, F6, FunctionKey::None, FunctionKey(999)});
        QCOMPARE(grabber->heldKeys(), (QList<FunctionKey>{F6}));
        RivalClient rival;
        QVERIFY(rival.isFreeKey(F7));
        QVERIFY(rival.isFreeKey(F5));
        const xcb_keycode_t f6 = rival.keycodeOf(KeysymOf(F6));
        QVERIFY(!rival.grab(f6, 0));
        QVERIFY(!rival.grab(f6, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL));
    }

    // Another program holds Ctrl+F6: F6 is still ours under every other
    // combination, and the user is told about the part that is missing.
    void rivalHoldsOneCombination()
    {
        RivalClient rival;
        const xcb_keycode_t f6 = rival.keycodeOf(KeysymOf(F6));
        QVERIFY(rival.grab(f6, XCB_MOD_MASK_CONTROL));
        grabber->setKeys({F5, F6});
        QCOMPARE(grabber->heldKeys(), (QList<FunctionKey>{F5, F6}));
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0].size(), 1);
        QCOMPARE(failures[0][0].key, F6);
        QVERIFY(!failures[0][0].whole);
        QVERIFY(Xdotool({"key", "F6", "shift+F6"}));
        QTRY_COMPARE(events.size(), 4);
        QCOMPARE(logger->lines().filter("F6"), QStringList());
    }

    // Another program holds plain F6: F6 cannot work, so it is reported, none
    // of its combinations is kept, and the other keys work.
    void rivalHoldsThePlainKey()
    {
        RivalClient rival;
        const xcb_keycode_t f6 = rival.keycodeOf(KeysymOf(F6));
        QVERIFY(rival.grab(f6, 0));
        grabber->setKeys({F5, F6});
        QCOMPARE(grabber->heldKeys(), (QList<FunctionKey>{F5}));
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0].size(), 1);
        QCOMPARE(failures[0][0].key, F6);
        QVERIFY(failures[0][0].whole);
        RivalClient third;
        QVERIFY(third.grab(f6, XCB_MOD_MASK_SHIFT)); // our partial grabs were given back
        QVERIFY(Xdotool({"key", "F5"}));
        QTRY_COMPARE(events.size(), 2);
    }

    void releaseGivesEveryKeyBack()
    {
        grabber->setKeys({F4, F5, F6, F8});
        grabber->releaseAll();
        RivalClient rival;
        for (FunctionKey vk : {F4, F5, F6, F8})
            QVERIFY(rival.isFreeKey(vk));
        grabber->setKeys({F6});
        grabber.reset(); // destruction releases too
        QVERIFY(rival.isFreeKey(F6));
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_COMPARE(logger->lines(), (QStringList{"press F6 0", "release F6 0"}));
    }

    void changingKeysMovesTheGrabs()
    {
        grabber->setKeys({F6});
        grabber->setKeys({F9});
        RivalClient rival;
        QVERIFY(rival.isFreeKey(F6));
        QVERIFY(!rival.isFreeKey(F9));
        QVERIFY(Xdotool({"key", "F6", "F9"}));
        QTRY_COMPARE(events, (QList<std::pair<FunctionKey, bool>>{{F9, true}, {F9, false}}));
        QTRY_COMPARE(logger->lines(), (QStringList{"press F6 0", "release F6 0"}));
    }

    // When F6 moves to another keycode, the grab moves with it.
    void followsKeyboardMappingChanges()
    {
        grabber->setKeys({F6});
        RivalClient rival;
        const xcb_keycode_t oldCode = rival.keycodeOf(KeysymOf(F6));
        const xcb_keysym_t F20 = KeysymF1 + 19;
        const xcb_keycode_t newCode = 253;
        QVERIFY(rival.keycodeOf(F20) == 0);
        auto remap = [&](xcb_keycode_t code, xcb_keysym_t sym) {
            xcb_change_keyboard_mapping(rival.c, 1, code, 1, &sym);
            std::free(xcb_get_input_focus_reply(rival.c, xcb_get_input_focus(rival.c), nullptr));
        };
        remap(oldCode, F20);
        remap(newCode, KeysymOf(F6));
        QTRY_VERIFY(!rival.isFree(newCode));
        QVERIFY(rival.isFree(oldCode));
        QVERIFY(Xdotool({"key", "F6"}));
        QTRY_COMPARE(events, (QList<std::pair<FunctionKey, bool>>{{F6, true}, {F6, false}}));
        remap(newCode, 0);
        remap(oldCode, KeysymOf(F6));
        QTRY_VERIFY(!rival.isFree(oldCode));
    }

    // With detectable auto-repeat a held key gives presses and one release.
    void heldKeyRepeatsAsPresses()
    {
        grabber->setKeys({F8});
        QVERIFY(Xdotool({"keydown", "F8"}));
        QTest::qWait(1200);
        QVERIFY(Xdotool({"keyup", "F8"}));
        QTRY_VERIFY(!events.isEmpty() && !events.last().second);
        int presses = 0, releases = 0;
        for (const auto &e : std::as_const(events))
            (e.second ? presses : releases) += 1;
        QVERIFY2(presses >= 3, qPrintable(QString::number(presses)));
        QCOMPARE(releases, 1);
    }

    // Keys typed while a hot key is down reach the focused client as real
    // input, in order. xterm ignores key events sent by another client.
    void typingUnderAHeldHotKeyReachesXterm()
    {
        grabber->setKeys({F5});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString typed = dir.filePath("typed"), id = dir.filePath("window");
        QProcess xterm;
        xterm.start("xterm", {"-e", "sh", "-c", QString("echo $WINDOWID > '%1'; exec cat > '%2'").arg(id, typed)});
        QVERIFY2(xterm.waitForStarted(), "xterm is missing");
        const auto stop = qScopeGuard([&] {
            xterm.kill();
            xterm.waitForFinished();
        });
        auto read = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(read(id).endsWith('\n'), 10000);
        QVERIFY(Xdotool({"windowfocus", "--sync", read(id).trimmed()}));

        for (const QStringList &step : std::initializer_list<QStringList>{
                 {"type", "base "}, {"keydown", "F5"}, {"type", "held"}, {"keyup", "F5"}, {"type", " end"},
                 {"key", "Return"}})
            QVERIFY(XdotoolLive(step));
        QTRY_COMPARE(read(typed), QString("base held end\n"));
        // Only F5, counted as before: its press, any repeats, one release.
        QVERIFY(!events.isEmpty());
        QCOMPARE(events.first(), std::pair(F5, true));
        QCOMPARE(events.last(), std::pair(F5, false));
        QCOMPARE(events.count(std::pair(F5, true)), events.size() - 1);
    }

    // The installed hook: the grabbed keys drive the hot-key rules, a reload
    // of the assignments moves the grabs, a key held elsewhere is reported.
    void installedHookFollowsTheAssignments()
    {
        grabber.reset();
        QFile::remove(SettingsStore().filePath());
        HotKeyRig target;
        target.hotKeys.setBindings(LoadKeyAssignments(SettingsStore()));
        target.player.state = MediaPlayer::Playing;
        target.player.position = 30;
        target.player.duration = 60;
        GlobalHotKeys globalHotKeys;
        globalHotKeys.takeKeys(&target.hotKeys);
        QVERIFY(Xdotool({"key", "F5"}));
        QTRY_COMPARE(target.player.position, 27.0);

        QVERIFY(SettingsStore().setValue(QStringLiteral("FR"), QStringLiteral("F9")));
        globalHotKeys.reloadKeyAssignments(SettingsStore());
        RivalClient rival;
        QVERIFY(rival.isFreeKey(F5));
        QVERIFY(!rival.isFreeKey(F9));
        QVERIFY(Xdotool({"key", "F5", "F9"}));
        QTRY_COMPARE(target.player.position, 24.0);
        QTRY_COMPARE(logger->lines(), (QStringList{"press F5 0", "release F5 0"}));

        globalHotKeys.releaseKeys();
        for (FunctionKey vk : {F4, F6, F8, F9})
            QVERIFY(rival.isFreeKey(vk));
        QFile::remove(SettingsStore().filePath());
    }

    void keyHeldElsewhereIsReported()
    {
        grabber.reset();
        QFile::remove(SettingsStore().filePath());
        RivalClient rival;
        QVERIFY(rival.grab(rival.keycodeOf(KeysymOf(F6)), 0));
        HotKeyRig target;
        target.hotKeys.setBindings(LoadKeyAssignments(SettingsStore()));
        GlobalHotKeys globalHotKeys;
        ShowHotKeyNotices(globalHotKeys);
        globalHotKeys.takeKeys(&target.hotKeys);
        QTRY_VERIFY(visibleNotice());
        QMessageBox *notice = visibleNotice();
        QVERIFY(!notice->isModal());
        QVERIFY2(notice->text().contains(QStringLiteral("F6 (Play/Pause)")), qPrintable(notice->text()));
        QVERIFY(notice->text().contains(QStringLiteral("\"Keys\"")));
        // The keys it did get work.
        RivalClient other;
        QVERIFY(!other.isFreeKey(F4));
        globalHotKeys.releaseKeys();
        notice->close();
    }
};

QTEST_MAIN(TestKeyGrabber)
#include "test_keygrabber.moc"
