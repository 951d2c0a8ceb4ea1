// SPDX-License-Identifier: GPL-3.0-or-later
// The hot keys as the desktop portal's global shortcuts: the real bar from
// start-up with a generated file in the real engine, Debian's portal front
// end (xdg-desktop-portal) on the test's private session bus, and a test
// back end (portal/backend.py) standing in for the desktop, which no test
// machine has: it records what was bound and presses keys when told.
#include "ChoosingDialog.h"
#include "../playback/MediaFiles.h"
#include "X11TestSupport.h"
#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "rules/KeyAssignments.h"
#include "ui/KeysDialog.h"
#include "portal/GlobalShortcutsPortal.h"
#include "hotkeys/portal/PortalKeySource.h"
#include "rules/SettingsStore.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/Startup.h"

#include <QComboBox>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString BackendName = QStringLiteral("org.freedesktop.impl.portal.MurmelvoxTest");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

bool StartAndAwaitName(QProcess &process, const QString &name)
{
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted())
        return false;
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    for (QDeadlineTimer deadline(15000); !deadline.hasExpired(); QTest::qWait(50)) {
        if (bus->isServiceRegistered(name))
            return true;
    }
    return false;
}

} // namespace

class TestPortal : public QObject
{
    Q_OBJECT
    Bar *form = nullptr;
    QProcess backend;
    QProcess frontEnd;
    QProcess replacement; // a front end that takes over with --replace
    QStringList notices;
    QDBusMessage raw; // the last signal the back end sent as itself

public slots:
    void caught(const QDBusMessage &signal) { raw = signal; }

private:
    bool playing() { return form->player().playState() == MediaPlayer::Playing; }

