// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/BookmarkFile.h"

#include "rules/OrdinaryFile.h"
#include "rules/NumberText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <queue>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcBookmarks, "murmelvox.bookmarks")

namespace {

// A bookmark file is a few kilobytes; anything beyond this is not one, and
// even reading it in pieces would keep the bar busy for long.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// Large files are read and written in pieces of this size.
constexpr qsizetype PieceSize = 256 * 1024;

using Status = BookmarkReadResult::Status;

QString tr(const char *text) { return QCoreApplication::translate("Bookmarks", text); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimBlanks(QByteArrayView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin);
}

QString notOrdinary(const QString &path, mode_t mode)
{
    const QString why = NotOrdinaryFileText(path, mode);
    qCWarning(lcBookmarks).noquote() << "refused:" << why;
    return why;
}

QString tooLarge(qint64 size)
{
    return tr("The file is too large to be a bookmark file (%1 bytes).").arg(size);
}

struct Descriptor
{
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens `path`, following symlinks, only where it is an ordinary file. The
// type is looked at before opening, so a FIFO or a device is never opened
// (a FIFO would block, a device could be read for ever), and again on what
// was opened, in case it was swapped in between; O_NONBLOCK keeps even that
// open from waiting.
Status openOrdinary(const QString &path, int flags, Descriptor &file, struct stat &st, QString *error)
{
    const PathCheck check = CheckOrdinaryFile(path);
    st = check.st;
    switch (check.kind) {
    case PathCheck::Ordinary:
        break;
    case PathCheck::Missing:
        return BookmarkReadResult::Missing;
    case PathCheck::Other:
        *error = notOrdinary(path, st.st_mode);
        return BookmarkReadResult::Failed;
    case PathCheck::Failed:
        *error = check.error;
        return BookmarkReadResult::Failed;
    }
    const QByteArray native = QFile::encodeName(path);
    do
        file.fd = ::open(native.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0) {
        if (errno == ENOENT)
            return BookmarkReadResult::Missing;
        *error = qt_error_string(errno);
        return BookmarkReadResult::Failed;
    }
    if (::fstat(file.fd, &st) != 0) {
        *error = qt_error_string(errno);
        return BookmarkReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = notOrdinary(path, st.st_mode);
        return BookmarkReadResult::Failed;
    }
    return BookmarkReadResult::Ok;
}

// Reads an ordinary file in pieces of at most PieceSize bytes.
Status readPieces(const QString &path, const std::function<void(QByteArrayView)> &onPiece, QString *error)
{
    Descriptor file;
    struct stat st {};
    const Status status = openOrdinary(path, O_RDONLY, file, st, error);
    if (status != BookmarkReadResult::Ok)
        return status;
    if (st.st_size > MaxFileSize) {
        *error = tooLarge(st.st_size);
        return BookmarkReadResult::Failed;
    }
    QByteArray piece(qMin<qint64>(PieceSize, st.st_size + 1), Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(file.fd, piece.data(), size_t(piece.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = qt_error_string(errno);
            return BookmarkReadResult::Failed;
        }
        if (n == 0)
            return BookmarkReadResult::Ok;
        total += n;
        if (total > MaxFileSize) { // it grew while being read
            *error = tooLarge(total);
            return BookmarkReadResult::Failed;
        }
        if (piece.size() < PieceSize)
            piece.resize(PieceSize);
        onPiece(QByteArrayView(piece.constData(), n));
    }
}

} // namespace

std::optional<double> ParseBookmarkNumber(QByteArrayView text)
{
    if (text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    // from_chars also takes "inf" and "nan"; reject the non-finite values and
    // anything it does not consume entirely ("12abc", "1,5").
    double value = 0;
    const char *first = text.data();
    const char *last = first + text.size();
    const auto [end, err] = std::from_chars(first, last, value, std::chars_format::general);
    if (err != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void BookmarkLineSplitter::feed(QByteArrayView piece)
{
    const char *p = piece.data();
    const qsizetype n = piece.size();
    qsizetype start = 0;
    if (m_afterCR && n > 0) {
        m_afterCR = false;
        if (p[0] == '\n')
            start = 1;
    }
    while (start < n) {
        qsizetype end = start;
        while (end < n && p[end] != '\r' && p[end] != '\n')
            ++end;
        if (end == n) {
            m_partial.append(p + start, end - start);
            return;
        }
        if (m_partial.isEmpty()) {
            line(QByteArrayView(p + start, end - start));
        } else {
            m_partial.append(p + start, end - start);
            line(m_partial);
            m_partial.clear();
        }
        // CR LF, a lone LF and a lone CR each end one line.
        if (p[end] == '\r') {
            if (end + 1 == n)
                m_afterCR = true;
            else if (p[end + 1] == '\n')
                ++end;
        }
        start = end + 1;
    }
}

void BookmarkLineSplitter::finish()
{
    if (!m_partial.isEmpty())
        line(m_partial);
    m_partial.clear();
    m_afterCR = false;
}

void BookmarkLineSplitter::line(QByteArrayView text)
{
    text = trimBlanks(text);
    if (!text.isEmpty())
        m_onLine(text, ParseBookmarkNumber(text));
}

QList<BookmarkLine> ParseBookmarkLines(const QByteArray &data)
{
    QList<BookmarkLine> lines;
    BookmarkLineSplitter splitter([&lines](QByteArrayView text, std::optional<double> value) {
        lines.append({text.toByteArray(), value});
    });
    splitter.feed(data);
    splitter.finish();
    return lines;
}

QList<double> BookmarkValues(const QList<BookmarkLine> &lines)
{
    QList<double> values;
    values.reserve(lines.size());
    for (const BookmarkLine &line : lines) {
        if (line.value)
            values.append(*line.value);
    }
    return values;
}

QStringList BookmarkItems(QList<double> values)
{
    std::sort(values.begin(), values.end());
    QStringList items;
    items.reserve(values.size());
    for (double v : values)
        items.append(NumberText(v));
    return items;
}

QByteArray BookmarkSetLine(double value)
{
    return ' ' + NumberText(value).toLatin1() + " \r\n";
}

QByteArray BookmarkAppend(const QByteArray &existing, double value)
{
    QByteArray data = existing;
    if (!data.isEmpty() && !data.endsWith('\n') && !data.endsWith('\r'))
        data += "\r\n";
    data += BookmarkSetLine(value);
    return data;
}

// Whether `text` is already the number text of the value it denotes, so that
// Clear can keep it without formatting it again (which dominates the time a
// large file takes): plain notation, no sign but a minus, no leading zeros,
// no trailing fractional zeros, at most 15 significant digits (which a double
// carries through unchanged) and a magnitude well inside the normal doubles.
static bool IsNumberText(QByteArrayView text)
{
    if (text.size() > 24)
        return false;
    qsizetype i = text.startsWith('-') ? 1 : 0;
    const qsizetype intBegin = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const qsizetype intEnd = i;
    if (intEnd == intBegin || (text[intBegin] == '0' && intEnd - intBegin > 1))
        return false;
    qsizetype significant = 0;
    const bool zeroInt = text[intBegin] == '0';
    if (!zeroInt) {
        qsizetype last = intEnd;
        while (text[last - 1] == '0')
            --last;
        significant = last - intBegin;
    }
    if (i < text.size()) {
        if (text[i] != '.' || i + 1 == text.size() || text.back() == '0')
            return false;
        qsizetype j = i + 1;
        if (zeroInt)
            while (j < text.size() && text[j] == '0')
                ++j;
        for (qsizetype k = j; k < text.size(); ++k)
            if (text[k] < '0' || text[k] > '9')
                return false;
        significant = zeroInt ? text.size() - j : (intEnd - intBegin) + (text.size() - i - 1);
    } else if (zeroInt && intBegin == 1) {
        return false; // "-0" is written "0"
    }
    return significant <= 15;
}

// Clear's line for one line read: the number text alone, nothing when it is
// `chosen`'s, a line without a number as it was.
static void AppendClearLine(QByteArray &out, QByteArrayView text, const std::optional<double> &value,
                            const QString &chosen)
{
    if (value) {
        if (IsNumberText(text)) {
            if (QLatin1StringView(text) == chosen)
                return;
            out += text;
        } else {
            const QString number = NumberText(*value);
            if (number == chosen)
                return;
            out += number.toLatin1();
        }
    } else {
        out += text;
    }
    out += "\r\n";
}

QByteArray BookmarkClearRewrite(const QList<BookmarkLine> &lines, const QString &chosen)
{
    QByteArray data;
    for (const BookmarkLine &line : lines)
        AppendClearLine(data, line.text, line.value, chosen);
    return data;
}

BookmarkReadResult ReadBookmarkFile(const QString &path)
{
    BookmarkReadResult result;
    result.status = readPieces(path, [&result](QByteArrayView piece) { result.data += piece; }, &result.error);
    if (result.status == BookmarkReadResult::Ok)
        result.lines = ParseBookmarkLines(result.data);
    else
        result.data.clear();
    return result;
}

BookmarkReadResult::Status ScanBookmarkFile(const QString &path, const BookmarkLineFn &onLine, QString *error)
{
    BookmarkLineSplitter splitter(onLine);
    const Status status = readPieces(path, [&splitter](QByteArrayView piece) { splitter.feed(piece); }, error);
    if (status == BookmarkReadResult::Ok)
        splitter.finish();
    return status;
}

BookmarkListing ListBookmarkFile(const QString &path, qsizetype limit)
{
    BookmarkListing listing;
    // The largest kept value on top, to be pushed out by a smaller one.
    std::priority_queue<double> kept;
    listing.status = ScanBookmarkFile(path, [&](QByteArrayView, std::optional<double> value) {
        if (!value)
            return;
        ++listing.total;
        if (qsizetype(kept.size()) < limit) {
            kept.push(*value);
        } else if (limit > 0 && *value < kept.top()) {
            kept.pop();
            kept.push(*value);
        }
    }, &listing.error);
    if (listing.status != BookmarkReadResult::Ok) {
        listing.total = 0;
        return listing;
    }
    listing.smallest.resize(qsizetype(kept.size()));
    for (qsizetype i = listing.smallest.size() - 1; i >= 0; --i) {
        listing.smallest[i] = kept.top();
        kept.pop();
    }
    return listing;
}

QString AppendBookmarkFile(const QString &path, double value)
{
    Descriptor file;
    struct stat st {};
    QString error;
    const Status status = openOrdinary(path, O_RDWR | O_APPEND, file, st, &error);
    if (status == BookmarkReadResult::Missing)
        return WriteBookmarkFile(path, BookmarkSetLine(value));
    if (status == BookmarkReadResult::Failed)
        return error;
    if (st.st_size > MaxFileSize)
        return tooLarge(st.st_size);

    QByteArray line = BookmarkSetLine(value);
    if (st.st_size > 0) {
        char last = 0;
        if (::pread(file.fd, &last, 1, st.st_size - 1) != 1)
            return qt_error_string(errno);
        if (last != '\n' && last != '\r')
            line.prepend("\r\n");
    }
    // One write of a few bytes: a process killed around it leaves the file
    // with the whole line or without it.
    const ssize_t written = ::write(file.fd, line.constData(), size_t(line.size()));
    if (written != line.size()) {
        const QString why = written < 0 ? qt_error_string(errno) : qt_error_string(ENOSPC);
        if (written > 0) { // take back the cut line
            const off_t end = ::lseek(file.fd, 0, SEEK_CUR);
            if (end < 0 || ::ftruncate(file.fd, end - written) != 0)
                qCWarning(lcBookmarks) << "could not take back a cut line in" << path;
        }
        return why;
    }
    if (::fdatasync(file.fd) != 0)
        qCWarning(lcBookmarks) << "appended to" << path << "but could not flush it to disk:" << qt_error_string(errno);
    return {};
}

BookmarkClearResult ClearBookmarkFile(const QString &path, const QString &chosen)
{
    BookmarkClearResult result;
    // Only created once the reader has accepted the file, so that nothing is
    // written where an ordinary file is not.
    QSaveFile out(path);
    QByteArray pending;
    qint64 values = 0;
    bool writeFailed = false;
    const auto flush = [&] {
        if (!out.isOpen() && !out.open(QIODevice::WriteOnly))
            return false;
        if (out.write(pending) != pending.size())
            return false;
        pending.truncate(0);
        return true;
    };
    QString readError;
    const Status status = ScanBookmarkFile(path, [&](QByteArrayView text, std::optional<double> value) {
        if (writeFailed)
            return;
        if (value)
            ++values;
        AppendClearLine(pending, text, value, chosen);
        if (pending.size() >= PieceSize && !flush())
            writeFailed = true;
    }, &readError);

    if (status == BookmarkReadResult::Failed || writeFailed || status == BookmarkReadResult::Missing || values == 0) {
        const QString writeError = out.errorString();
        if (out.isOpen())
            out.cancelWriting();
        if (status == BookmarkReadResult::Failed) {
            result.status = BookmarkClearResult::ReadFailed;
            result.error = readError;
        } else if (writeFailed) {
            result.status = BookmarkClearResult::WriteFailed;
            result.error = writeError;
        } else {
            result.status = BookmarkClearResult::NoValues;
        }
        return result;
    }
    if (!flush() || !out.commit()) {
        result.status = BookmarkClearResult::WriteFailed;
        result.error = out.errorString();
        if (out.isOpen())
            out.cancelWriting();
    }
    return result;
}

QString WriteBookmarkFile(const QString &path, const QByteArray &data)
{
    // QSaveFile would rename its new file over a device or a FIFO; what the
    // path leads to must already be an ordinary file, or nothing.
    const PathCheck check = CheckOrdinaryFile(path);
    if (check.kind == PathCheck::Other)
        return notOrdinary(path, check.st.st_mode);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(data) != data.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

bool IsWritableDirectory(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral("/.murmelvox-probe-XXXXXX"));
    return probe.open();
}

// Folders shared by every installed program. Root can write there, but a
// bookmark file beside /usr/bin/murmelvox would belong to no user.
static bool IsSystemProgramDirectory(const QString &dir)
{
    const QString path = QDir(dir).absolutePath() + QLatin1Char('/');
    for (const char *prefix : {"/usr/", "/bin/", "/sbin/"}) {
        if (path.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

// Copies `from` to `to` atomically and in pieces. Returns why it failed, or
// an empty string; `copied` tells whether there was anything to copy.
static QString CopyBookmarkFile(const QString &from, const QString &to, bool *copied)
{
    *copied = false;
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    bool writeFailed = false;
    QString error;
    const Status status = readPieces(from, [&](QByteArrayView piece) {
        if (!writeFailed && out.write(piece.data(), piece.size()) != piece.size())
            writeFailed = true;
    }, &error);
    if (status != BookmarkReadResult::Ok || writeFailed) {
        if (writeFailed)
            error = out.errorString();
        out.cancelWriting();
        return error;
    }
    if (!out.commit())
        return out.errorString();
    *copied = true;
    return {};
}

BookmarkLocation ChooseBookmarkLocation(const QString &programDir, const QString &userDataDir)
{
    BookmarkLocation where;
    if (!IsSystemProgramDirectory(programDir) && IsWritableDirectory(programDir)) {
        where.path = QDir(programDir).filePath(QLatin1String(BookmarkFileName));
        return where;
    }
    QDir().mkpath(userDataDir);
    where.path = QDir(userDataDir).filePath(QLatin1String(BookmarkFileName));

    // Bookmarks kept beside the program before it became read-only (or was
    // installed) would otherwise seem lost. Once the user's file exists, it
    // is the one that counts.
    const QString old = QDir(programDir).filePath(QLatin1String(BookmarkFileName));
    struct stat st {};
    if (::lstat(QFile::encodeName(where.path).constData(), &st) == 0
        || ::lstat(QFile::encodeName(old).constData(), &st) != 0)
        return where;
    bool copied = false;
    where.copyError = CopyBookmarkFile(old, where.path, &copied);
    if (copied) {
        where.copiedFrom = old;
        qCInfo(lcBookmarks) << "copied" << old << "to" << where.path;
    } else if (!where.copyError.isEmpty()) {
        qCWarning(lcBookmarks).noquote() << "could not copy" << old << "to" << where.path << ":" << where.copyError;
    }
    return where;
}

QString ChooseBookmarkPath(const QString &programDir, const QString &userDataDir)
{
    return ChooseBookmarkLocation(programDir, userDataDir).path;
}

BookmarkLocation DefaultBookmarkLocation()
{
    // Named explicitly rather than after the application object, so the
    // place does not depend on what start-up has set by then.
    const QString userData = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(QStringLiteral("Murmelvox"));
    return ChooseBookmarkLocation(QCoreApplication::applicationDirPath(), userData);
}
