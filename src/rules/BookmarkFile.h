// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The bookmark file "bookmark.ini": plain 8-bit text, one value in seconds a
// line, CR LF line ends, values in the order written. Nothing here touches a
// window, so the format and the list's rules can be tested on their own.

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcBookmarks)

inline constexpr char BookmarkFileName[] = "bookmark.ini";

// One non-blank line of the file. A line is a value when, with the blanks
// around it skipped, it is a finite decimal number; anything else (a hand
// edit, garbage) is kept as it was so that rewriting the file never loses it.
struct BookmarkLine
{
    QByteArray text;              // the line without its line end and outer blanks
    std::optional<double> value;  // set when the line holds a number
};

// Splits file bytes into lines at CR, LF or CR LF, dropping blank lines.
// Never fails: bytes that hold no number become lines without a value.
QList<BookmarkLine> ParseBookmarkLines(const QByteArray &data);

// Called for each non-blank line in file order: its text without the blanks
// around it (valid only during the call) and its number, when it is one.
using BookmarkLineFn = std::function<void(QByteArrayView text, std::optional<double> value)>;

// ParseBookmarkLines for a file that arrives in pieces, so that a large file
// never has to be held whole; a line or a CR LF may span two pieces.
class BookmarkLineSplitter
{
public:
    explicit BookmarkLineSplitter(BookmarkLineFn onLine) : m_onLine(std::move(onLine)) {}
    void feed(QByteArrayView piece);
    // The end of the file: a last line without a line end counts too.
    void finish();

private:
    void line(QByteArrayView text);

    BookmarkLineFn m_onLine;
    QByteArray m_partial;   // a line begun in an earlier piece
    bool m_afterCR = false; // the last piece ended in CR: an LF next belongs to it
};

// The values of the lines, in file order.
QList<double> BookmarkValues(const QList<BookmarkLine> &lines);

// The number a line's text denotes, or nothing when it is not a plain finite
// decimal number (an optional sign, digits, point, exponent).
std::optional<double> ParseBookmarkNumber(QByteArrayView text);

// The list's items: the number texts of the values in ascending order.
QStringList BookmarkItems(QList<double> values);

// The line Set appends: a blank, the number text, a blank, CR LF.
QByteArray BookmarkSetLine(double value);

// The file after appending Set's line to `existing`; a last line without a
// line end is ended first, so the new value never joins it.
QByteArray BookmarkAppend(const QByteArray &existing, double value);

// The file Clear writes: every value whose number text is not `chosen`, in
// file order, as its number text alone and CR LF; lines without a number stay
// as they were.
QByteArray BookmarkClearRewrite(const QList<BookmarkLine> &lines, const QString &chosen);

struct BookmarkReadResult
{
    enum Status { Ok, Missing, Failed };
    Status status = Ok;
    QByteArray data;              // the file's bytes as read
    QList<BookmarkLine> lines;
    QString error;                // why it failed, for the user
};

// Reads and parses the file. A missing file is reported as Missing, not
// created. Anything but an ordinary file (a device, a FIFO, a folder, also
// behind a symlink) is refused as Failed without being opened for long
// enough to block or to read from it.
BookmarkReadResult ReadBookmarkFile(const QString &path);

// Reads the file in pieces, calling `onLine` for each line, with the same
// refusals as ReadBookmarkFile. On Failed, `error` says why.
BookmarkReadResult::Status ScanBookmarkFile(const QString &path, const BookmarkLineFn &onLine, QString *error);

// The values of the file for the list: the `limit` smallest, ascending, and
// how many values the file holds in all.
struct BookmarkListing
{
    BookmarkReadResult::Status status = BookmarkReadResult::Ok;
    QString error;
    QList<double> smallest;
    qint64 total = 0;
};
BookmarkListing ListBookmarkFile(const QString &path, qsizetype limit);

// Set's write: appends the line for `value` to the file, creating it when
// missing. Other lines are never rewritten, so a file of any size costs one
// small write; a last line without a line end is ended first. Returns an
// empty string on success, else why it failed (the file is then unchanged).
QString AppendBookmarkFile(const QString &path, double value);

// Clear's write, done while reading: the file is replaced atomically by
// BookmarkClearRewrite of its lines. When it holds no value nothing is
// written and NoValues is returned (also for a missing file).
struct BookmarkClearResult
{
    enum Status { Cleared, NoValues, ReadFailed, WriteFailed };
    Status status = Cleared;
    QString error;
};
BookmarkClearResult ClearBookmarkFile(const QString &path, const QString &chosen);

// Replaces the whole file with `data` atomically: a new file is written and
// then renamed over the old one, so an interruption leaves one or the other.
// Where the path is a symlink, the file it leads to is replaced and the link
// kept. Refuses to replace anything but an ordinary file. Returns an empty
// string on success, else why it failed.
QString WriteBookmarkFile(const QString &path, const QByteArray &data);

// Whether a file can be created in `dir` (tried, not guessed from its mode).
bool IsWritableDirectory(const QString &dir);

struct BookmarkLocation
{
    QString path;        // the bookmark file for this run
    QString copiedFrom;  // the program folder's file, when it was copied to `path` just now
    QString copyError;   // why that copy failed, when it did
};

// Where the bookmark file lives: `programDir` when a file can be written there,
// else `userDataDir` (created when missing). In the second case a bookmark
// file in `programDir` is copied (atomically) to start the user's file when
// that does not exist yet, so the bookmarks do not seem lost.
BookmarkLocation ChooseBookmarkLocation(const QString &programDir, const QString &userDataDir);
QString ChooseBookmarkPath(const QString &programDir, const QString &userDataDir);

// ChooseBookmarkLocation for this run: the executable's directory, else the
// per-user data directory (~/.local/share/Murmelvox).
BookmarkLocation DefaultBookmarkLocation();
