// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The bookmark list and its file, bookmark.ini. The file is the
// only store: every change is written to it first (atomically), then the list
// is rebuilt from it. Choosing an item by program never moves the playback
// position; only the user's choice (jumpToBookmark) jumps.

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

class MediaPlayer;
class Player;
class QComboBox;
struct BookmarkLocation;

// The most values the list shows: a drop-down list of more is no use to
// anyone, and filling it would freeze the bar. The file keeps them all.
inline constexpr qsizetype BookmarkListLimit = 5000;

// The bookmark list control and the file it shows. Holds no state of its own
// beyond the two: the file is the only store.
class BookmarkList
{
public:
    BookmarkList(QComboBox *list, QString path) : m_list(list), m_path(std::move(path)) {}

    // Reads the file, sorts its values and appends the number texts of the
    // smallest BookmarkListLimit to the list. Neither empties the list nor
    // chooses an item. When values are left out, the list's tooltip says how
    // many, and the first time for this list a message box does too. Returns
    // the number of values read (0 when the file is missing or unreadable;
    // the latter is reported).
    int reload() const;

    // Start-up: creates an empty file when none exists, fills the list and
    // chooses its first (smallest) item.
    void init() const;

    // "Set": appends the player's position, rounded to two decimals, and
    // chooses it.
    void set(const MediaPlayer &player) const;

    // "Clear": rewrites the file without every value whose number text is the
    // chosen item's, then chooses the first item.
    void clear() const;

    // "Clear All": after the user confirms, empties the file and the list.
    void clearAll() const;

    // The user chose an item: moves the playback position there.
    void jump(Player &player) const;

private:
    int fill(std::optional<double> justSet = {}) const;
    QString shownPath() const;
    void reportUnreadable(const QString &error) const;
    void describeHidden(qint64 shownCount, qint64 total) const;

    QComboBox *m_list;
    QString m_path;
};

// Start-up, after BookmarkList::init: when the bookmarks were copied to a new
// place, tells the user where they now live (or why they could not be).
void NoteBookmarkLocation(const BookmarkLocation &where);
