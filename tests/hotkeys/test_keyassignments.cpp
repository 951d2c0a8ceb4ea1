// SPDX-License-Identifier: GPL-3.0-or-later
// Key names to codes, and the four bindings loaded from the settings store.
#include "HotKeyRig.h"
#include "hotkeys/GlobalHotKeys.h"
#include "rules/KeyAssignments.h"
#include "hotkeys/x11/X11KeyGrabber.h"
#include "rules/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTest>

class TestKeyAssignments : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(SettingsStore().filePath()); }

    void keyNameToCode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code"); // 0: no value
        for (int n = 1; n <= 12; ++n)
            QTest::addRow("F%d", n) << QStringLiteral("F%1").arg(n) << 111 + n;
        QTest::newRow("lower case") << "f4" << 0;
        QTest::newRow("F13") << "F13" << 0;
        QTest::newRow("F0") << "F0" << 0;
        QTest::newRow("leading zero") << "F05" << 0;
        QTest::newRow("trailing blank") << "F4 " << 0;
        QTest::newRow("leading blank") << " F5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("F alone") << "F" << 0;
        QTest::newRow("Esc") << "Esc" << 0;
        QTest::newRow("F1 prefix of F10 is not enough") << "F1x" << 0;
        QTest::newRow("negative") << "F-1" << 0;
        QTest::newRow("full-width digit") << QStringLiteral("F\uFF14") << 0;
    }
    void keyNameToCode()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        const std::optional<FunctionKey> result = FunctionKeyNamed(name);
        QCOMPARE(result.has_value(), code != 0);
        if (code)
            QCOMPARE(int(*result), code);
    }

    void keyCodeToNameRoundTrips()
    {
        for (int offset = 0; offset < 12; ++offset) {
            const FunctionKey key = FunctionKeyAt(offset);
            QCOMPARE(int(key), 112 + offset);
            QCOMPARE(OffsetOf(key), offset);
            QCOMPARE(FunctionKeyNamed(NameOf(key)), key);
        }
        QCOMPARE(FunctionKeyAt(12), FunctionKey::None);
        QCOMPARE(FunctionKeyAt(-1), FunctionKey::None);
        QCOMPARE(NameOf(FunctionKey::None), QString());
        QCOMPARE(NameOf(FunctionKey(124)), QString());
        QCOMPARE(OffsetOf(FunctionKey(111)), -1);
    }

    // Stored values (absent where empty in `stored`) and the codes they load.
    void loadKeyAssignments_data()
    {
        QTest::addColumn<QStringList>("stored"); // FuR, FR, PP, FF; "-" = absent
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("empty store gives the defaults") << QStringList{"-", "-", "-", "-"} << QList<int>{115, 116, 117, 119};
        QTest::newRow("F9 for Play/Pause only") << QStringList{"-", "-", "F9", "-"} << QList<int>{115, 116, 120, 119};
        QTest::newRow("all moved") << QStringList{"F1", "F10", "F12", "F2"} << QList<int>{112, 121, 123, 113};
        QTest::newRow("lower-case f4 unbinds") << QStringList{"f4", "-", "-", "-"} << QList<int>{0, 116, 117, 119};
        QTest::newRow("F13 unbinds") << QStringList{"-", "F13", "-", "-"} << QList<int>{115, 0, 117, 119};
        QTest::newRow("F0 unbinds") << QStringList{"-", "-", "F0", "-"} << QList<int>{115, 116, 0, 119};
        QTest::newRow("trailing blank unbinds") << QStringList{"-", "-", "-", "F8 "} << QList<int>{115, 116, 117, 0};
        QTest::newRow("empty name unbinds, no default") << QStringList{"", "-", "-", "-"} << QList<int>{0, 116, 117, 119};
        QTest::newRow("duplicates are loaded as they are") << QStringList{"F6", "F6", "F6", "F6"} << QList<int>{117, 117, 117, 117};
    }
    void loadKeyAssignments()
    {
        QFETCH(QStringList, stored);
        QFETCH(QList<int>, codes);
        const char *keys[] = {"FuR", "FR", "PP", "FF"};
        for (int i = 0; i < 4; ++i) {
            if (stored[i] != QLatin1String("-"))
                QVERIFY(SettingsStore().setValue(QLatin1String(keys[i]), stored[i]));
        }
        const KeyBindings loaded = LoadKeyAssignments(SettingsStore());
        QList<int> numbers;
        for (FunctionKey key : loaded)
            numbers.append(int(key));
        QCOMPARE(numbers, codes);
    }

    // A hand-edited file whose value reads as a list is no key name.
    void listValueUnbinds()
    {
        QFile file(SettingsStore().filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[config]\nPP=F6, F7\nFuR=\xff\xfe\n");
        file.close();
        const KeyBindings loaded = LoadKeyAssignments(SettingsStore());
        QCOMPARE(loaded[std::size_t(HotKeyAction::PlayPause)], FunctionKey::None);
        QCOMPARE(loaded[std::size_t(HotKeyAction::FullRewind)], FunctionKey::None);
        QCOMPARE(loaded[std::size_t(HotKeyAction::FastRewind)], FunctionKey::F5);
    }

    // Without an X11 display there are no key grabs, and nothing breaks.
    void offscreenHasNoHook()
    {
        QVERIFY(!X11KeyGrabber::forApplication([](FunctionKey, bool) {}, [](const auto &) {}));
        HotKeyRig target;
        GlobalHotKeys globalHotKeys;
        globalHotKeys.takeKeys(&target.hotKeys);
        globalHotKeys.reloadKeyAssignments(SettingsStore());
        globalHotKeys.releaseKeys();
        globalHotKeys.releaseKeys();
    }
};

QTEST_MAIN(TestKeyAssignments)
#include "test_keyassignments.moc"
