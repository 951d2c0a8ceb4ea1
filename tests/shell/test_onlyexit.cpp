// SPDX-License-Identifier: GPL-3.0-or-later
// Only the exit button ends the bar. The real program in its own event loop
// on a real X server, with another client holding its hot keys so that it
// shows its notice: closing that notice or any other window the program
// shows, by its button or by the window's close box, leaves the bar running.
// Termination signals end it as the exit button does.
#include "../hotkeys/X11TestSupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStyleHints>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>

#include <csignal>
#include <cstring>

namespace {

const QString Program = QStringLiteral(MURMELVOX_BIN);
constexpr int BarLeft = 613; // 1024-pixel screen

QString Run(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(10000))
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString VisibleWindow(const QString &title)
{
    const QStringList ids = Run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                 QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? QString() : ids.first();
}

int Height(const QString &window)
{
    const QString shape = Run({QStringLiteral("getwindowgeometry"), window});
    return QRegularExpression(QStringLiteral("Geometry: \\d+x(\\d+)")).match(shape).captured(1).toInt();
}

void Click(int x, int y)
{
    Run({QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
         QStringLiteral("1")});
    // The next click must not make a double click of this one.
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
}

// What a window manager sends when the user presses a window's close box.
void PressCloseBox(const QString &window)
{
    xcb_connection_t *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    };
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.toUInt();
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// Return on the focused box presses its OK button. A box that has only just
// been mapped may not take the focus yet: try again until it is gone.
void PressOk(const QString &window, const QString &title)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        Run({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        Run({QStringLiteral("key"), QStringLiteral("Return")});
        if (QTest::qWaitFor([&] { return VisibleWindow(title) != window; }, 1000))
            return;
    }
}

// Where the bar's controls are, in screen pixels (the bar sits at the top).
const QPoint PlayButton(BarLeft + 24 + 6, 8);
const QPoint OpenButton(BarLeft + 269 + 7, 8);
const QPoint PanelButton(BarLeft + 269 + 18 + 9, 8);
const QPoint KeysButton(BarLeft + 316, 66);
const QPoint HelpButton(BarLeft + 316, 82);

} // namespace

class TestOnlyExit : public QObject
{
    Q_OBJECT
    RivalClient rival;
    QProcess bar;
    QString barWindow;

    void startBar()
    {
        bar.start(Program, {});
        QVERIFY(bar.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!(barWindow = VisibleWindow(QStringLiteral("Murmelvox - Kelvaro"))).isEmpty(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(Height(barWindow), 18, 5000);
    }

    // Running, and its panel button still works both ways.
    void verifyBarAnswers()
    {
        QTest::qWait(300);
        QCOMPARE(bar.state(), QProcess::Running);
        Click(PanelButton.x(), PanelButton.y());
        QTRY_COMPARE_WITH_TIMEOUT(Height(barWindow), 139, 5000);
        Click(PanelButton.x(), PanelButton.y());
        QTRY_COMPARE_WITH_TIMEOUT(Height(barWindow), 18, 5000);
        QCOMPARE(bar.state(), QProcess::Running);
    }

    QString waitForWindow(const QString &title)
    {
        QString window;
        (void)QTest::qWaitFor([&] { return !(window = VisibleWindow(title)).isEmpty(); }, 10000);
        return window;
    }

private slots:
    void initTestCase()
    {
        for (FunctionKey vk : {FunctionKey::F5, FunctionKey::F6, FunctionKey::F8})
            QVERIFY(rival.grab(rival.keycodeOf(KeysymOf(vk)), XCB_MOD_MASK_ANY));
    }

    void cleanup()
    {
        if (bar.state() != QProcess::NotRunning) {
            bar.kill();
            bar.waitForFinished();
        }
    }

    void closingAWindowKeepsTheBar_data()
    {
        QTest::addColumn<QPoint>("opener");   // null: the start-up notice itself
        QTest::addColumn<bool>("expand");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("closeBox");   // otherwise its OK button or Return

        QTest::newRow("notice, OK") << QPoint() << false << "Murmelvox" << false;
        QTest::newRow("notice, close box") << QPoint() << false << "Murmelvox" << true;
        QTest::newRow("refusal box, OK") << PlayButton << false << "Murmelvox" << false;
        QTest::newRow("refusal box, close box") << PlayButton << false << "Murmelvox" << true;
        QTest::newRow("open dialog, close box") << OpenButton << false << "Murmelvox .::. Select a Voice file..." << true;
        QTest::newRow("keys dialog, close box") << KeysButton << true << "Murmelvox - Define Keys" << true;
        QTest::newRow("help window, close box") << HelpButton << true << "Murmelvox Help" << true;
    }
    void closingAWindowKeepsTheBar()
    {
        QFETCH(QPoint, opener);
        QFETCH(bool, expand);
        QFETCH(QString, title);
        QFETCH(bool, closeBox);

        startBar();
        const QString notice = waitForWindow(QStringLiteral("Murmelvox"));
        QVERIFY2(!notice.isEmpty(), "no notice of the keys held by another client");
        QString window = notice;
        if (!opener.isNull()) {
            PressOk(notice, QStringLiteral("Murmelvox"));
            QTRY_VERIFY_WITH_TIMEOUT(VisibleWindow(QStringLiteral("Murmelvox")).isEmpty(), 5000);
            verifyBarAnswers();
            if (expand) {
                Click(PanelButton.x(), PanelButton.y());
                QTRY_COMPARE_WITH_TIMEOUT(Height(barWindow), 139, 5000);
            }
            Click(opener.x(), opener.y());
            window = waitForWindow(title);
            QVERIFY2(!window.isEmpty(), qPrintable(title));
        }
        if (closeBox)
            PressCloseBox(window);
        else
            PressOk(window, title);
        QTRY_VERIFY_WITH_TIMEOUT(VisibleWindow(title).isEmpty(), 5000);
        if (expand) {
            QTest::qWait(300);
            QCOMPARE(bar.state(), QProcess::Running);
            Click(PanelButton.x(), PanelButton.y());
            QTRY_COMPARE_WITH_TIMEOUT(Height(barWindow), 18, 5000);
        }
        verifyBarAnswers();
    }

    void signalsEndItAsTheExitButtonDoes_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalsEndItAsTheExitButtonDoes()
    {
        QFETCH(int, signal);
        rival.ungrab(rival.keycodeOf(KeysymOf(FunctionKey::F4)), XCB_MOD_MASK_ANY); // F4 is ours while the bar runs
        startBar();
        QTRY_VERIFY_WITH_TIMEOUT(!rival.isFreeKey(FunctionKey::F4), 5000);
        ::kill(pid_t(bar.processId()), signal);
        QVERIFY(bar.waitForFinished(5000));
        QCOMPARE(bar.exitStatus(), QProcess::NormalExit); // not killed by the signal
        QCOMPARE(bar.exitCode(), 0);
        QVERIFY(rival.isFreeKey(FunctionKey::F4));
    }
};

QTEST_MAIN(TestOnlyExit)
#include "test_onlyexit.moc"