    QVariant control(const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(BackendName, PortalPath,
                                                           QStringLiteral("org.murmelvox.test.PortalBackend"), method);
        call.setArguments(arguments);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            qWarning("back end: %s", qPrintable(reply.errorMessage()));
        return reply.arguments().value(0);
    }
    QJsonObject record() { return QJsonDocument::fromJson(control(QStringLiteral("Record")).toString().toUtf8()).object(); }
    QJsonArray binds() { return record().value(QStringLiteral("binds")).toArray(); }
    void stroke(const QString &id)
    {
        control(QStringLiteral("Press"), {id});
        control(QStringLiteral("Release"), {id});
    }
    bool startPortal()
    {
        return StartAndAwaitName(backend, BackendName) &&
               StartAndAwaitName(frontEnd, QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    // As a crash would: no session is closed, no answer given.
    void killPortal()
    {
        for (QProcess *p : {&frontEnd, &replacement, &backend}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    void playPauseActs()
    {
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(playing());
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(!playing());
    }

private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
        QFile::remove(SettingsStore().filePath());
        QVERIFY2(QFile::exists(QStringLiteral(MURMELVOX_PORTAL_FRONT_END)), "xdg-desktop-portal is not installed");
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no private session bus");

        backend.setProgram(QStringLiteral("/usr/bin/python3"));
        backend.setArguments({QStringLiteral(MURMELVOX_PORTAL_DIR "/backend.py")});
        frontEnd.setProgram(QStringLiteral(MURMELVOX_PORTAL_FRONT_END));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), QStringLiteral(MURMELVOX_PORTAL_DIR));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("murmelvox-test"));
        frontEnd.setProcessEnvironment(env);
        QVERIFY(startPortal());
        uint version = 0;
        GlobalShortcutsPortal::probeVersion(QDBusConnection::sessionBus(), 5000, this, [&](uint v) { version = v; });
        QTRY_COMPARE(version, 1u);

        qputenv("MURMELVOX_HOTKEYS", "portal");
        form = startup();
        QVERIFY(form);
        QTRY_COMPARE_WITH_TIMEOUT(binds().size(), 1, 15000);
        form->globalHotKeys().setNotice([this](const QString &text) { notices.append(text); });
        form->setOpenDialog(std::make_unique<ChoosingDialog>(mediaFile(QStringLiteral("tone.wav"))));
        form->chooseFile();
        QTRY_COMPARE(form->player().playState(), MediaPlayer::Stopped);
    }
    void init() { notices.clear(); }
    void cleanupTestCase()
    {
        for (QProcess *p : {&frontEnd, &replacement, &backend}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    void bindAsksForTheAssignedKeys()
    {
        const QJsonArray asked = binds().at(0).toObject().value(QStringLiteral("shortcuts")).toArray();
        const QJsonArray expected = QJsonDocument::fromJson(R"([["full-rewind", "Full Rewind", "F4"],
            ["fast-rewind", "Fast Rewind", "F5"], ["play-pause", "Play/Pause", "F6"],
            ["fast-forward", "Fast Forward", "F8"]])").array();
        QCOMPARE(asked, expected);
        QTRY_VERIFY(form->globalHotKeys().desktopOwnsKeys());
        QCOMPARE(form->globalHotKeys().desktopTriggerOf(HotKeyAction::PlayPause), std::optional<QString>(QStringLiteral("F6")));
    }

    void pressAndReleasePlayThenPause()
    {
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(playing());
        stroke(QStringLiteral("play-pause"));
        QTRY_COMPARE(form->player().playState(), MediaPlayer::Paused);
        QCOMPARE(form->hotKeys().counts().playPause, std::int16_t(0));
        QVERIFY(notices.isEmpty());
    }

    void changedTriggerReachesTheKeysDialog()
    {
        form->findChild<QPushButton *>("keysButton")->click();
        KeysDialog *keys = KeysDialog::Instance();
        QVERIFY(keys);
        QCOMPARE(keys->playPauseList->toolTip(), QStringLiteral("The desktop runs Play/Pause with: F6"));
        control(QStringLiteral("Change"), {QStringLiteral("play-pause"), QStringLiteral("Ctrl+F6")});
        QTRY_COMPARE(keys->playPauseList->toolTip(), QStringLiteral("The desktop runs Play/Pause with: Ctrl+F6"));
        QCOMPARE(keys->playPauseLabel->toolTip(), keys->playPauseList->toolTip());
        QCOMPARE(keys->fullRewindList->toolTip(), QStringLiteral("The desktop runs Full Rewind with: F4"));
    }

    void setKeysRebindsInANewSession()
    {
        KeysDialog *keys = KeysDialog::Show(form, form->globalHotKeys());
        keys->playPauseList->setCurrentIndex(8); // F9
        keys->setButton->click();
        QTRY_COMPARE(binds().size(), 2);
        const QJsonObject first = binds().at(0).toObject();
        const QJsonObject second = binds().at(1).toObject();
        QCOMPARE(second.value(QStringLiteral("shortcuts")).toArray().at(2).toArray().at(2).toString(), QStringLiteral("F9"));
        // A session is bound once: the old one is closed, a new one bound.
        QVERIFY(first.value(QStringLiteral("session")) != second.value(QStringLiteral("session")));
        QTRY_VERIFY(record().value(QStringLiteral("closed")).toArray().contains(first.value(QStringLiteral("session"))));
        QTRY_COMPARE(form->globalHotKeys().desktopTriggerOf(HotKeyAction::PlayPause), std::optional<QString>(QStringLiteral("F9")));

        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(playing());
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(!playing());
    }

    // The desktop drops the shortcuts: X11 grabs take the keys, and the user is told.
    void closedSessionFallsBackToX11()
    {
        control(QStringLiteral("CloseSession"));
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith(QStringLiteral("The desktop did not give Murmelvox its hot keys (it closed the shortcut session)")),
                 qPrintable(notices[0]));
        QVERIFY(!form->globalHotKeys().desktopOwnsKeys());
        RivalClient rival;
        QTRY_VERIFY(!rival.isFreeKey(FunctionKey::F9));
    }

