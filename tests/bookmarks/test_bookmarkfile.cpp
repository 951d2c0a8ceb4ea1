// SPDX-License-Identifier: GPL-3.0-or-later
#include "Capabilities.h"
#include "rules/BookmarkFile.h"
#include "rules/NumberText.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Values = QList<double>;

// A byte string literal that may hold NUL bytes.
template <size_t N>
QByteArray Bytes(const char (&s)[N]) { return QByteArray(s, qsizetype(N - 1)); }

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

} // namespace

class TestBookmarkFile : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Values>("values");
        QTest::addColumn<int>("otherLines");

        QTest::newRow("empty file") << QByteArray() << Values{} << 0;
        QTest::newRow("Set's long form") << QByteArray(" 10 \r\n 65.46 \r\n") << Values{10, 65.46} << 0;
        QTest::newRow("Clear's short form") << QByteArray("120\r\n0.25\r\n") << Values{120, 0.25} << 0;
        QTest::newRow("file order kept, not sorted") << QByteArray("3\r\n1\r\n2\r\n") << Values{3, 1, 2} << 0;
        QTest::newRow("LF only") << QByteArray("1\n2\n") << Values{1, 2} << 0;
        QTest::newRow("CR only") << QByteArray("1\r2\r") << Values{1, 2} << 0;
        QTest::newRow("no final line end") << QByteArray("1\r\n2.5") << Values{1, 2.5} << 0;
        QTest::newRow("blank lines and tabs skipped")
            << QByteArray("\r\n\r\n\t 7 \t\r\n   \r\n\r\n8\r\n\r\n") << Values{7, 8} << 0;
        QTest::newRow("sign, exponent, bare point")
            << QByteArray("-0.5\r\n+3\r\n1e3\r\n.5\r\n") << Values{-0.5, 3, 1000, 0.5} << 0;
        QTest::newRow("hand edits are not numbers")
            << QByteArray("# my marks\r\n12abc\r\n1,5\r\n10\r\n1:05\r\n") << Values{10} << 4;
        QTest::newRow("non-finite words") << QByteArray("inf\r\nnan\r\n-infinity\r\n1e999\r\n4\r\n") << Values{4} << 4;
        QTest::newRow("binary bytes")
            << Bytes("5\r\n\x00\x01\xff\xfe\x80garbage\x00\r\n6\r\n") << Values{5, 6} << 1;
        QTest::newRow("NUL inside a number") << Bytes("1\x00" "2\r\n3\r\n") << Values{3} << 1;
        QTest::newRow("very long junk line")
            << (QByteArray(2 * 1024 * 1024, 'x') + "\r\n9\r\n") << Values{9} << 1;
        QTest::newRow("very long digit line")
            << (QByteArray(100000, '7') + "\r\n9\r\n") << Values{9} << 1;
        QTest::newRow("only line ends") << QByteArray("\r\n\n\r\r\n") << Values{} << 0;
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(Values, values);
        QFETCH(int, otherLines);
        const QList<BookmarkLine> lines = ParseBookmarkLines(data);
        QCOMPARE(BookmarkValues(lines), values);
        QCOMPARE(int(lines.size()) - int(values.size()), otherLines);
    }

    void setLine_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("rounded to two decimals") << 65.456 << QByteArray(" 65.46 \r\n");
        QTest::newRow("halfway goes to even, down") << 65.125 << QByteArray(" 65.12 \r\n");
        QTest::newRow("halfway goes to even, up") << 65.135 << QByteArray(" 65.14 \r\n");
        QTest::newRow("whole value without point") << 120.0 << QByteArray(" 120 \r\n");
        QTest::newRow("leading zero below one") << 0.25 << QByteArray(" 0.25 \r\n");
        QTest::newRow("start") << 0.001 << QByteArray(" 0 \r\n");
        QTest::newRow("long dictation") << 86399.999 << QByteArray(" 86400 \r\n");
    }
    void setLine()
    {
        QFETCH(double, position);
        QFETCH(QByteArray, line);
        QCOMPARE(BookmarkSetLine(RoundHalfEven2(position)), line);
        // What Set writes reads back as the same value and item.
        const QList<BookmarkLine> read = ParseBookmarkLines(line);
        QCOMPARE(read.size(), 1);
        QCOMPARE(NumberText(*read[0].value), NumberText(RoundHalfEven2(position)));
    }

    void append_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty file") << QByteArray() << QByteArray(" 65.46 \r\n");
        QTest::newRow("after CR LF") << QByteArray("10\r\n") << QByteArray("10\r\n 65.46 \r\n");
        QTest::newRow("after LF only") << QByteArray("10\n") << QByteArray("10\n 65.46 \r\n");
        QTest::newRow("last line unended") << QByteArray("10") << QByteArray("10\r\n 65.46 \r\n");
        QTest::newRow("other lines kept as they are")
            << QByteArray("# mine\r\n 10 \r\n") << QByteArray("# mine\r\n 10 \r\n 65.46 \r\n");
    }
    void append()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, expected);
        const QByteArray result = BookmarkAppend(existing, 65.46);
        QCOMPARE(result, expected);
        QVERIFY(BookmarkValues(ParseBookmarkLines(result)).contains(65.46));
    }

    void items_data()
    {
        QTest::addColumn<Values>("values");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("none") << Values{} << QStringList{};
        QTest::newRow("ascending numerically, not as text")
            << Values{120, 10, 65.46, 9, 100} << QStringList{"9", "10", "65.46", "100", "120"};
        QTest::newRow("equal values stay as equal items")
            << Values{5, 1, 5} << QStringList{"1", "5", "5"};
        QTest::newRow("negative and fractions") << Values{0.25, -1, 0.1} << QStringList{"-1", "0.1", "0.25"};
    }
    void items()
    {
        QFETCH(Values, values);
        QFETCH(QStringList, items);
        QCOMPARE(BookmarkItems(values), items);
    }

    void clearRewrite_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("others stay in old order, short form")
            << QByteArray(" 120 \r\n 65.46 \r\n 10 \r\n") << "65.46" << QByteArray("120\r\n10\r\n");
        QTest::newRow("duplicates go at once")
            << QByteArray(" 5 \r\n 7 \r\n 5 \r\n") << "5" << QByteArray("7\r\n");
        QTest::newRow("last value leaves an empty file") << QByteArray(" 5 \r\n") << "5" << QByteArray();
        QTest::newRow("nothing chosen rewrites all")
            << QByteArray(" 3 \r\n 1 \r\n") << "" << QByteArray("3\r\n1\r\n");
        QTest::newRow("compared as number text")
            << QByteArray("65.460\r\n065.46\r\n65.4\r\n") << "65.46" << QByteArray("65.4\r\n");
        QTest::newRow("lines without a number survive")
            << QByteArray("# mine\r\n5\r\n\x01\xff\r\n") << "5" << QByteArray("# mine\r\n\x01\xff\r\n");
        QTest::newRow("written as number texts")
            << QByteArray("-0\r\n1e3\r\n0.10\r\n-0.50\r\n1234567890123456\r\n0.0000000000000000000000001\r\n")
            << "" << QByteArray("0\r\n1000\r\n0.1\r\n-0.5\r\n1234567890123460\r\n0.0000000000000000000000001\r\n");
        QTest::newRow("number texts kept, chosen compared")
            << QByteArray("0\r\n-0.25\r\n100000000000000000000000\r\n123456789012345\r\n-0.25\r\n")
            << "-0.25" << QByteArray("0\r\n100000000000000000000000\r\n123456789012345\r\n");
        QTest::newRow("blank lines dropped, LF made CR LF")
            << QByteArray("\n\n1\n\n2") << "2" << QByteArray("1\r\n");
    }
    void clearRewrite()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, chosen);
        QFETCH(QByteArray, after);
        QCOMPARE(BookmarkClearRewrite(ParseBookmarkLines(before), chosen), after);
    }

    void thousandsOfValues()
    {
        QByteArray data;
        for (int i = 5000; i > 0; --i)
            data += BookmarkSetLine(i / 4.0);
        const QList<BookmarkLine> lines = ParseBookmarkLines(data);
        QCOMPARE(lines.size(), 5000);
        const QStringList items = BookmarkItems(BookmarkValues(lines));
        QCOMPARE(items.size(), 5000);
        QCOMPARE(items.first(), "0.25");
        QCOMPARE(items.last(), "1250");
        const QByteArray after = BookmarkClearRewrite(lines, "1250");
        QCOMPARE(BookmarkValues(ParseBookmarkLines(after)).size(), 4999);
    }

    void readMissingIsNotCreated()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bookmark.ini");
        const BookmarkReadResult r = ReadBookmarkFile(path);
        QCOMPARE(r.status, BookmarkReadResult::Missing);
        QVERIFY(r.lines.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void readFailures()
    {
        QTemporaryDir dir;
        // A folder where the file should be: no read, no crash, a reason.
        const QString folder = dir.filePath("bookmark.ini");
        QVERIFY(QDir().mkdir(folder));
        BookmarkReadResult r = ReadBookmarkFile(folder);
        QCOMPARE(r.status, BookmarkReadResult::Failed);
        QVERIFY(!r.error.isEmpty());

        const FileModesHold modes;
        QVERIFY(modes);
        const QString locked = dir.filePath("locked.ini");
        writeAll(locked, "5\r\n");
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        r = ReadBookmarkFile(locked);
        QCOMPARE(r.status, BookmarkReadResult::Failed);
        QVERIFY(!r.error.isEmpty());
    }

    void writeReplacesWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bookmark.ini");
        writeAll(path, "a long old content\r\n1\r\n2\r\n3\r\n");
        QCOMPARE(WriteBookmarkFile(path, "9\r\n"), QString());
        QCOMPARE(readAll(path), QByteArray("9\r\n"));
        QCOMPARE(WriteBookmarkFile(path, {}), QString());
        QCOMPARE(QFileInfo(path).size(), 0);
        // Nothing but the file itself is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"bookmark.ini"});
    }

    void writeFailureLeavesOldFile()
    {
        QTemporaryDir dir;
        // The folder vanished: the write fails with a reason.
        const QString gone = dir.filePath("gone/bookmark.ini");
        QVERIFY(!WriteBookmarkFile(gone, "1\r\n").isEmpty());
        QVERIFY(!QFile::exists(gone));

        // A folder in the file's place stays as it is.
        const QString folder = dir.filePath("bookmark.ini");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!WriteBookmarkFile(folder, "1\r\n").isEmpty());
        QVERIFY(QFileInfo(folder).isDir());

        const FileModesHold modes;
        QVERIFY(modes);
        QTemporaryDir roDir;
        const QString path = roDir.filePath("bookmark.ini");
        writeAll(path, "1\r\n2\r\n");
        QVERIFY(QFile::setPermissions(roDir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QString error = WriteBookmarkFile(path, "3\r\n");
        QFile::setPermissions(roDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("1\r\n2\r\n"));
    }

    // A process killed at any moment of a rewrite leaves either the whole
    // old file or the whole new one, never a mix or a truncated file.
    void interruptedWriteLeavesOldOrNew_data()
    {
        QTest::addColumn<int>("delayUs");
        for (int us : {0, 200, 1000, 3000, 10000, 30000})
            QTest::newRow(qPrintable(QStringLiteral("killed after %1 us").arg(us))) << us;
    }
    void interruptedWriteLeavesOldOrNew()
    {
        QFETCH(int, delayUs);
        QTemporaryDir dir;
        const QString path = dir.filePath("bookmark.ini");
        const QByteArray oldData = QByteArray(" 10 \r\n 65.46 \r\n").repeated(1000);
        const QByteArray newData = QByteArray("10\r\n").repeated(8 * 1024 * 1024);
        writeAll(path, oldData);

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            WriteBookmarkFile(path, newData);
            _exit(0);
        }
        usleep(useconds_t(delayUs));
        kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);

        const QByteArray now = readAll(path);
        QVERIFY2(now == oldData || now == newData,
                 qPrintable(QStringLiteral("file is %1 bytes, neither old nor new").arg(now.size())));
    }

    // A user who keeps bookmark.ini as a link into another folder (a synced
    // one, say) keeps the link; the file it leads to is what changes.
    void writeThroughSymlink()
    {
        QTemporaryDir program, synced;
        const QString target = synced.filePath("bookmark.ini");
        const QString link = program.filePath("bookmark.ini");
        writeAll(target, " 1 \r\n");
        QVERIFY(QFile::link(target, link));
        QCOMPARE(WriteBookmarkFile(link, "2\r\n"), QString());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("2\r\n"));
        QCOMPARE(ReadBookmarkFile(link).data, QByteArray("2\r\n"));
    }

    // The program's folder holds bookmarks but cannot be written: they are
    // copied to the user's file once, which from then on is left alone.
    void copyFromReadOnlyProgramDir()
    {
        const FileModesHold modes;
        QVERIFY(modes);
        QTemporaryDir base;
        const QString program = base.filePath("bin");
        QVERIFY(QDir().mkdir(program));
        const QByteArray old(" 10 \r\n# mine\r\n65.46\r\n");
        writeAll(program + "/bookmark.ini", old);
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        auto restore = qScopeGuard([&] {
            QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        QVERIFY2(!IsWritableDirectory(program), "the test cannot make a read-only folder");

        const QString user = base.filePath("home/.local/share/Murmelvox");
        const QString userFile = QDir(user).filePath("bookmark.ini");
        BookmarkLocation where = ChooseBookmarkLocation(program, user);
        QCOMPARE(where.path, userFile);
        QCOMPARE(where.copiedFrom, program + "/bookmark.ini");
        QCOMPARE(readAll(userFile), old);
        QCOMPARE(readAll(program + "/bookmark.ini"), old);

        writeAll(userFile, " 1 \r\n");
        where = ChooseBookmarkLocation(program, user);
        QCOMPARE(where.path, userFile);
        QVERIFY(where.copiedFrom.isEmpty()); // so the user is told only once
        QCOMPARE(readAll(userFile), QByteArray(" 1 \r\n"));
        QCOMPARE(QDir(user).entryList(QDir::Files | QDir::Hidden), QStringList{"bookmark.ini"});
    }

    void chooseProgramDirWhenWritable()
    {
        QTemporaryDir program, user;
        QCOMPARE(ChooseBookmarkPath(program.path(), user.filePath("data")),
                 QDir(program.path()).filePath("bookmark.ini"));
        // Probing leaves nothing behind.
        QVERIFY(QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
        QVERIFY(!QFileInfo::exists(user.filePath("data")));
    }

    void fallBackWhenProgramDirNotWritable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder beneath a file") << "beneath-file";
        QTest::newRow("folder does not exist") << "missing";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("read-only system folder") << "proc";
        QTest::newRow("installed program folder, even for root") << "usr-bin";
    }
    void fallBackWhenProgramDirNotWritable()
    {
        QFETCH(QString, kind);
        QTemporaryDir base;
        QString program;
        std::optional<FileModesHold> modes;
        if (kind == "beneath-file") {
            writeAll(base.filePath("file"), "x");
            program = base.filePath("file/bin");
        } else if (kind == "missing") {
            program = base.filePath("nowhere/bin");
        } else if (kind == "read-only") {
            modes.emplace();
            QVERIFY(*modes);
            program = base.filePath("bin");
            QVERIFY(QDir().mkdir(program));
            QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else if (kind == "usr-bin") {
            program = QStringLiteral("/usr/bin");
        } else {
            program = QStringLiteral("/proc");
        }
        const QString user = base.filePath("home/.local/share/Murmelvox");
        QCOMPARE(ChooseBookmarkPath(program, user), QDir(user).filePath("bookmark.ini"));
        QVERIFY(QFileInfo(user).isDir());
        QCOMPARE(WriteBookmarkFile(QDir(user).filePath("bookmark.ini"), " 1 \r\n"), QString());
        if (kind == "read-only")
            QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestBookmarkFile)
#include "test_bookmarkfile.moc"
