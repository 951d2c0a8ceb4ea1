#include "bookmarks/BookmarkFile.h"

#include "playback/NumberText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// A bookmark file is a few kilobytes; anything beyond this is not one, and
// reading it whole could exhaust memory.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimBlanks(QByteArrayView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin).toByteArray();
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

QList<BookmarkLine> ParseBookmarkLines(const QByteArray &data)
{
    QList<BookmarkLine> lines;
    qsizetype start = 0;
    const qsizetype size = data.size();
    while (start <= size) {
        qsizetype end = start;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        const QByteArray text = trimBlanks(QByteArrayView(data).sliced(start, end - start));
        if (!text.isEmpty())
            lines.append({text, ParseBookmarkNumber(text)});
        // CR LF, a lone LF and a lone CR each end one line.
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
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

QByteArray BookmarkClearRewrite(const QList<BookmarkLine> &lines, const QString &chosen)
{
    QByteArray data;
    for (const BookmarkLine &line : lines) {
        if (line.value) {
            const QString text = NumberText(*line.value);
            if (text == chosen)
                continue;
            data += text.toLatin1();
        } else {
            data += line.text;
        }
        data += "\r\n";
    }
    return data;
}

BookmarkReadResult ReadBookmarkFile(const QString &path)
{
    BookmarkReadResult result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        result.status = BookmarkReadResult::Missing;
        return result;
    }
    if (info.isDir()) {
        result.status = BookmarkReadResult::Failed;
        result.error = QCoreApplication::translate("Bookmarks", "%1 is a folder, not a file.")
                           .arg(QDir::toNativeSeparators(path));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = file.error() == QFileDevice::OpenError && !QFileInfo::exists(path)
                            ? BookmarkReadResult::Missing
                            : BookmarkReadResult::Failed;
        result.error = file.errorString();
        return result;
    }
    if (file.size() > MaxFileSize) {
        result.status = BookmarkReadResult::Failed;
        result.error = QCoreApplication::translate("Bookmarks", "The file is too large to be a bookmark file (%1 bytes).")
                           .arg(file.size());
        return result;
    }
    result.data = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        result.status = BookmarkReadResult::Failed;
        result.error = file.errorString();
        result.data.clear();
        return result;
    }
    result.lines = ParseBookmarkLines(result.data);
    return result;
}

QString WriteBookmarkFile(const QString &path, const QByteArray &data)
{
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

QString ChooseBookmarkPath(const QString &programDir, const QString &userDataDir)
{
    if (!IsSystemProgramDirectory(programDir) && IsWritableDirectory(programDir))
        return QDir(programDir).filePath(QLatin1String(BookmarkFileName));
    QDir().mkpath(userDataDir);
    return QDir(userDataDir).filePath(QLatin1String(BookmarkFileName));
}

QString DefaultBookmarkPath()
{
    // Named explicitly rather than after the application object, so the
    // place does not depend on what start-up has set by then.
    const QString userData = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(QStringLiteral("Murmelvox"));
    return ChooseBookmarkPath(QCoreApplication::applicationDirPath(), userData);
}