    // A portal that comes onto the bus is asked again, and takes over from
    // the X11 grabs once it has bound the keys.
    void restartedPortalTakesTheKeysBack()
    {
        killPortal();
        QVERIFY(startPortal());
        QTRY_COMPARE(binds().size(), 1);
        QTRY_VERIFY(form->globalHotKeys().desktopOwnsKeys());
        RivalClient rival;
        QTRY_VERIFY(rival.isFreeKey(FunctionKey::F9));
        playPauseActs();
        QVERIFY(notices.isEmpty());
    }

    // --replace hands the name from one front end to the next in one step.
    void replacedPortalTakesTheKeys()
    {
        const qsizetype before = binds().size();
        replacement.setProgram(frontEnd.program());
        replacement.setArguments({QStringLiteral("--replace")});
        replacement.setProcessEnvironment(frontEnd.processEnvironment());
        replacement.setProcessChannelMode(QProcess::ForwardedChannels);
        replacement.start();
        QVERIFY(frontEnd.waitForFinished(15000));
        QTRY_COMPARE_WITH_TIMEOUT(binds().size(), before + 1, 15000);
        QTRY_VERIFY(form->globalHotKeys().desktopOwnsKeys());
        playPauseActs();
        QVERIFY(notices.isEmpty());
    }

    void deadPortalLeavesTheKeysToX11()
    {
        killPortal();
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith(QStringLiteral("The desktop did not give Murmelvox its hot keys (the desktop portal stopped)")),
                 qPrintable(notices[0]));
        QVERIFY(!form->globalHotKeys().desktopOwnsKeys());
        RivalClient rival;
        QTRY_VERIFY(!rival.isFreeKey(FunctionKey::F9));

