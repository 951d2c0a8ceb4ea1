// SPDX-License-Identifier: GPL-3.0-or-later
// The Help window opened from the real bar's "Help" button.
#include "ui/Help.h"
#include "ui/Controls.h"
#include "ui/Bar.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

int helpWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<Help *>(w))
            ++n;
    }
    return n;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

    Bar *m_form = nullptr;
    QStringList m_messages;

private slots:
    void initTestCase()
    {
        SetMessageHandler([this](const QString &prompt, int, const QString &) {
            m_messages.append(prompt);
            return int(MessageAnswer::OK);
        });
        m_form = new Bar;
        m_form->load();
        m_form->expandAtOnce();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanupTestCase()
    {
        delete Help::Instance();
        delete m_form;
        SetMessageHandler({});
    }
    void cleanup()
    {
        if (Help::Instance())
            Help::Instance()->close();
        QTRY_COMPARE(helpWindows(), 0);
        m_messages.clear();
    }

    void pictureIsCompiledIn()
    {
        const QPixmap picture = Help::Picture();
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(549, 493));
    }

    void windowAsLaidOut()
    {
        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        Help *help = Help::Instance();
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QCOMPARE(help->windowTitle(), "Murmelvox Help");
        QVERIFY(!help->accessibleName().isEmpty());
        // Fixed size, 8235 by 7380 twips.
        QCOMPARE(help->size(), QSize(549, 492));
        QCOMPARE(help->minimumSize(), help->maximumSize());
        const Qt::WindowFlags flags = help->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!help->parentWidget()); // no owner

        QCOMPARE(help->closeButton->text(), "Close");
        QCOMPARE(help->closeButton->geometry(), QRect(472, 392, 65, 25));
        QCOMPARE(help->closeButton->accessibleName(), "Close");
        QVERIFY(!help->closeButton->isDefault());
        QVERIFY(!help->closeButton->autoDefault());
    }

    // The picture is the background: unscaled, from the top-left corner.
    void pictureDrawnUnscaled()
    {
        Help *help = Help::ShowHelp();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        const QImage shown = help->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = Help::Picture().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(549, 492));
        for (const QPoint p : {QPoint(0, 0), QPoint(548, 0), QPoint(10, 30), QPoint(274, 200), QPoint(100, 480),
                               QPoint(548, 491), QPoint(300, 350)}) {
            QVERIFY2(shown.pixel(p) == picture.pixel(p),
                     qPrintable(QStringLiteral("pixel %1,%2 differs").arg(p.x()).arg(p.y())));
        }
    }

    void closeHasFocusAndKeysDoNothing()
    {
        Help *help = Help::ShowHelp();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(help->closeButton));
        // Neither default nor cancel button.
        QTest::keyClick(help, Qt::Key_Escape);
        QTest::qWait(20);
        QVERIFY(Help::Instance() == help);
        QVERIFY(help->isVisible());
    }

    void helpTwiceGivesOneWindow()
    {
        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QPointer<Help> first = Help::Instance();
        QVERIFY(first);
        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QCOMPARE(Help::Instance(), first.data());
        QCOMPARE(helpWindows(), 1);
        QVERIFY(first->isVisible());
    }

    void closeDestroysAndNextHelpCreatesAfresh()
    {
        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QPointer<Help> first = Help::Instance();
        QVERIFY(first);
        QTest::mouseClick(first->closeButton, Qt::LeftButton);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(helpWindows(), 0);
        QVERIFY(!Help::Instance());

        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QVERIFY(Help::Instance());
        QVERIFY(Help::Instance()->isVisible());
        QCOMPARE(helpWindows(), 1);
    }

    // The title bar's close box closes it just as "Close" does.
    void closeBoxDestroys()
    {
        QPointer<Help> help = Help::ShowHelp();
        help->close();
        QTRY_VERIFY(help.isNull());
    }

    void mainWindowStaysUsable()
    {
        QTest::mouseClick(m_form->findChild<QPushButton *>("helpButton"), Qt::LeftButton);
        QVERIFY(Help::Instance());
        QVERIFY(m_form->isEnabled());
        QVERIFY(m_form->findChild<QPushButton *>("setBookmarkButton")->isEnabled());
        QVERIFY(!QApplication::activeModalWidget());
        // A click on the bar reaches its handler while Help is open.
        QTest::mouseClick(m_form->findChild<QPushButton *>("setBookmarkButton"), Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{"Select a Media File first!"});
        QVERIFY(Help::Instance());
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
