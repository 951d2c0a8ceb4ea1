// SPDX-License-Identifier: GPL-3.0-or-later
// The pedals' settings window: opened from the bar and the tray menu, its
// lights following the pedals, and each change taking effect and stored.

#include "BarControls.h"
#include "PedalStream.h"
#include "hotkeys/HotKeyRig.h"
#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "ui/PedalsWindow.h"
#include "rules/PedalTeaching.h"
#include "rules/SettingsStore.h"
#include "ui/Bar.h"
#include "ui/TrayIcon.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QScopeGuard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QtTest>

class TestPedalsWindow : public QObject
{
    Q_OBJECT
private slots:
    void openedFromTrayMenuAndBar()
    {
        Bar bar;
        bar.setTrayIcon(AddTrayIcon(&bar, [&bar] { bar.showSettings(); }));
        QMenu *menu = bar.trayIcon()->contextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        menu->actions().at(0)->trigger();
        QList<PedalsWindow *> windows = bar.findChildren<PedalsWindow *>();
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows[0]->isVisible());
        QVERIFY(windows[0]->isWindow());
        // Again: the same window comes forward.
        bar.showSettings();
        QCOMPARE(bar.findChildren<PedalsWindow *>(), windows);
        // Closed, it goes; the next call opens a new one.
        windows[0]->closeButton->click();
        QTRY_VERIFY(bar.findChildren<PedalsWindow *>().isEmpty());
        bar.showSettings();
        QCOMPARE(bar.findChildren<PedalsWindow *>().size(), 1);
    }

    void opensWithWhatIsStored()
    {
        QFile::remove(SettingsStore().filePath());
        PedalSettings stored;
        stored.actions[0] = PedalAction::Nothing;
        stored.autoRewindSeconds = 3;
        SettingsStore store;
        QVERIFY(SavePedalSettings(store, stored));
        // Before start-up has loaded them into the pedals' actions.
        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        QCOMPARE(window.actionBoxes[0]->currentIndex(), int(PedalAction::Nothing));
        QCOMPARE(window.autoRewindBox->value(), 3.0);
        window.actionBoxes[1]->setCurrentIndex(int(PedalAction::PlayPause));
        stored.actions[1] = PedalAction::PlayPause;
        QCOMPARE(LoadPedalSettings(SettingsStore()), stored);
    }

    void everyControlHasAName()
    {
        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        QVERIFY(!window.accessibleName().isEmpty());
        for (QWidget *w : window.findChildren<QWidget *>()) {
            // The parts a spin box or a combo box is made of are named by it.
            if (qobject_cast<QAbstractSpinBox *>(w->parentWidget()) || qobject_cast<QComboBox *>(w->parentWidget()))
                continue;
            if (qobject_cast<QLabel *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                || qobject_cast<QPushButton *>(w) || qobject_cast<QGroupBox *>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
        }
    }

    void changeTakesEffectAndIsStored_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("pedal"); // whose action the value is, or -1
        QTest::newRow("middle pedal: play/pause") << "actionMiddle" << int(PedalAction::PlayPause) << 1;
        QTest::newRow("left pedal: back to start") << "actionLeft" << int(PedalAction::BackToStart) << 0;
        QTest::newRow("fourth pedal: play while held") << "actionFourth" << int(PedalAction::PlayWhileHeld) << 3;
        QTest::newRow("auto-rewind off") << "autoRewind" << 0 << -1;
        QTest::newRow("repeat pace 400 ms") << "repeatPace" << 400 << -1;
    }

    void changeTakesEffectAndIsStored()
    {
        QFETCH(QString, control);
        QFETCH(int, value);
        QFETCH(int, pedal);
        QFile::remove(SettingsStore().filePath());
        QVERIFY(SettingsStore().setValue(QStringLiteral("WindCount"), QStringLiteral("1234")));

        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        window.show();
        QWidget *w = window.findChild<QWidget *>(control);
        QVERIFY(w);
        PedalSettings expected;
        if (auto *box = qobject_cast<QComboBox *>(w)) {
            box->setCurrentIndex(value);
            expected.actions[pedal] = PedalAction(value);
        } else if (auto *rewind = qobject_cast<QDoubleSpinBox *>(w)) {
            rewind->setValue(value);
            expected.autoRewindSeconds = value;
        } else {
            qobject_cast<QSpinBox *>(w)->setValue(value);
            expected.repeatPaceMs = value;
        }
        QCOMPARE(actions.settings(), expected);
        QCOMPARE(LoadPedalSettings(SettingsStore()), expected);
        QVERIFY(window.saveProblem->isHidden());
        // The keys that were there stay as they were.
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral("1234"));
    }

    // A settings file that cannot be written: the window says so in a line of
    // its own, and grows for it instead of squashing what it shows.
    void saveProblemFits()
    {
        QFile::remove(SettingsStore().filePath());
        QVERIFY(QDir().mkpath(SettingsStore().filePath()));
        const auto writable = qScopeGuard([] { QDir().rmdir(SettingsStore().filePath()); });
        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.actionBoxes[0]->setCurrentIndex(int(PedalAction::Nothing));
        QVERIFY(window.saveProblem->isVisible());
        QApplication::processEvents();
        // To look at: MURMELVOX_SHOT=window.png
        if (!qEnvironmentVariableIsEmpty("MURMELVOX_SHOT"))
            window.grab().save(qEnvironmentVariable("MURMELVOX_SHOT"));

        const QLabel *line = window.saveProblem;
        QVERIFY2(line->heightForWidth(line->width()) <= line->height(),
                 qPrintable(QStringLiteral("the line needs %1 px at %2 px wide but has %3")
                                .arg(line->heightForWidth(line->width())).arg(line->width()).arg(line->height())));
        QList<QWidget *> laidOut;
        for (QWidget *w : window.findChildren<QWidget *>()) {
            // A combo box's list and a spin box's parts are theirs to lay out.
            if (w->isWindow() || !w->isVisible() || qobject_cast<QComboBox *>(w->parentWidget())
                || qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
                continue;
            const QString name = QStringLiteral("%1 %2").arg(w->metaObject()->className(), w->objectName());
            const QSize least = w->hasHeightForWidth() ? QSize(w->minimumSizeHint().width(), w->heightForWidth(w->width()))
                                                       : w->minimumSizeHint();
            QVERIFY2(w->width() >= least.width() && w->height() >= least.height(),
                     qPrintable(QStringLiteral("%1 squashed: %2x%3 for %4x%5").arg(name).arg(w->width()).arg(w->height())
                                    .arg(least.width()).arg(least.height())));
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(name + QStringLiteral(" clipped")));
            for (const QWidget *other : std::as_const(laidOut)) {
                if (other->parentWidget() == w->parentWidget())
                    QVERIFY2(!other->geometry().intersects(w->geometry()),
                             qPrintable(name + QStringLiteral(" overlaps ") + other->objectName()));
            }
            laidOut.append(w);
        }
    }

    // Taught from the settings window: pressed as asked, the pedals read as
    // taught from then on, and the layout is stored for the device.
    void teachThroughTheWindow()
    {
        QFile::remove(SettingsStore().filePath());
        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        PedalStream stream;
        monitor.addDevice(stream.node, PedalModels[0], QStringLiteral("/dev/hidraw7"));
        QSignalSpy pressed(&monitor, &PedalMonitor::pedalPressed);
        QStringList said;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            const auto closeAtEnd = qScopeGuard([dialog] { dialog->reject(); });
            const QLabel *instruction = control<QLabel>(*dialog, "teachInstruction");
            control<QPushButton>(*dialog, "teachStart")->click();
            // The VEC's right pedal taught as the left, and so on.
            for (const char *bits : {"\x04", "\x02", "\x01"}) {
                said << instruction->text();
                stream.send(QByteArray(bits, 1) + '\0');
                stream.send(QByteArray(2, '\0'));
                QTRY_VERIFY(instruction->text() != said.last());
            }
            said << instruction->text();
        });
        control<QPushButton>(window, "teachButton")->click();
        QCOMPARE(said, (QStringList{"Press the left pedal and let it go.",
                                    "The left pedal is learned. Press the middle pedal and let it go.",
                                    "The middle pedal is learned. Press the right pedal and let it go.",
                                    "Done: the pedals work as taught."}));
        QCOMPARE(pressed.count(), 0);
        stream.send(QByteArray("\x01\0", 2));
        QTRY_COMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Pedal>(), Pedal::Right);
        QCOMPARE(LoadTaughtLayouts(SettingsStore()),
                 (QList<TaughtLayout>{{PedalModels[0].vendor, PedalModels[0].product, false, {2, 1, 0, -1}}}));
    }

    void lightsFollowThePedals()
    {
        HotKeyRig rig;
        PedalMonitor monitor;
        PedalActions actions(rig.controller);
        PedalsWindow window(monitor, actions);
        QVERIFY(window.foundList->text().startsWith(QStringLiteral("None")));
        PedalStream stream;
        monitor.addDevice(stream.node, PedalModels[0], QStringLiteral("/dev/hidraw7"));
        QVERIFY(window.foundList->text().contains(QStringLiteral("VEC Infinity IN-USB (/dev/hidraw7)")));

        const auto lit = [&] {
            QString on;
            for (QLabel *light : window.lights)
                on += light->property("pressed").toBool() ? u'1' : u'0';
            return on;
        };
        QCOMPARE(lit(), QStringLiteral("0000"));
        stream.send(QByteArray("\x02\0", 2));
        QTRY_COMPARE(lit(), QStringLiteral("0100"));
        QCOMPARE(window.lights[1]->accessibleDescription(), QStringLiteral("pressed"));
        stream.send(QByteArray("\x05\0", 2));
        QTRY_COMPARE(lit(), QStringLiteral("1010"));
        stream.unplug();
        QTRY_COMPARE(lit(), QStringLiteral("0000"));
        QTRY_VERIFY(window.foundList->text().startsWith(QStringLiteral("None")));
    }
};

QTEST_MAIN(TestPedalsWindow)
#include "test_pedalswindow.moc"