        QVERIFY(startPortal());
        QTRY_VERIFY(form->globalHotKeys().desktopOwnsKeys());
        QTRY_VERIFY(rival.isFreeKey(FunctionKey::F9));
        playPauseActs();
        QCOMPARE(notices.size(), 1);
    }

    void cancelledBindFallsBackToX11()
    {
        control(QStringLiteral("AnswerNextBind"), {1u});
        form->globalHotKeys().reloadKeyAssignments(SettingsStore());
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith(QStringLiteral("The desktop did not give Murmelvox its hot keys")),
                 qPrintable(notices[0]));
        QVERIFY(!form->globalHotKeys().desktopOwnsKeys());
        RivalClient rival;
        QTRY_VERIFY(!rival.isFreeKey(FunctionKey::F9)); // F9, now grabbed through X11
        QVERIFY(!rival.isFreeKey(FunctionKey::F4));
        // The portal's keys no longer act.
        stroke(QStringLiteral("play-pause"));
        QTest::qWait(300);
        QVERIFY(!playing());
    }

    // A desktop whose answer to the bind has the shortcuts in another shape
    // refuses the keys; they are not read as shortcuts.
    void malformedBindFails_data()
    {
        QTest::addColumn<QString>("shape");
        for (const char *shape : {"a(ss)", "a{sv}", "a(saai)", "s"})
            QTest::newRow(shape) << QString::fromLatin1(shape);
    }
    void malformedBindFails()
    {
        QFETCH(QString, shape);
        control(QStringLiteral("ShapeNextBind"), {shape});
        PortalKeySource source(QDBusConnection::sessionBus());
        QSignalSpy failed(&source, &KeySource::failed);
        QSignalSpy chosen(&source, &KeySource::triggersChosen);
        source.bind({{HotKeyAction::PlayPause, FunctionKey::F6}});
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("its answer was malformed"));
        QVERIFY(chosen.isEmpty());
        const QJsonValue session = binds().last().toObject().value(QStringLiteral("session"));
        QTRY_VERIFY(record().value(QStringLiteral("closed")).toArray().contains(session));
    }

    // Signals the real front end never sends in a wrong shape: the back end
    // sends them as itself, and they are handed to a bound portal client.
    void malformedSignalsAreIgnored_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QStringList>("arguments"); // JSON; SESSION: the session's path
        QTest::addColumn<int>("taken");
        const QString changed = QStringLiteral("ShortcutsChanged");
        const QString activated = QStringLiteral("Activated");
        const QString session = QStringLiteral("SESSION");
        QTest::newRow("changed") << changed << "oa(sa{sv})"
                                 << QStringList{session, R"([["play-pause", {"trigger_description": "F7"}]])"} << 1;
        QTest::newRow("changed as string pairs") << changed << "oa(ss)" << QStringList{session, R"([["play-pause", "F7"]])"} << 0;
        QTest::newRow("changed as a map") << changed << "oa{sv}" << QStringList{session, R"({"play-pause": "F7"})"} << 0;
        QTest::newRow("changed with number lists") << changed << "oa(saai)" << QStringList{session, R"([["play-pause", [[7]]]])"} << 0;
        QTest::newRow("changed without shortcuts") << changed << "o" << QStringList{session} << 0;
        QTest::newRow("activated") << activated << "osta{sv}" << QStringList{session, R"("play-pause")", "0", "{}"} << 1;
        QTest::newRow("activated by number") << activated << "ota{sv}" << QStringList{session, "6", "{}"} << 0;
        QTest::newRow("deactivated, session a string") << QStringLiteral("Deactivated") << "ssta{sv}"
                                                       << QStringList{session, R"("play-pause")", "0", "{}"} << 0;
    }
    void malformedSignalsAreIgnored()
    {
        QFETCH(QString, member);
        QFETCH(QString, signature);
        QFETCH(QStringList, arguments);
        QFETCH(int, taken);
        GlobalShortcutsPortal portal(QDBusConnection::sessionBus());
        QSignalSpy bound(&portal, &GlobalShortcutsPortal::bound);
        portal.bind({{QStringLiteral("play-pause"), {{QStringLiteral("description"), QStringLiteral("Play/Pause")}}}});
        QTRY_COMPARE(bound.size(), 1);
        const QString session = binds().last().toObject().value(QStringLiteral("session")).toString();
        arguments.replaceInStrings(QStringLiteral("SESSION"), QStringLiteral("\"%1\"").arg(session));

        QSignalSpy changed(&portal, &GlobalShortcutsPortal::changed);
        QSignalSpy activated(&portal, &GlobalShortcutsPortal::activated);
        QSignalSpy deactivated(&portal, &GlobalShortcutsPortal::deactivated);
        const QString rawInterface = QStringLiteral("org.murmelvox.test.Raw");
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.connect(BackendName, PortalPath, rawInterface, member, this, SLOT(caught(QDBusMessage))));
        raw = {};
        control(QStringLiteral("Emit"), {member, signature, arguments});
        QTRY_COMPARE(raw.type(), QDBusMessage::SignalMessage);
        bus.disconnect(BackendName, PortalPath, rawInterface, member, this, SLOT(caught(QDBusMessage)));
        QCOMPARE(raw.signature(), signature);
        QVERIFY(QMetaObject::invokeMethod(&portal, qPrintable(QStringLiteral("on") + member), Q_ARG(QDBusMessage, raw)));
        QCOMPARE(changed.size() + activated.size() + deactivated.size(), taken);
    }

    void malformedVersionIsRefused_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<uint>("version");
        QTest::newRow("uint") << "u" << 1u;
        QTest::newRow("negative int") << "i" << 0u;
        QTest::newRow("string") << "s" << 0u;
        QTest::newRow("string pairs") << "a(ss)" << 0u;
        QTest::newRow("uint, not a variant") << "u, not a variant" << 0u;
    }
    void malformedVersionIsRefused()
    {
        QFETCH(QString, shape);
        QFETCH(uint, version);
        QDBusMessage call = QDBusMessage::createMethodCall(BackendName, PortalPath,
                                                           QStringLiteral("org.murmelvox.test.PortalBackend"),
                                                           QStringLiteral("Version"));
        call << shape;
        QCOMPARE(GlobalShortcutsPortal::versionOf(QDBusConnection::sessionBus().call(call, QDBus::Block, 5000)), version);
    }

};

QTEST_MAIN(TestPortal)
#include "test_portal.moc"
