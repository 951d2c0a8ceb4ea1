// SPDX-License-Identifier: GPL-3.0-or-later
// SIGKILL at random moments while the real Set, Clear and Clear All handlers
// work on the bookmark file (bookmark_churn): after every kill the file must
// hold exactly what it held before the interrupted operation or what that
// operation makes of it, never a mix, a cut line or nothing.
#include "rules/BookmarkFile.h"
#include "rules/NumberText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// What the announced operation makes of `before`, by the file rules.
QByteArray after(const QByteArray &before, const QByteArray &announcement)
{
    if (announcement.startsWith("S "))
        return BookmarkAppend(before, announcement.mid(2).toDouble());
    if (announcement.startsWith("C ")) {
        const QList<BookmarkLine> lines = ParseBookmarkLines(before);
        if (BookmarkValues(lines).isEmpty())
            return before;   // "No Bookmarks found!": nothing written
        return BookmarkClearRewrite(lines, QString::fromLatin1(announcement.mid(2)));
    }
    return {};   // Clear All
}

} // namespace

class TestBookmarkKill : public QObject
{
    Q_OBJECT
private slots:
    void killedAnywhere();
};

void TestBookmarkKill::killedAnywhere()
{
    const int kills = qEnvironmentVariableIntValue("MURMELVOX_KILLS") > 0
                          ? qEnvironmentVariableIntValue("MURMELVOX_KILLS") : 300;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("bookmark.ini"));
    QRandomGenerator rng(20261208);
    int insideOperation = 0;
    int completed = 0;
    QByteArray model;   // the first driver's InitBookmarks creates it empty

    for (int k = 0; k < kills; ++k) {
        QProcess churn;
        churn.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        churn.start(QStringLiteral(MURMELVOX_CHURN), {path, QString::number(k + 1)});
        QVERIFY2(churn.waitForStarted(5000), qPrintable(churn.errorString()));
        // Wait until it is working, then let it run for a random moment.
        QByteArray out;
        while (!out.contains("R\n")) {
            QVERIFY2(churn.waitForReadyRead(10000), "the driver never got ready");
            out += churn.readAllStandardOutput();
        }
        QTest::qSleep(int(rng.bounded(200u)));
        ::kill(pid_t(churn.processId()), SIGKILL);
        QVERIFY(churn.waitForFinished(5000));
        QCOMPARE(churn.exitStatus(), QProcess::CrashExit);
        out += churn.readAllStandardOutput();

        // Replay the announcements from the file as it was when the driver
        // got ready, which is the file the previous round left.
        std::optional<QByteArray> pending;
        const QList<QByteArray> said = out.mid(out.indexOf("R\n") + 2).split('\n');
        for (qsizetype i = 0; i < said.size(); ++i) {
            const QByteArray &line = said[i];
            const bool whole = i + 1 < said.size();   // ended by a line feed
            if (!whole || line.isEmpty())
                continue;
            if (line == "D") {
                model = *pending;
                pending.reset();
                ++completed;
            } else {
                pending = after(model, line);
            }
        }
        const QByteArray now = fileBytes(path);
        if (pending)
            ++insideOperation;
        QVERIFY2(now == model || (pending && now == *pending),
                 qPrintable(QStringLiteral("kill %1: the file holds neither the old nor the new content:\n%2")
                                .arg(k).arg(QString::fromLatin1(now.toPercentEncoding(" .-\r\n")))));
        // Every line the handlers wrote is a whole number text.
        for (const BookmarkLine &line : ParseBookmarkLines(now))
            QVERIFY2(line.value.has_value(), line.text.constData());
        model = now;
    }
    const QStringList strays = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("bookmark.ini."));
    qInfo("%d kills, %d inside an operation, %d operations completed, %lld temporary files left by kills",
          kills, insideOperation, completed, qlonglong(strays.size()));
}

QTEST_GUILESS_MAIN(TestBookmarkKill)
#include "test_bookmarkkill.moc"
