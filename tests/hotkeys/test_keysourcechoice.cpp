// SPDX-License-Identifier: GPL-3.0-or-later
// Which key source a session gets: the portal on Wayland where the desktop
// offers global shortcuts, X11 grabs otherwise, and the override.
#include "hotkeys/KeySource.h"

#include <QTest>

Q_DECLARE_METATYPE(KeySourceKind)

class TestKeySourceChoice : public QObject
{
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QByteArray>("wanted");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("portalOffers");
        QTest::addColumn<KeySourceKind>("kind");
        QTest::addColumn<bool>("x11OnWayland");
        QTest::addColumn<bool>("portalAsked");

        QTest::newRow("x11 session: grabs, portal not asked") << QByteArray() << false << true << KeySourceKind::X11 << false << false;
        QTest::newRow("wayland with the portal: portal") << QByteArray() << true << true << KeySourceKind::Portal << false << true;
        QTest::newRow("wayland without: grabs, user told") << QByteArray() << true << false << KeySourceKind::X11 << true << true;
        QTest::newRow("override none on wayland") << QByteArray("none") << true << true << KeySourceKind::None << false << false;
        QTest::newRow("override x11 on wayland: not told") << QByteArray("x11") << true << true << KeySourceKind::X11 << false << false;
        QTest::newRow("override portal on x11") << QByteArray("portal") << false << false << KeySourceKind::Portal << false << false;
        QTest::newRow("unknown override: chosen as usual") << QByteArray("kde") << true << false << KeySourceKind::X11 << true << true;
    }
    void choice()
    {
        QFETCH(QByteArray, wanted);
        QFETCH(bool, wayland);
        QFETCH(bool, portalOffers);
        bool asked = false;
        const KeySourceChoice c = ChooseKeySource(wanted, wayland, [&] {
            asked = true;
            return portalOffers;
        });
        QTEST(c.kind, "kind");
        QTEST(c.x11OnWayland, "x11OnWayland");
        QTEST(asked, "portalAsked");
    }
};

QTEST_GUILESS_MAIN(TestKeySourceChoice)
#include "test_keysourcechoice.moc"
