// SPDX-License-Identifier: GPL-3.0-or-later
// A portal that holds its name on the bus but never answers does not hold
// the GUI thread: choosing the key source returns long before the question
// times out (a blocking call would return only then), and the keys fall to
// X11 once it has.
#include "hotkeys/KeySource.h"
#include "portal/GlobalShortcutsPortal.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QElapsedTimer>
#include <optional>

class TestPortalSilent : public QObject
{
    Q_OBJECT
    QProcess silent;

private slots:
    void initTestCase()
    {
        silent.setProgram(QStringLiteral("/usr/bin/python3"));
        silent.setArguments({QStringLiteral(MURMELVOX_PORTAL_DIR "/silent_portal.py")});
        silent.setProcessChannelMode(QProcess::ForwardedChannels);
        silent.start();
        QVERIFY(silent.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     GlobalShortcutsPortal::Service), 15000);
    }
    void cleanupTestCase()
    {
        silent.kill();
        silent.waitForFinished(5000);
    }

    void waylandKeysWaitThenFallToX11()
    {
        qputenv("XDG_SESSION_TYPE", "wayland");
        qunsetenv("MURMELVOX_HOTKEYS");
        std::optional<CreatedKeySource> created;
        QElapsedTimer asked;
        asked.start();
        CreateKeySource(this, [&](CreatedKeySource c) { created = std::move(c); });
        QVERIFY(!created);
        QVERIFY2(asked.elapsed() < 1000, "choosing the key source held the caller");
        QTRY_VERIFY_WITH_TIMEOUT(created, 10000);
        QVERIFY(created->x11OnWayland);
    }

    void goneAskerIsNotAnswered()
    {
        bool answered = false;
        auto *asker = new QObject;
        GlobalShortcutsPortal::probeVersion(QDBusConnection::sessionBus(), 300, asker, [&](uint) { answered = true; });
        delete asker;
        QTest::qWait(1000);
        QVERIFY(!answered);
    }
};

QTEST_MAIN(TestPortalSilent)
#include "test_portal_silent.moc"
