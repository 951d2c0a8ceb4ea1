#include "bookmarks/BookmarkList.h"

#include "bookmarks/BookmarkFile.h"
#include "playback/MediaPlayer.h"
#include "playback/MediaPlayerControl.h"
#include "playback/NumberText.h"
#include "shell/Form1.h"
#include "shell/MessageBox.h"
#include "shell/Module1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Bookmarks", text); }

QString shownPath() { return QDir::toNativeSeparators(BookmarkPath); }

void reportUnreadable(const QString &error)
{
    MsgBox(tr("The bookmark file %1 could not be read:\n%2").arg(shownPath(), error),
           MsgBoxStyle::Critical);
}

} // namespace

int ReloadBookmarks(QComboBox *list)
{
    const BookmarkReadResult file = ReadBookmarkFile(BookmarkPath);
    if (file.status == BookmarkReadResult::Failed)
        reportUnreadable(file.error);
    const QStringList items = BookmarkItems(BookmarkValues(file.lines));
    list->addItems(items);
    return int(items.size());
}

void InitBookmarks(QComboBox *list)
{
    if (!QFileInfo::exists(BookmarkPath)) {
        const QString error = WriteBookmarkFile(BookmarkPath, {});
        if (!error.isEmpty()) {
            MsgBox(tr("The bookmark file %1 could not be created:\n%2\n\nBookmarks cannot be kept until this is put right.")
                       .arg(shownPath(), error),
                   MsgBoxStyle::Exclamation);
            return;
        }
    }
    if (ReloadBookmarks(list) > 0)
        list->setCurrentIndex(0);
}

void SetBookmark(QComboBox *list, const MediaPlayer &player)
{
    if (player.PlayState() == MediaPlayer::NoFile) {
        MsgBox(QStringLiteral("Select a Media File first!"), MsgBoxStyle::Critical);
        return;
    }
    const double position = player.CurrentPosition();
    if (!std::isfinite(position)) {
        MsgBox(tr("The player reports no usable position, so no bookmark was set."), MsgBoxStyle::Critical);
        return;
    }
    const double value = RoundHalfEven2(position);

    // Appending means rewriting: the file is small, and a new file renamed
    // over the old one cannot be left half written.
    const BookmarkReadResult file = ReadBookmarkFile(BookmarkPath);
    QString error = file.error;
    if (file.status != BookmarkReadResult::Failed)
        error = WriteBookmarkFile(BookmarkPath, BookmarkAppend(file.data, value));
    if (!error.isEmpty()) {
        MsgBox(tr("The bookmark %1 could not be saved in %2:\n%3")
                   .arg(NumberText(value), shownPath(), error),
               MsgBoxStyle::Critical);
        return;
    }

    list->clear();
    ReloadBookmarks(list);
    list->setCurrentIndex(list->findText(NumberText(value), Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void ClearBookmark(QComboBox *list)
{
    const QString chosen = list->currentText();
    const BookmarkReadResult file = ReadBookmarkFile(BookmarkPath);
    if (file.status == BookmarkReadResult::Failed) {
        reportUnreadable(file.error);
        return;
    }
    if (BookmarkValues(file.lines).isEmpty()) {
        MsgBox(QStringLiteral("No Bookmarks found!"), MsgBoxStyle::Critical);
        return;
    }
    const QString error = WriteBookmarkFile(BookmarkPath, BookmarkClearRewrite(file.lines, chosen));
    if (!error.isEmpty()) {
        MsgBox(tr("The bookmark could not be cleared in %1:\n%2").arg(shownPath(), error),
               MsgBoxStyle::Critical);
        return;
    }

    list->clear();
    if (ReloadBookmarks(list) > 0)
        list->setCurrentIndex(0);
}

void ClearAllBookmarks(QComboBox *list)
{
    if (list->count() == 0) {
        MsgBox(QStringLiteral("No Bookmarks Found!"), MsgBoxStyle::Critical);
        return;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to clear all Bookmarks?"),
               MsgBoxStyle::YesNo | MsgBoxStyle::Information) != MsgBoxResult::Yes)
        return;
    const QString error = WriteBookmarkFile(BookmarkPath, {});
    if (!error.isEmpty()) {
        MsgBox(tr("The bookmarks could not be cleared in %1:\n%2").arg(shownPath(), error),
               MsgBoxStyle::Critical);
        return;
    }
    list->clear();
}

void JumpToBookmark(const QComboBox *list, MediaPlayer &player)
{
    if (const auto seconds = ParseBookmarkNumber(list->currentText().toLatin1()))
        player.setCurrentPosition(*seconds);
}

void Form1::Combo1_Click()
{
    JumpToBookmark(Combo1, *MP);
}

void Form1::Command1_Click()
{
    SetBookmark(Combo1, *MP);
}

void Form1::Command2_Click()
{
    ClearBookmark(Combo1);
}

void Form1::Command3_Click()
{
    ClearAllBookmarks(Combo1);
}
