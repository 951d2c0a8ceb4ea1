// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BookmarkList.h"

#include "rules/BookmarkFile.h"
#include "engine/MediaPlayer.h"
#include "rules/NumberText.h"
#include "engine/Player.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <optional>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Bookmarks", text); }

} // namespace

QString BookmarkList::shownPath() const
{
    return QDir::toNativeSeparators(m_path);
}

void BookmarkList::reportUnreadable(const QString &error) const
{
    ShowMessage(tr("The bookmark file %1 could not be read:\n%2").arg(shownPath(), error),
                MessageStyle::Critical);
}

// Set on the list once it has told its user that values are left out.
static constexpr char HiddenNotedProperty[] = "murmelvoxHiddenNoted";

void BookmarkList::describeHidden(qint64 shownCount, qint64 total) const
{
    QComboBox *list = m_list;
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
        ShowMessage(note, MessageStyle::Information);
    }
}

// reload(); `justSet`, a value Set has just added, is shown even when it lies
// beyond the smallest values, so that it can be chosen.
int BookmarkList::fill(std::optional<double> justSet) const
{
    BookmarkListing file = ListBookmarkFile(m_path, BookmarkListLimit);
    if (file.status == BookmarkReadResult::Failed)
        reportUnreadable(file.error);
    if (justSet && file.total > file.smallest.size() && (file.smallest.isEmpty() || *justSet > file.smallest.last()))
        file.smallest.append(*justSet);
    QStringList items;
    items.reserve(file.smallest.size());
    for (double v : std::as_const(file.smallest))
        items.append(NumberText(v));
    m_list->addItems(items);
    describeHidden(file.smallest.size(), file.total);
    return int(qMin<qint64>(file.total, std::numeric_limits<int>::max()));
}

int BookmarkList::reload() const
{
    return fill();
}

void BookmarkList::init() const
{
    if (!QFileInfo::exists(m_path)) {
        const QString error = WriteBookmarkFile(m_path, {});
        if (!error.isEmpty()) {
            ShowMessage(tr("The bookmark file %1 could not be created:\n%2\n\nBookmarks cannot be kept until this is put right.")
                       .arg(shownPath(), error),
                        MessageStyle::Exclamation);
            return;
        }
    }
    if (reload() > 0)
        m_list->setCurrentIndex(0);
}

void NoteBookmarkLocation(const BookmarkLocation &where)
{
    if (!where.copiedFrom.isEmpty()) {
        ShowMessage(tr("Murmelvox cannot save anything in its own folder, so your bookmarks have been copied from\n%1\nto\n%2\n\n"
                  "From now on your bookmarks are kept there.")
                   .arg(QDir::toNativeSeparators(where.copiedFrom), QDir::toNativeSeparators(where.path)),
                    MessageStyle::Information);
    } else if (!where.copyError.isEmpty()) {
        ShowMessage(tr("Murmelvox cannot save anything in its own folder, and your bookmarks there could not be copied to\n%1\n%2\n\n"
                  "New bookmarks are kept in %1.")
                   .arg(QDir::toNativeSeparators(where.path), where.copyError),
                    MessageStyle::Exclamation);
    }
}

void BookmarkList::set(const MediaPlayer &player) const
{
    if (player.PlayState() == MediaPlayer::NoFile) {
        ShowMessage(QStringLiteral("Select a Media File first!"), MessageStyle::Critical);
        return;
    }
    const double position = player.CurrentPosition();
    if (!std::isfinite(position)) {
        ShowMessage(tr("The player reports no usable position, so no bookmark was set."), MessageStyle::Critical);
        return;
    }
    const double value = RoundHalfEven2(position);

    const QString error = AppendBookmarkFile(m_path, value);
    if (!error.isEmpty()) {
        ShowMessage(tr("The bookmark %1 could not be saved in %2:\n%3")
                   .arg(NumberText(value), shownPath(), error),
                    MessageStyle::Critical);
        return;
    }

    m_list->clear();
    fill(value);
    m_list->setCurrentIndex(m_list->findText(NumberText(value), Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void BookmarkList::clear() const
{
    const QString chosen = m_list->currentText();
    const BookmarkClearResult result = ClearBookmarkFile(m_path, chosen);
    switch (result.status) {
    case BookmarkClearResult::Cleared:
        break;
    case BookmarkClearResult::ReadFailed:
        reportUnreadable(result.error);
        return;
    case BookmarkClearResult::NoValues:
        ShowMessage(QStringLiteral("No Bookmarks found!"), MessageStyle::Critical);
        return;
    case BookmarkClearResult::WriteFailed:
        ShowMessage(tr("The bookmark could not be cleared in %1:\n%2").arg(shownPath(), result.error),
                    MessageStyle::Critical);
        return;
    }

    m_list->clear();
    if (reload() > 0)
        m_list->setCurrentIndex(0);
}

void BookmarkList::clearAll() const
{
    if (m_list->count() == 0) {
        ShowMessage(QStringLiteral("No Bookmarks Found!"), MessageStyle::Critical);
        return;
    }
    if (ShowMessage(QStringLiteral("Are you sure you want to clear all Bookmarks?"),
                    MessageStyle::YesNo | MessageStyle::Information) != MessageAnswer::Yes)
        return;
    const QString error = WriteBookmarkFile(m_path, {});
    if (!error.isEmpty()) {
        ShowMessage(tr("The bookmarks could not be cleared in %1:\n%2").arg(shownPath(), error),
                    MessageStyle::Critical);
        return;
    }
    m_list->clear();
    describeHidden(0, 0);
}

void BookmarkList::jump(Player &player) const
{
    if (const auto seconds = ParseBookmarkNumber(m_list->currentText().toLatin1()))
        player.jumpTo(*seconds);
}
