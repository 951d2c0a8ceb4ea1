// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/x11/X11Typist.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <xcb/xcb.h>

using Outcome = X11Typist::Outcome;

bool Xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}
Q_DECLARE_METATYPE(X11Typist::Outcome)

// Typing with XTEST reaches xterm, which ignores key events sent by another
// client: it is typing as the keyboard's.
class TestTyping : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QProcess xterm;
    QString typedPath;

    static QString read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    static std::optional<Outcome> typeAndWait(X11Typist &typist, const QString &text)
    {
        std::optional<Outcome> outcome;
        typist.type(text, [&](Outcome o) { outcome = o; });
        for (QDeadlineTimer deadline(X11Typist::ModifierWaitMs + 2000); !outcome && !deadline.hasExpired();)
            QTest::qWait(5);
        return outcome;
    }
    void focusXterm()
    {
        const QString id = dir.filePath("window");
        QTRY_VERIFY_WITH_TIMEOUT(read(id).endsWith('\n'), 10000);
        QVERIFY(Xdotool({"windowfocus", "--sync", read(id).trimmed()}));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        typedPath = dir.filePath("typed");
        xterm.start("xterm", {"-e", "sh", "-c",
                              QString("echo $WINDOWID > '%1'; stty raw -echo; exec cat > '%2'")
                                  .arg(dir.filePath("window"), typedPath)});
        QVERIFY2(xterm.waitForStarted(), "xterm is missing");
    }
    void cleanupTestCase()
    {
        xterm.kill();
        xterm.waitForFinished();
    }

    void typesIntoTheFocusedWindow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("held");   // a modifier down while asked, let go of later
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("typed");
        QTest::newRow("brackets, shifted colons") << "[00:12:34]" << "" << Outcome::Typed << "[00:12:34]";
        QTest::newRow("parentheses and a fraction") << "(01:02:03.45)" << "" << Outcome::Typed << "(01:02:03.45)";
        QTest::newRow("after Ctrl is let go of") << "#12:34,5#" << "ctrl" << Outcome::Typed << "#12:34,5#";
        QTest::newRow("after Shift is let go of") << "12:34" << "shift" << Outcome::Typed << "12:34";
        QTest::newRow("not on the layout: nothing") << "1\u20ac" << "" << Outcome::NotOnKeyboard << "";
    }
    void typesIntoTheFocusedWindow()
    {
        QFETCH(QString, text);
        QFETCH(QString, held);
        QFETCH(Outcome, outcome);
        QFETCH(QString, typed);
        focusXterm();
        const QString before = read(typedPath);
        X11Typist typist;
        if (!held.isEmpty()) {
            QVERIFY(Xdotool({"keydown", held}));
            QTimer::singleShot(300, [&] { Xdotool({"keyup", held}); });
        }
        QCOMPARE(typeAndWait(typist, text), std::optional(outcome));
        // What was typed, and only that: a line end sent after it is the
        // next thing in the file.
        QVERIFY(Xdotool({"key", "Return"}));
        QTRY_COMPARE(read(typedPath).mid(before.size()), typed + '\r');
    }

    void modifierHeldPastTheWaitTypesNothing()
    {
        focusXterm();
        QVERIFY(Xdotool({"keydown", "alt"}));
        const auto release = qScopeGuard([] { Xdotool({"keyup", "alt"}); });
        X11Typist typist;
        QCOMPARE(typeAndWait(typist, "12:34"), std::optional(Outcome::ModifierHeld));
    }

    void noFocusTypesNothing()
    {
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_NONE, XCB_NONE, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        xcb_disconnect(c);
        X11Typist typist;
        QCOMPARE(typeAndWait(typist, "12:34"), std::optional(Outcome::NoFocus));
    }
};

QTEST_MAIN(TestTyping)
#include "test_typing.moc"
