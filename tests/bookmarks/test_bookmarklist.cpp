// SPDX-License-Identifier: GPL-3.0-or-later
// The list's behaviour on a real drop-down list and a real file, with a small
// stand-in for the player and answered message boxes.
#include "Capabilities.h"
#include "rules/BookmarkFile.h"
#include "ui/BookmarkList.h"
#include "engine/MediaPlayer.h"
#include "rules/NumberText.h"
#include "engine/Player.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

class FakePlayer : public MediaPlayer
{
public:
    ::PlayState state = MediaPlayer::Stopped;
    double position = 0;
    int positionWrites = 0;

    double CurrentPosition() const override { return position; }
    void setCurrentPosition(double seconds) override { position = seconds; ++positionWrites; }
    double Duration() const override { return 3600; }
    double Rate() const override { return 1; }
    void setRate(double) override {}
    ::PlayState PlayState() const override { return state; }
    void Play() override {}
    void Pause() override {}
    void Stop() override {}
    void Open(const FilePath &) override {}
};

const QByteArray Missing = "<missing>";

QByteArray fileContent(const QString &path)
{
    QFile f(path);
    if (!f.exists())
        return Missing;
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void setFileContent(const QString &path, const QByteArray &data)
{
    if (data == Missing) {
        QFile::remove(path);
        return;
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QStringList items(const QComboBox &list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.itemText(i));
    return out;
}

const QString Crit = QStringLiteral("critical: ");

mode_t nodeType(const QString &path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Code that opens a FIFO for reading blocks until a writer comes. After a
// grace second this keeps opening the write end, so such a fault shows as a
// failed check instead of a hung test.
class FifoUnblocker
{
public:
    explicit FifoUnblocker(const QString &fifo) : m_path(QFile::encodeName(fifo))
    {
        m_thread = std::thread([this] {
            for (int i = 0; !m_stop; ++i) {
                if (i >= 20) {
                    const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0)
                        ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~FifoUnblocker()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

class TestBookmarkList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_messages;       // "critical: text", "question: text", "warning: text"
    QString m_path;
    int m_answer = MessageAnswer::Yes;
    int m_lastStyle = -1;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetMessageHandler([this](const QString &prompt, int style, const QString &title) {
            // Every box of the list is captioned with the program's name.
            if (title != QStringLiteral("Murmelvox"))
                m_messages.append(QStringLiteral("bad title: ") + title);
            m_lastStyle = style;
            const int icon = style & 0x70;
            const QString kind = icon == MessageStyle::Critical ? QStringLiteral("critical")
                                 : (style & 0x7) == MessageStyle::YesNo ? QStringLiteral("question")
                                                                      : QStringLiteral("warning");
            m_messages.append(kind + QStringLiteral(": ") + prompt);
            return (style & 0x7) == MessageStyle::YesNo ? m_answer : MessageAnswer::OK;
        });
    }
    void cleanupTestCase() { SetMessageHandler({}); }

    void init()
    {
        m_path = m_dir.filePath("bookmark.ini");
        QFile::remove(m_path);
        m_messages.clear();
        m_answer = MessageAnswer::Yes;
        m_lastStyle = -1;
    }

    // Every row of the list's state table, and the refusals. Each operation
    // but "init" runs after start-up; "choose" picks an item first as the
    // user would.
    void operations_data()
    {
        QTest::addColumn<QByteArray>("fileBefore");
        QTest::addColumn<QString>("choose");
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("playState");
        QTest::addColumn<double>("position");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::addColumn<QStringList>("itemsAfter");
        QTest::addColumn<QString>("chosenAfter");
        QTest::addColumn<QStringList>("messages");

        const int yes = MessageAnswer::Yes, no = MessageAnswer::No;
        const int stopped = int(MediaPlayer::Stopped), noFile = int(MediaPlayer::NoFile);
        const QString ask = QStringLiteral("question: Are you sure you want to clear all Bookmarks?");

        QTest::newRow("start-up with bookmarks: smallest chosen")
            << QByteArray(" 120 \r\n10\r\n 65.46 \r\n") << "" << "init" << noFile << 0.0 << yes
            << QByteArray(" 120 \r\n10\r\n 65.46 \r\n") << QStringList{"10", "65.46", "120"} << "10" << QStringList{};
        QTest::newRow("first start creates an empty file")
            << Missing << "" << "init" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{};
        QTest::newRow("start-up with an empty file")
            << QByteArray() << "" << "init" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{};
        QTest::newRow("start-up with hand edits and junk")
            << QByteArray("notes\r\n\r\n  30\t\n\x01\x02\n5") << "" << "init" << noFile << 0.0 << yes
            << QByteArray("notes\r\n\r\n  30\t\n\x01\x02\n5") << QStringList{"5", "30"} << "5" << QStringList{};

        QTest::newRow("Set: appended, new value chosen")
            << QByteArray(" 10 \r\n 120 \r\n") << "120" << "set" << stopped << 65.456 << yes
            << QByteArray(" 10 \r\n 120 \r\n 65.46 \r\n") << QStringList{"10", "65.46", "120"} << "65.46" << QStringList{};
        QTest::newRow("Set: halfway rounds to even")
            << QByteArray() << "" << "set" << stopped << 65.125 << yes
            << QByteArray(" 65.12 \r\n") << QStringList{"65.12"} << "65.12" << QStringList{};
        QTest::newRow("Set: same position twice gives two items")
            << QByteArray(" 7.5 \r\n") << "" << "set" << int(MediaPlayer::Playing) << 7.5 << yes
            << QByteArray(" 7.5 \r\n 7.5 \r\n") << QStringList{"7.5", "7.5"} << "7.5" << QStringList{};
        QTest::newRow("Set: last line without line end kept apart")
            << QByteArray("10") << "" << "set" << stopped << 2.0 << yes
            << QByteArray("10\r\n 2 \r\n") << QStringList{"2", "10"} << "2" << QStringList{};
        QTest::newRow("Set with no media file refused")
            << QByteArray(" 10 \r\n") << "10" << "set" << noFile << 5.0 << yes
            << QByteArray(" 10 \r\n") << QStringList{"10"} << "10" << QStringList{Crit + "Select a Media File first!"};

        QTest::newRow("Clear, values left: old order, short form, smallest chosen")
            << QByteArray(" 120 \r\n 65.46 \r\n 10 \r\n") << "65.46" << "clear" << noFile << 0.0 << yes
            << QByteArray("120\r\n10\r\n") << QStringList{"10", "120"} << "10" << QStringList{};
        QTest::newRow("Clear removes all equal values at once")
            << QByteArray(" 7.5 \r\n 3 \r\n 7.5 \r\n") << "7.5" << "clear" << noFile << 0.0 << yes
            << QByteArray("3\r\n") << QStringList{"3"} << "3" << QStringList{};
        QTest::newRow("Clear, nothing left: empty file and list")
            << QByteArray(" 5 \r\n") << "5" << "clear" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{};
        QTest::newRow("Clear on an empty file refused")
            << QByteArray() << "" << "clear" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{Crit + "No Bookmarks found!"};

        QTest::newRow("Clear All answered Yes")
            << QByteArray(" 5 \r\n 6 \r\n") << "6" << "clearall" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{ask};
        QTest::newRow("Clear All answered No: unchanged")
            << QByteArray(" 5 \r\n 6 \r\n") << "6" << "clearall" << noFile << 0.0 << no
            << QByteArray(" 5 \r\n 6 \r\n") << QStringList{"5", "6"} << "6" << QStringList{ask};
        QTest::newRow("Clear All on an empty list refused")
            << QByteArray() << "" << "clearall" << noFile << 0.0 << yes
            << QByteArray() << QStringList{} << "" << QStringList{Crit + "No Bookmarks Found!"};
    }
    void operations()
    {
        QFETCH(QByteArray, fileBefore);
        QFETCH(QString, choose);
        QFETCH(QString, op);
        QFETCH(int, playState);
        QFETCH(double, position);
        QFETCH(int, answer);
        QFETCH(QByteArray, fileAfter);
        QFETCH(QStringList, itemsAfter);
        QFETCH(QString, chosenAfter);
        QFETCH(QStringList, messages);

        setFileContent(m_path, fileBefore);
        QComboBox list;
        FakePlayer player;
        player.state = PlayState(playState);
        player.position = position;
        m_answer = answer;

        BookmarkList(&list, m_path).init();
        if (op != "init") {
            list.setCurrentIndex(list.findText(choose));
            QCOMPARE(list.currentText(), choose);
            if (op == "set")
                BookmarkList(&list, m_path).set(player);
            else if (op == "clear")
                BookmarkList(&list, m_path).clear();
            else
                BookmarkList(&list, m_path).clearAll();
        }

        QCOMPARE(m_messages, messages);
        QCOMPARE(fileContent(m_path), fileAfter);
        QCOMPARE(items(list), itemsAfter);
        QCOMPARE(list.currentText(), chosenAfter);
        QCOMPARE(list.currentIndex() >= 0, !chosenAfter.isEmpty());
        // Choosing an item by program never moves the playback position.
        QCOMPARE(player.positionWrites, 0);
        if (op == "clearall" && !messages.isEmpty() && messages.first() == QStringLiteral("question: Are you sure you want to clear all Bookmarks?")) {
            // Information icon, Yes and No, Yes the default (no second-button flag).
            QCOMPARE(m_lastStyle, MessageStyle::YesNo | MessageStyle::Information);
        }
    }

    void reloadAppendsWithoutEmptyingOrChoosing()
    {
        setFileContent(m_path, " 2 \r\n 1 \r\n");
        QComboBox list;
        list.addItem("x");
        QCOMPARE(BookmarkList(&list, m_path).reload(), 2);
        QCOMPARE(items(list), (QStringList{"x", "1", "2"}));
        QCOMPARE(list.currentText(), "x");
    }

    void userChoiceJumps()
    {
        setFileContent(m_path, " 120 \r\n 65.46 \r\n 0.25 \r\n");
        QComboBox list;
        FakePlayer player;
        player.state = MediaPlayer::NoFile; // no play-state check on the jump
        Player controller(player, [] { return 0.0; });
        BookmarkList(&list, m_path).init();
        list.setCurrentIndex(1);
        BookmarkList(&list, m_path).jump(controller);
        QCOMPARE(player.position, 65.46);
        list.setCurrentIndex(0);
        BookmarkList(&list, m_path).jump(controller);
        QCOMPARE(player.position, 0.25);
        QCOMPARE(player.positionWrites, 2);

        // An empty list jumps nowhere.
        list.clear();
        BookmarkList(&list, m_path).jump(controller);
        QCOMPARE(player.positionWrites, 2);
    }

    void survivesRestart()
    {
        FakePlayer player;
        {
            QComboBox list;
            BookmarkList(&list, m_path).init();
            player.position = 42.424;
            BookmarkList(&list, m_path).set(player);
            player.position = 3;
            BookmarkList(&list, m_path).set(player);
        }
        QComboBox again;
        BookmarkList(&again, m_path).init();
        QCOMPARE(items(again), (QStringList{"3", "42.42"}));
        QCOMPARE(again.currentText(), "3");
        QVERIFY(m_messages.isEmpty());
    }

    void thousandsOfValues()
    {
        QByteArray data;
        for (int i = 3000; i >= 1; --i)
            data += BookmarkSetLine(i);
        setFileContent(m_path, data);
        QComboBox list;
        FakePlayer player;
        BookmarkList(&list, m_path).init();
        QCOMPARE(list.count(), 3000);
        QCOMPARE(list.currentText(), "1");

        // Set never fails because of a count.
        player.position = 1500.5;
        BookmarkList(&list, m_path).set(player);
        QCOMPARE(list.count(), 3001);
        QCOMPARE(list.currentText(), "1500.5");

        BookmarkList(&list, m_path).clear();
        QCOMPARE(list.count(), 3000);
        QCOMPARE(list.currentText(), "1");
        QCOMPARE(ParseBookmarkLines(fileContent(m_path)).size(), 3000);

        BookmarkList(&list, m_path).clearAll();
        QCOMPARE(list.count(), 0);
        QCOMPARE(fileContent(m_path), QByteArray());
        QCOMPARE(m_messages.size(), 1); // the question only
    }

    // The file is removed while the program runs.
    void vanishedFile()
    {
        setFileContent(m_path, " 10 \r\n 20 \r\n");
        QComboBox list;
        FakePlayer player;
        BookmarkList(&list, m_path).init();
        list.setCurrentIndex(1);

        QFile::remove(m_path);
        BookmarkList(&list, m_path).clear();
        QCOMPARE(m_messages, QStringList{Crit + "No Bookmarks found!"});
        QCOMPARE(items(list), (QStringList{"10", "20"}));
        QCOMPARE(fileContent(m_path), Missing); // Clear does not create it

        list.clear();
        QCOMPARE(BookmarkList(&list, m_path).reload(), 0);
        QCOMPARE(fileContent(m_path), Missing);

        // Set creates it again with the one new value.
        player.position = 12.5;
        BookmarkList(&list, m_path).set(player);
        QCOMPARE(fileContent(m_path), QByteArray(" 12.5 \r\n"));
        QCOMPARE(items(list), QStringList{"12.5"});
        QCOMPARE(m_messages.size(), 1);
    }

    // The folder that held the file is gone: nothing can be saved, the user
    // is told, and the list keeps showing what it showed.
    void unwritableLocation()
    {
        QTemporaryDir gone;
        const QString dir = gone.filePath("sub");
        QVERIFY(QDir().mkdir(dir));
        m_path = QDir(dir).filePath("bookmark.ini");
        setFileContent(m_path, " 10 \r\n");
        QComboBox list;
        FakePlayer player;
        BookmarkList(&list, m_path).init();
        QVERIFY(QDir(dir).removeRecursively());

        player.position = 11;
        BookmarkList(&list, m_path).set(player);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(Crit + "The bookmark 11 could not be saved in"), qPrintable(m_messages[0]));
        QCOMPARE(items(list), QStringList{"10"});
        QCOMPARE(list.currentText(), "10");

        m_messages.clear();
        BookmarkList(&list, m_path).clearAll();
        QCOMPARE(m_messages.size(), 2);
        QVERIFY2(m_messages[1].startsWith(Crit + "The bookmarks could not be cleared"), qPrintable(m_messages[1]));
        QCOMPARE(items(list), QStringList{"10"});

        // Start-up there: told once, keeps running with an empty list.
        m_messages.clear();
        QComboBox fresh;
        BookmarkList(&fresh, m_path).init();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith("warning: The bookmark file"), qPrintable(m_messages[0]));
        QCOMPARE(fresh.count(), 0);
    }

    // Something that is not a readable file sits at the path: every operation
    // says so and none destroys it.
    void unreadableFile()
    {
        QVERIFY(QDir().mkdir(m_path));
        QComboBox list;
        FakePlayer player;
        BookmarkList(&list, m_path).init();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(Crit + "The bookmark file"), qPrintable(m_messages[0]));
        QCOMPARE(list.count(), 0);

        m_messages.clear();
        player.position = 1;
        BookmarkList(&list, m_path).set(player);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].contains("could not be saved"));

        m_messages.clear();
        list.addItem("1");
        BookmarkList(&list, m_path).clear();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].contains("could not be read"));
        QCOMPARE(items(list), QStringList{"1"});
        QVERIFY(QFileInfo(m_path).isDir());
        QDir().rmdir(m_path);
    }

    // Something that is not an ordinary file at the path: every operation
    // refuses at once with a critical box, and the thing itself is neither
    // replaced nor written to.
    void notAnOrdinaryFile_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<bool>("viaSymlink");
        QTest::newRow("symlink to a device") << false << true;
        QTest::newRow("FIFO") << true << false;
        QTest::newRow("symlink to a FIFO") << true << true;
    }
    void notAnOrdinaryFile()
    {
        QFETCH(bool, fifo);
        QFETCH(bool, viaSymlink);
        QString node = viaSymlink ? m_dir.filePath("node") : m_path;
        QFile::remove(node);
        if (fifo) {
            QCOMPARE(mkfifo(QFile::encodeName(node).constData(), 0600), 0);
        } else if (geteuid() == 0) {
            // Root could replace the real /dev/null; a null device of our own
            // is safe to lose.
            QCOMPARE(mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
        } else {
            node = QStringLiteral("/dev/null");
        }
        const mode_t type = nodeType(node);
        if (viaSymlink)
            QVERIFY(QFile::link(node, m_path));
        auto cleanup = qScopeGuard([&] {
            QFile::remove(m_path);
            if (node.startsWith(m_dir.path()))
                QFile::remove(node);
        });
        std::optional<FifoUnblocker> unblocker;
        if (fifo)
            unblocker.emplace(node);

        QComboBox list;
        FakePlayer player;
        player.position = 5;
        QElapsedTimer timer;
        timer.start();
        BookmarkList(&list, m_path).init();
        BookmarkList(&list, m_path).set(player);
        list.addItem("5");
        list.setCurrentIndex(0);
        BookmarkList(&list, m_path).clear();
        BookmarkList(&list, m_path).clearAll();
        QVERIFY2(timer.elapsed() < 1000, "an operation waited on the node");

        QCOMPARE(m_messages.size(), 5);
        for (const QString &message : std::as_const(m_messages)) {
            if (message.startsWith(QLatin1String("question: ")))
                continue;
            QVERIFY2(message.startsWith(Crit) && message.contains("not an ordinary file"), qPrintable(message));
        }
        QCOMPARE(nodeType(node), type);
        QCOMPARE(nodeType(m_path), viaSymlink ? mode_t(S_IFLNK) : type);
        QCOMPARE(items(list), QStringList{"5"});
    }

    // A file with far more values than a list can usefully hold: the list
    // shows the smallest and says how many it leaves out; Set and Clear
    // keep every value in the file, shown or not.
    void moreValuesThanTheListShows()
    {
        const int total = 20000;
        QByteArray data;
        for (int i = total; i >= 1; --i)
            data += BookmarkSetLine(i / 2.0);
        setFileContent(m_path, data);
        QComboBox list;
        FakePlayer player;
        BookmarkList(&list, m_path).init();
        const int shown = list.count();
        QVERIFY2(shown > 0 && shown < total, qPrintable(QString::number(shown)));
        QCOMPARE(list.itemText(0), "0.5");
        QCOMPARE(list.itemText(shown - 1), NumberText(shown / 2.0));
        QCOMPARE(list.currentText(), "0.5");
        const QString hidden = QString::number(total - shown);
        QVERIFY2(list.toolTip().contains(hidden), qPrintable(list.toolTip()));
        QCOMPARE(list.accessibleDescription(), list.toolTip());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith("warning: ") && m_messages[0].contains(hidden), qPrintable(m_messages[0]));

        // A value beyond the shown ones is appended to the file alone, and
        // shown and chosen.
        player.position = 99999;
        BookmarkList(&list, m_path).set(player);
        QCOMPARE(fileContent(m_path), data + " 99999 \r\n");
        QCOMPARE(list.currentText(), "99999");
        QCOMPARE(list.count(), shown + 1);

        BookmarkList(&list, m_path).clear();
        QCOMPARE(BookmarkValues(ParseBookmarkLines(fileContent(m_path))).size(), total);
        QCOMPARE(items(list).size(), shown);
        QCOMPARE(list.currentText(), "0.5");
        // Told once a run, not at every rebuild.
        QCOMPARE(m_messages.size(), 1);

        list.setCurrentIndex(1);
        BookmarkList(&list, m_path).clear();
        const QList<double> left = BookmarkValues(ParseBookmarkLines(fileContent(m_path)));
        QCOMPARE(left.size(), total - 1);
        QVERIFY(!left.contains(1.0));
        QVERIFY(left.contains(total / 2.0));
    }

    void bookmarksMovedNote()
    {
        BookmarkLocation where{QStringLiteral("/home/u/.local/share/Murmelvox/bookmark.ini"), {}, {}};
        NoteBookmarkLocation(where);
        QVERIFY(m_messages.isEmpty());
        where.copiedFrom = QStringLiteral("/opt/murmelvox/bookmark.ini");
        NoteBookmarkLocation(where);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith("warning: ") && m_messages[0].contains(where.path), qPrintable(m_messages[0]));
    }

    void unreadablePermissions()
    {
        setFileContent(m_path, " 10 \r\n");
        const FileModesHold modes;
        QVERIFY(modes);
        QVERIFY(QFile::setPermissions(m_path, QFileDevice::WriteOwner));
        QComboBox list;
        FakePlayer player;
        player.position = 4;
        BookmarkList(&list, m_path).set(player);
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(fileContent(m_path), QByteArray(" 10 \r\n")); // not replaced by the new line alone
    }
};

QTEST_MAIN(TestBookmarkList)
#include "test_bookmarklist.moc"
