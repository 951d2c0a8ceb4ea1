#pragma once

// The bookmark file "bookmark.ini": plain 8-bit text, one value in seconds a
// line, CR LF line ends, values in the order written. Nothing here touches a
// window, so the format and the list's rules can be tested on their own.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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
// created.
BookmarkReadResult ReadBookmarkFile(const QString &path);

// Replaces the whole file with `data` atomically: a new file is written and
// then renamed over the old one, so an interruption leaves one or the other.
// Returns an empty string on success, else why it failed.
QString WriteBookmarkFile(const QString &path, const QByteArray &data);

// Whether a file can be created in `dir` (tried, not guessed from its mode).
bool IsWritableDirectory(const QString &dir);

// Where the bookmark file lives: `programDir` when a file can be written there,
// else `userDataDir` (created when missing).
QString ChooseBookmarkPath(const QString &programDir, const QString &userDataDir);

// ChooseBookmarkPath for this run: the executable's directory, else the
// per-user data directory (~/.local/share/Murmelvox).
QString DefaultBookmarkPath();
