// SPDX-License-Identifier: GPL-3.0-or-later
// Bookmarks on the real bar with the real engine playing a generated file:
// the buttons, the user's choice jumping, and the program's choices not.
#include "ui/BookmarkList.h"
#include "playback/MediaFiles.h"
#include "engine/Player.h"
#include "ui/Bar.h"
#include "ui/BookmarksView.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestBookmarkBar : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_messages;

    QByteArray fileContent() const
    {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static QStringList items(const QComboBox *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->itemText(i));
        return out;
    }

    // Chooses an item with the keyboard, as a user without a mouse would.
    static void chooseByKeyboard(QComboBox *list, const QString &text)
    {
        list->setFocus();
        const int target = list->findText(text);
        QVERIFY(target >= 0);
        while (list->currentIndex() < target)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex() > target)
            QTest::keyClick(list, Qt::Key_Up);
    }

private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("bookmark.ini");
        SetMessageHandler([this](const QString &prompt, int, const QString &) {
            m_messages.append(prompt);
            return int(MessageAnswer::Yes);
        });
    }
    void cleanupTestCase() { SetMessageHandler({}); }

    void setJumpClearAndRestart()
    {
        {
            Bar form;
            form.load();
            form.resize(form.width(), Px(2090));
            form.show();
            form.bookmarks().setPath(m_path);
            form.bookmarks().load();
            QCOMPARE(fileContent(), QByteArray()); // first start: an empty file
            QCOMPARE(form.findChild<QComboBox *>("bookmarkList")->count(), 0);

            // Set with no file open is refused.
            QTest::mouseClick(form.findChild<QPushButton *>("setBookmarkButton"), Qt::LeftButton);
            QCOMPARE(m_messages, QStringList{"Select a Media File first!"});
            m_messages.clear();

            MediaPlayer &mp = form.player().engine();
            openNow(mp, mediaFile("tone.wav"));
            mp.Pause();
            mp.setCurrentPosition(12.346);
            QTest::mouseClick(form.findChild<QPushButton *>("setBookmarkButton"), Qt::LeftButton);
            mp.setCurrentPosition(3.456);
            QTest::mouseClick(form.findChild<QPushButton *>("setBookmarkButton"), Qt::LeftButton);
            QCOMPARE(fileContent(), QByteArray(" 12.35 \r\n 3.46 \r\n"));
            QCOMPARE(items(form.findChild<QComboBox *>("bookmarkList")), (QStringList{"3.46", "12.35"}));
            QCOMPARE(form.findChild<QComboBox *>("bookmarkList")->currentText(), "3.46");
            // Choosing the new item by program left the position alone.
            QCOMPARE(mp.CurrentPosition(), 3.456);

            // The user's choice jumps.
            chooseByKeyboard(form.findChild<QComboBox *>("bookmarkList"), "12.35");
            QTRY_COMPARE(mp.CurrentPosition(), 12.35);
            mp.setCurrentPosition(7);
            chooseByKeyboard(form.findChild<QComboBox *>("bookmarkList"), "3.46");
            QCOMPARE(mp.CurrentPosition(), 3.46);

            // Clear removes the chosen one; the program's choice of the first
            // item does not move the position.
            mp.setCurrentPosition(15);
            chooseByKeyboard(form.findChild<QComboBox *>("bookmarkList"), "12.35");
            mp.setCurrentPosition(15);
            QTest::mouseClick(form.findChild<QPushButton *>("clearBookmarkButton"), Qt::LeftButton);
            QCOMPARE(fileContent(), QByteArray("3.46\r\n"));
            QCOMPARE(items(form.findChild<QComboBox *>("bookmarkList")), QStringList{"3.46"});
            QCOMPARE(form.findChild<QComboBox *>("bookmarkList")->currentText(), "3.46");
            QCOMPARE(mp.CurrentPosition(), 15.0);
            QVERIFY(m_messages.isEmpty());
        }

        // The next start lists what was kept.
        Bar again;
        again.load();
        again.bookmarks().setPath(m_path);
            again.bookmarks().load();
        QCOMPARE(items(again.findChild<QComboBox *>("bookmarkList")), QStringList{"3.46"});
        QCOMPARE(again.findChild<QComboBox *>("bookmarkList")->currentText(), "3.46");

        // Clear All, confirmed.
        QTest::mouseClick(again.findChild<QPushButton *>("clearAllBookmarksButton"), Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{"Are you sure you want to clear all Bookmarks?"});
        QCOMPARE(again.findChild<QComboBox *>("bookmarkList")->count(), 0);
        QCOMPARE(fileContent(), QByteArray());
    }
};

QTEST_MAIN(TestBookmarkBar)
#include "test_bookmarkbar.moc"
