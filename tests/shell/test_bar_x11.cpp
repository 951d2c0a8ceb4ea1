// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a real X server (Xvfb, 1024 x 768) with an XEmbed tray
// (trayer): where the bar appears, its shape and window state, expanding and
// collapsing by clicks, its tray icon, and the exit button. Also how it
// starts without a usable display.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

const QString Program = QStringLiteral(MURMELVOX_BIN);

QString Run(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(10000))
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString BarWindow()
{
    const QStringList ids = Run(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Murmelvox - Kelvaro$")})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? QString() : ids.first();
}

QRect Geometry(const QString &window)
{
    const QString info = Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto field = [&](const char *name) {
        const QRegularExpression re(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)));
        return re.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

void Click(int x, int y)
{
    Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                                    QStringLiteral("click"), QStringLiteral("1")});
}

xcb_connection_t *Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

bool TrayPresent()
{
    xcb_connection_t *c = Connection();
    const char name[] = "_NET_SYSTEM_TRAY_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool present = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return present;
}

// Where the tray shows our icon, in screen coordinates; empty when it does not.
QRect TrayIconPlace()
{
    const QStringList panels = Run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^panel$")})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QRegularExpression line(QStringLiteral(
        "\\(\"murmelvox\" \"murmelvox\"\\)\\s+(\\d+)x(\\d+)[+-]\\d+[+-]\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"));
    for (const QString &panel : panels) {
        const QRegularExpressionMatch m
            = line.match(Run(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), panel}));
        if (m.hasMatch())
            return QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    }
    return QRect();
}

// Whether the tray's panel holds a window of our program.
bool TrayHoldsOurIcon()
{
    const QStringList panels = Run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^panel$")})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &panel : panels) {
        if (Run(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), panel})
                .contains(QStringLiteral("(\"murmelvox\" \"murmelvox\")")))
            return true;
    }
    return false;
}

QImage Screen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

const QColor Backdrop(255, 0, 0);

bool IsBackdrop(const QImage &screen, int x, int y)
{
    return screen.pixelColor(x, y) == Backdrop;
}

} // namespace

class TestBarX11 : public QObject
{
    Q_OBJECT
private:
    QProcess m_tray;
    QProcess m_bar;
    QWidget m_backdrop;
    QString m_window;

