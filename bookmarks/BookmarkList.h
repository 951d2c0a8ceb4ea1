#pragma once

// The bookmark list `bookmarkList` and its file at `BookmarkPath`. The file is the
// only store: every change is written to it first (atomically), then the list
// is rebuilt from it. Choosing an item by program never moves the playback
// position; only the user's choice (jumpToBookmark) jumps.

#include <QtGlobal>

class MediaPlayer;
class Player;
class QComboBox;
struct BookmarkLocation;

// The most values the list shows: a drop-down list of more is no use to
// anyone, and filling it would freeze the bar. The file keeps them all.
inline constexpr qsizetype BookmarkListLimit = 5000;

// Reads the file, sorts its values and appends the number texts of the
// smallest BookmarkListLimit to `list`. Neither empties the list nor chooses
// an item. When values are left out, the list's tooltip says how many, and
// the first time for this list a message box does too. Returns the number of
// values read (0 when the file is missing or unreadable; the latter is
// reported).
int ReloadBookmarks(QComboBox *list);

// Start-up: creates an empty file when none exists, fills the list and
// chooses its first (smallest) item.
void InitBookmarks(QComboBox *list);

// Start-up, after InitBookmarks: when the bookmarks were copied to a new
// place, tells the user where they now live (or why they could not be).
void NoteBookmarkLocation(const BookmarkLocation &where);

// "Set": appends the player's position, rounded to two decimals, and chooses it.
void SetBookmark(QComboBox *list, const MediaPlayer &player);

// "Clear": rewrites the file without every value whose number text is the
// chosen item's, then chooses the first item.
void ClearBookmark(QComboBox *list);

// "Clear All": after the user confirms, empties the file and the list.
void ClearAllBookmarks(QComboBox *list);

// The user chose an item: moves the playback position there.
void JumpToBookmark(const QComboBox *list, Player &player);
