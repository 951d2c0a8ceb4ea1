// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the bookmark file reader and the rewrites Set and Clear
// make from what it read. Any input is a possible bookmark.ini (hand edits,
// other editors' line ends, binary garbage); besides not crashing, the
// reader and writers must keep every line they do not own and round-trip
// every value.
#include "rules/BookmarkFile.h"
#include "rules/NumberText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_bookmarks: %s\n", what);
        std::abort();
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A number text whose magnitude is past the largest double.
bool beyondDoubles(const QString &text)
{
    const QString digits = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    return digits.size() == 309 && !digits.contains(QLatin1Char('.')) && digits > QLatin1String("1797693134862315");
}

void checkLines(const QList<BookmarkLine> &lines)
{
    for (const BookmarkLine &line : lines) {
        check(!line.text.isEmpty(), "empty line kept");
        check(!line.text.contains('\r') && !line.text.contains('\n'), "line end inside a line");
        check(!isBlank(line.text.front()) && !isBlank(line.text.back()), "blanks around a line kept");
        const std::optional<double> v = ParseBookmarkNumber(line.text);
        check(v.has_value() == line.value.has_value(), "value differs from the number parser");
        if (v) {
            check(std::isfinite(*v), "non-finite value");
            check(*v == *line.value, "value differs from the number parser");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<BookmarkLine> lines = ParseBookmarkLines(file);
    checkLines(lines);

    // The list: every value once, ascending.
    const QList<double> values = BookmarkValues(lines);
    const QStringList items = BookmarkItems(values);
    check(items.size() == values.size(), "list and values differ in count");
    // (Only the 15-digit text of a value within 5e292 of the largest double
    // can lie beyond it; such an item is last and reads as no number.)
    for (qsizetype i = 1; i < items.size(); ++i) {
        const auto a = ParseBookmarkNumber(items[i - 1].toLatin1());
        const auto b = ParseBookmarkNumber(items[i].toLatin1());
        check(a.has_value() || beyondDoubles(items[i - 1]), "a list item is not a number");
        if (a && b)
            check(*a <= *b, "list not ascending");
    }

    // Set appends exactly one line and leaves every earlier line as it was.
    const double position = size >= 8 ? [&] { double d; std::memcpy(&d, data, 8); return d; }() : 65.456;
    if (std::isfinite(position)) {
        const double v = RoundHalfEven2(position);
        const QList<BookmarkLine> after = ParseBookmarkLines(BookmarkAppend(file, v));
        check(after.size() == lines.size() + 1, "Set did not add exactly one line");
        for (qsizetype i = 0; i < lines.size(); ++i)
            check(after[i].text == lines[i].text, "Set changed an earlier line");
        check(after.back().text == NumberText(v).toLatin1(), "Set's line is not the value's number text");
    }

    // Clear of the first item: the other values stay in file order with the
    // same number text, lines that hold no number stay as they were.
    const QString chosen = items.isEmpty() ? QString() : items.front();
    const QByteArray rewritten = BookmarkClearRewrite(lines, chosen);
    const QList<BookmarkLine> kept = ParseBookmarkLines(rewritten);
    checkLines(kept);
    qsizetype k = 0;
    for (const BookmarkLine &line : lines) {
        if (line.value && NumberText(*line.value) == chosen)
            continue;
        check(k < kept.size(), "Clear lost a line");
        const BookmarkLine &now = kept[k++];
        if (line.value) {
            const QString text = NumberText(*line.value);
            check(now.value.has_value() || (beyondDoubles(text) && now.text == text.toLatin1()),
                  "Clear turned a value into text");
            if (now.value)
                check(NumberText(*now.value) == text, "Clear changed a value");
        } else {
            check(now.text == line.text, "Clear changed a line without a number");
        }
    }
    check(k == kept.size(), "Clear added a line");
    // Clear's rewrite is its own fixed point.
    check(BookmarkClearRewrite(kept, QString()) == rewritten, "a second rewrite changed the file");
    return 0;
}
