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
#include "hotkeys/KeyAssignments.h"
#include "hotkeys/KeysDialog.h"
#include "hotkeys/portal/GlobalShortcutsPortal.h"
#include "playback/MediaPlayerControl.h"
#include "settings/SettingsStore.h"
#include "shell/Bar.h"
#include "shell/Startup.h"

#include <QComboBox>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>

namespace {

const QString BackendName = QStringLiteral("org.freedesktop.impl.portal.MurmelvoxTest");

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
    QStringList notices;

    bool playing() { return form->mediaControl->PlayState() == MediaPlayer::Playing; }

    QVariant control(const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(BackendName, QStringLiteral("/org/freedesktop/portal/desktop"),
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

private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
        QFile::remove(SettingsFilePath());
        QVERIFY2(QFile::exists(QStringLiteral(MURMELVOX_PORTAL_FRONT_END)), "xdg-desktop-portal is not installed");
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no private session bus");

        backend.setProgram(QStringLiteral("/usr/bin/python3"));
        backend.setArguments({QStringLiteral(MURMELVOX_PORTAL_DIR "/backend.py")});
        QVERIFY(StartAndAwaitName(backend, BackendName));
        frontEnd.setProgram(QStringLiteral(MURMELVOX_PORTAL_FRONT_END));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), QStringLiteral(MURMELVOX_PORTAL_DIR));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("murmelvox-test"));
        frontEnd.setProcessEnvironment(env);
        QVERIFY(StartAndAwaitName(frontEnd, QStringLiteral("org.freedesktop.portal.Desktop")));
        QCOMPARE(GlobalShortcutsPortal::version(QDBusConnection::sessionBus(), 5000), 1u);

        qputenv("MURMELVOX_HOTKEYS", "portal");
        form = startup();
        QVERIFY(form);
        QTRY_COMPARE_WITH_TIMEOUT(binds().size(), 1, 15000);
        form->globalHotKeys->setNotice([this](const QString &text) { notices.append(text); });
        form->openDialog = std::make_unique<ChoosingDialog>(mediaFile(QStringLiteral("tone.wav")));
        form->chooseFile();
        QCOMPARE(form->mediaControl->PlayState(), int(MediaPlayer::Stopped));
    }
    void cleanupTestCase()
    {
        for (QProcess *p : {&frontEnd, &backend}) {
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
        QTRY_VERIFY(form->globalHotKeys->desktopOwnsKeys());
        QCOMPARE(form->globalHotKeys->desktopTriggerOf(HotKeyAction::PlayPause), std::optional<QString>(QStringLiteral("F6")));
    }

    void pressAndReleasePlayThenPause()
    {
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(playing());
        stroke(QStringLiteral("play-pause"));
        QTRY_COMPARE(form->mediaControl->PlayState(), 1); // paused
        QCOMPARE(form->hotKeys->counts().playPause, std::int16_t(0));
        QVERIFY(notices.isEmpty());
    }

    void changedTriggerReachesTheKeysDialog()
    {
        form->keysButton->click();
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
        KeysDialog *keys = KeysDialog::Show(form, *form->globalHotKeys);
        keys->playPauseList->setCurrentIndex(8); // F9
        keys->setButton->click();
        QTRY_COMPARE(binds().size(), 2);
        const QJsonObject first = binds().at(0).toObject();
        const QJsonObject second = binds().at(1).toObject();
        QCOMPARE(second.value(QStringLiteral("shortcuts")).toArray().at(2).toArray().at(2).toString(), QStringLiteral("F9"));
        // A session is bound once: the old one is closed, a new one bound.
        QVERIFY(first.value(QStringLiteral("session")) != second.value(QStringLiteral("session")));
        QTRY_VERIFY(record().value(QStringLiteral("closed")).toArray().contains(first.value(QStringLiteral("session"))));
        QTRY_COMPARE(form->globalHotKeys->desktopTriggerOf(HotKeyAction::PlayPause), std::optional<QString>(QStringLiteral("F9")));

        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(playing());
        stroke(QStringLiteral("play-pause"));
        QTRY_VERIFY(!playing());
    }

    void cancelledBindFallsBackToX11()
    {
        control(QStringLiteral("AnswerNextBind"), {1u});
        form->globalHotKeys->reloadKeyAssignments();
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith(QStringLiteral("The desktop did not give Murmelvox its hot keys")),
                 qPrintable(notices[0]));
        QVERIFY(!form->globalHotKeys->desktopOwnsKeys());
        RivalClient rival;
        QTRY_VERIFY(!rival.isFreeKey(120)); // F9, now grabbed through X11
        QVERIFY(!rival.isFreeKey(115));
        // The portal's keys no longer act.
        stroke(QStringLiteral("play-pause"));
        QTest::qWait(300);
        QVERIFY(!playing());
    }
};

QTEST_MAIN(TestPortal)
#include "test_portal.moc"
