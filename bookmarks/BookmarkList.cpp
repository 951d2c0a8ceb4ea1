#include "bookmarks/BookmarkList.h"

#include "bookmarks/BookmarkFile.h"
#include "playback/MediaPlayer.h"
#include "playback/MediaPlayerControl.h"
#include "playback/NumberText.h"
#include "playback/Player.h"
#include "shell/Bar.h"
#include "shell/MessageBox.h"
#include "shell/Startup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <optional>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Bookmarks", text); }

QString shownPath() { return QDir::toNativeSeparators(BookmarkPath); }

void reportUnreadable(const QString &error)
{
    MsgBox(tr("The bookmark file %1 could not be read:\n%2").arg(shownPath(), error),
           MsgBoxStyle::Critical);
}

// Set on the list once it has told its user that values are left out.
constexpr char HiddenNotedProperty[] = "murmelvoxHiddenNoted";

void describeHidden(QComboBox *list, qint64 shownCount, qint64 total)
{
    if (shownCount >= total) {
        list->setToolTip({});
        list->setAccessibleDescription({});
        return;
    }
    const QString note = tr("The list shows %1 of the %2 bookmarks in %3, the smallest first. "
                            "The other %4 are kept in the file but not listed.")
                             .arg(shownCount).arg(total).arg(shownPath()).arg(total - shownCount);
    list->setToolTip(note);
    list->setAccessibleDescription(note);
    if (!list->property(HiddenNotedProperty).toBool()) {
        list->setProperty(HiddenNotedProperty, true);
        qCInfo(lcBookmarks).noquote() << note;
        MsgBox(note, MsgBoxStyle::Information);
    }
}

// ReloadBookmarks; `justSet`, a value Set has just added, is shown even when
// it lies beyond the smallest values, so that it can be chosen.
int fillList(QComboBox *list, std::optional<double> justSet = {})
{
    BookmarkListing file = ListBookmarkFile(BookmarkPath, BookmarkListLimit);
    if (file.status == BookmarkReadResult::Failed)
        reportUnreadable(file.error);
    if (justSet && file.total > file.smallest.size() && (file.smallest.isEmpty() || *justSet > file.smallest.last()))
        file.smallest.append(*justSet);
    QStringList items;
    items.reserve(file.smallest.size());
    for (double v : std::as_const(file.smallest))
        items.append(NumberText(v));
    list->addItems(items);
    describeHidden(list, file.smallest.size(), file.total);
    return int(qMin<qint64>(file.total, std::numeric_limits<int>::max()));
}

} // namespace

int ReloadBookmarks(QComboBox *list)
{
    return fillList(list);
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

void NoteBookmarkLocation(const BookmarkLocation &where)
{
    if (!where.copiedFrom.isEmpty()) {
        MsgBox(tr("Murmelvox cannot save anything in its own folder, so your bookmarks have been copied from\n%1\nto\n%2\n\n"
                  "From now on your bookmarks are kept there.")
                   .arg(QDir::toNativeSeparators(where.copiedFrom), QDir::toNativeSeparators(where.path)),
               MsgBoxStyle::Information);
    } else if (!where.copyError.isEmpty()) {
        MsgBox(tr("Murmelvox cannot save anything in its own folder, and your bookmarks there could not be copied to\n%1\n%2\n\n"
                  "New bookmarks are kept in %1.")
                   .arg(QDir::toNativeSeparators(where.path), where.copyError),
               MsgBoxStyle::Exclamation);
    }
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

    const QString error = AppendBookmarkFile(BookmarkPath, value);
    if (!error.isEmpty()) {
        MsgBox(tr("The bookmark %1 could not be saved in %2:\n%3")
                   .arg(NumberText(value), shownPath(), error),
               MsgBoxStyle::Critical);
        return;
    }

    list->clear();
    fillList(list, value);
    list->setCurrentIndex(list->findText(NumberText(value), Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void ClearBookmark(QComboBox *list)
{
    const QString chosen = list->currentText();
    const BookmarkClearResult result = ClearBookmarkFile(BookmarkPath, chosen);
    switch (result.status) {
    case BookmarkClearResult::Cleared:
        break;
    case BookmarkClearResult::ReadFailed:
        reportUnreadable(result.error);
        return;
    case BookmarkClearResult::NoValues:
        MsgBox(QStringLiteral("No Bookmarks found!"), MsgBoxStyle::Critical);
        return;
    case BookmarkClearResult::WriteFailed:
        MsgBox(tr("The bookmark could not be cleared in %1:\n%2").arg(shownPath(), result.error),
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
    describeHidden(list, 0, 0);
}

void JumpToBookmark(const QComboBox *list, Player &player)
{
    if (const auto seconds = ParseBookmarkNumber(list->currentText().toLatin1()))
        player.jumpTo(*seconds);
}

void Bar::jumpToBookmark()
{
    JumpToBookmark(bookmarkList, *player);
}

void Bar::setBookmark()
{
    SetBookmark(bookmarkList, *mediaControl);
}

void Bar::clearBookmark()
{
    ClearBookmark(bookmarkList);
}

void Bar::clearAllBookmarks()
{
    ClearAllBookmarks(bookmarkList);
}