    QProcessEnvironment WaylandSessionEnvironment()
    {
        // A Wayland session without a platform chosen: the program must pick
        // X11 (XWayland) by itself.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-murmelvox-test-none"));
        return env;
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().width(), 1024);
        // A red window behind where the bar goes, so its cut corners show.
        m_backdrop.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        m_backdrop.setAutoFillBackground(true);
        QPalette pal = m_backdrop.palette();
        pal.setColor(QPalette::Window, Backdrop);
        m_backdrop.setPalette(pal);
        m_backdrop.setGeometry(560, 0, 464, 200);
        m_backdrop.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_backdrop));

        m_tray.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"),
                                                QStringLiteral("--align"), QStringLiteral("right"),
                                                QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                                                QStringLiteral("--width"), QStringLiteral("100")});
        QVERIFY(m_tray.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(TrayPresent(), 10000);

        m_bar.setProcessEnvironment(WaylandSessionEnvironment());
        m_bar.start(Program, {});
        QVERIFY(m_bar.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!(m_window = BarWindow()).isEmpty(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(Geometry(m_window).height(), 18, 5000);
    }

    void cleanupTestCase()
    {
        if (m_bar.state() != QProcess::NotRunning) {
            m_bar.kill();
            m_bar.waitForFinished();
        }
        m_tray.terminate();
        if (!m_tray.waitForFinished(3000)) {
            m_tray.kill();
            m_tray.waitForFinished();
        }
    }

    void placedTopRight()
    {
        // 15360 - 5310 - 850 = 9200 twips: 613 pixels
        QCOMPARE(Geometry(m_window), QRect(613, 0, 354, 18));
    }

    void windowState()
    {
        const QString props = Run(QStringLiteral("xprop"), {QStringLiteral("-id"), m_window});
        const QString state = QRegularExpression(QStringLiteral("_NET_WM_STATE\\(ATOM\\) = ([^\\n]*)")).match(props).captured(1);
        QVERIFY2(state.contains(QStringLiteral("_NET_WM_STATE_ABOVE")), qPrintable(state));
        QVERIFY2(state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")), qPrintable(state));
        QVERIFY2(state.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER")), qPrintable(state));
        // no title bar or border: Motif hints with no decorations
        QVERIFY(props.contains(QStringLiteral("_MOTIF_WM_HINTS")));
        const QString type = QRegularExpression(QStringLiteral("_NET_WM_WINDOW_TYPE\\(ATOM\\) = ([^\\n]*)")).match(props).captured(1);
        QVERIFY2(type.startsWith(QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")), qPrintable(type));
        QVERIFY(props.contains(QStringLiteral("WM_NAME(UTF8_STRING) = \"Murmelvox - Kelvaro\"")));
    }

    void roundedShape()
    {
        const QString shape = Run(QStringLiteral("xwininfo"), {QStringLiteral("-shape"), QStringLiteral("-id"), m_window});
        QVERIFY2(shape.contains(QStringLiteral("Window shape extents:  350x139+0+0")), qPrintable(shape));
        // A slow (sanitized) bar is mapped a while before its first paint.
        QTRY_VERIFY_WITH_TIMEOUT(!IsBackdrop(Screen(), 613 + 30, 8), 10000);
        const QImage screen = Screen();
        QVERIFY(IsBackdrop(screen, 613, 0));          // top-left corner cut
        QVERIFY(IsBackdrop(screen, 613 + 349, 0));    // top-right corner cut
        QVERIFY(IsBackdrop(screen, 613 + 351, 8));    // beyond the region's 350 pixels
        QVERIFY(!IsBackdrop(screen, 613 + 30, 8));    // the strip
        QVERIFY(!IsBackdrop(screen, 613 + 3, 17));    // corner rounding ends within the strip's height
        QVERIFY(IsBackdrop(screen, 613 + 100, 30));   // collapsed: nothing below the strip
    }

    void trayIcon()
    {
        QTRY_VERIFY_WITH_TIMEOUT(TrayHoldsOurIcon(), 5000);
        const QRect icon = TrayIconPlace();
        QVERIFY(icon.isValid());
        QVERIFY(icon.width() >= 16);
        const auto visibleWindows = [] {
            const QString windows = Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                                    QStringLiteral("--class"), QStringLiteral("murmelvox")});
            return windows.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
        };
        const auto click = [&](const char *button) {
            Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(icon.center().x()),
                                            QString::number(icon.center().y()), QStringLiteral("click"),
                                            QLatin1String(button)});
        };
        // The bar, the icon, and the notice that on this Wayland session
        // (no portal) the hot keys reach only X11 windows.
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(), 3, 5000);
        // A left click does nothing.
        click("1");
        QTest::qWait(500);
        QCOMPARE(m_bar.state(), QProcess::Running);
        QCOMPARE(Geometry(m_window), QRect(613, 0, 354, 18));
        QCOMPARE(visibleWindows(), 3);
        // A right click opens its menu (Settings), which Escape closes unused.
        click("3");
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(), 4, 5000);
        Run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(), 3, 5000);
        QCOMPARE(Geometry(m_window), QRect(613, 0, 354, 18));
    }

    void expandAndCollapseByClicks()
    {
        const QRect bar = Geometry(m_window);
        // panelButton lies in windowButtonsFrame at (269 + 18, 2) and is 18 x 13
        const int x = bar.x() + 269 + 18 + 9, y = 8;
        Click(x, y);
        QTRY_COMPARE_WITH_TIMEOUT(Geometry(m_window).height(), 139, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!IsBackdrop(Screen(), 613 + 175, 100), 10000);  // the panel, once painted
        const QImage expanded = Screen();
        QVERIFY(IsBackdrop(expanded, 613, 138));         // bottom-left corner cut
        QVERIFY(IsBackdrop(expanded, 613 + 349, 138));   // bottom-right corner cut
        QVERIFY(!IsBackdrop(expanded, 613 + 25, 138));
        QVERIFY(IsBackdrop(expanded, 613 + 100, 140));   // below the bar
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);  // a click, not a double click
        Click(x, y);
        QTRY_COMPARE_WITH_TIMEOUT(Geometry(m_window).height(), 18, 5000);
        QCOMPARE(Geometry(m_window), QRect(613, 0, 354, 18));
    }

    void exitButtonEndsProgram()
    {
        QVERIFY(TrayHoldsOurIcon());
        // exitButton lies in windowButtonsFrame at (269 + 40, 2) and is 14 x 13
        Click(613 + 269 + 40 + 7, 8);
        QVERIFY(m_bar.waitForFinished(5000));
        QCOMPARE(m_bar.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_bar.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!TrayHoldsOurIcon(), 3000);
        QVERIFY(BarWindow().isEmpty());
    }

    void startsWithoutTray()
    {
        m_tray.terminate();
        QVERIFY(m_tray.waitForFinished(3000));
        QTRY_VERIFY_WITH_TIMEOUT(!TrayPresent(), 3000);
        QProcess bar;
        bar.start(Program, {});
        QVERIFY(bar.waitForStarted());
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = BarWindow()).isEmpty(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(Geometry(window), QRect(613, 0, 354, 18), 5000);
        Click(613 + 269 + 40 + 7, 8);
        QVERIFY(bar.waitForFinished(5000));
        QCOMPARE(bar.exitCode(), 0);
    }

    void withoutDisplay_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("message");
        QTest::newRow("DISPLAY not set") << QString() << "DISPLAY is not set";
        QTest::newRow("no server there") << ":97" << "cannot open the X display \":97\"";
    }
    void withoutDisplay()
    {
        QFETCH(QString, display);
        QFETCH(QString, message);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("XAUTHORITY"));
        if (display.isEmpty())
            env.remove(QStringLiteral("DISPLAY"));
        else
            env.insert(QStringLiteral("DISPLAY"), display);
        QProcess bar;
        bar.setProcessEnvironment(env);
        bar.start(Program, {});
        QVERIFY(bar.waitForFinished(10000));
        QCOMPARE(bar.exitStatus(), QProcess::NormalExit);  // not a crash
        QCOMPARE(bar.exitCode(), 1);
        const QStringList lines = QString::fromLocal8Bit(bar.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(message), qPrintable(lines.first()));
    }
};

QTEST_MAIN(TestBarX11)
#include "test_bar_x11.moc"
