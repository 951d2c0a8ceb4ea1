// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Timestamp.h"

#include "rules/SettingsStore.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QString Section = QStringLiteral("timestamps");
const QString DelimitersKey = QStringLiteral("delimiters");
const QString HoursKey = QStringLiteral("hours");
const QString FractionKey = QStringLiteral("fractionDigits");

struct DelimiterPair
{
    TimestampFormat::Delimiters delimiters;
    const char *key;
    char open, close;
};
constexpr std::array<DelimiterPair, 4> DelimiterPairs{{
    {TimestampFormat::Delimiters::None, "none", 0, 0},
    {TimestampFormat::Delimiters::Brackets, "brackets", '[', ']'},
    {TimestampFormat::Delimiters::Parentheses, "parentheses", '(', ')'},
    {TimestampFormat::Delimiters::Hashes, "hashes", '#', '#'},
}};

const DelimiterPair &PairOf(TimestampFormat::Delimiters delimiters)
{
    for (const DelimiterPair &pair : DelimiterPairs) {
        if (pair.delimiters == delimiters)
            return pair;
    }
    return DelimiterPairs[0];
}

QString TwoDigits(long long value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The digits of `text` as a number, when it has `minDigits` to `maxDigits`
// of them and nothing else.
std::optional<long long> Digits(QStringView text, int minDigits, int maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits)
        return std::nullopt;
    long long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

QString FormatTimestamp(double seconds, const TimestampFormat &format)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const int digits = std::clamp(format.fractionDigits, 0, TimestampFormat::MaxFractionDigits);
    // Counted in milliseconds first, so that 12.3 s is 12.3 and not the
    // 12.29999 its double holds.
    const long long ms = std::llround(seconds * 1000);
    const long long whole = ms / 1000;
    const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    QString text;
    if (format.hours == TimestampFormat::Hours::Always || h > 0)
        text = TwoDigits(h) + u':';
    text += TwoDigits(m) + u':' + TwoDigits(s);
    if (digits > 0) {
        const long long unit = digits == 1 ? 100 : 10;
        text += u'.' + QStringLiteral("%1").arg(ms % 1000 / unit, digits, 10, QLatin1Char('0'));
    }
    const DelimiterPair &pair = PairOf(format.delimiters);
    if (pair.open)
        text = QLatin1Char(pair.open) + text + QLatin1Char(pair.close);
    return text;
}

std::optional<double> ParseTimestamp(QStringView text)
{
    // The longest timestamp, with room for blanks around it; a page of text
    // selected by mistake is refused before it is looked at.
    constexpr qsizetype LongestText = 64;
    if (text.size() > LongestText)
        return std::nullopt;
    text = text.trimmed();
    if (text.size() >= 2) {
        for (const DelimiterPair &pair : DelimiterPairs) {
            if (pair.open && text.front() == QLatin1Char(pair.open) && text.back() == QLatin1Char(pair.close)) {
                text = text.sliced(1, text.size() - 2);
                break;
            }
        }
    }
    // A fraction of a second after the seconds.
    double fraction = 0;
    if (const qsizetype dot = std::max(text.lastIndexOf(u'.'), text.lastIndexOf(u',')); dot >= 0) {
        const QStringView decimals = text.sliced(dot + 1);
        const std::optional<long long> value = Digits(decimals, 1, 9);
        if (!value)
            return std::nullopt;
        fraction = double(*value) / std::pow(10.0, double(decimals.size()));
        text = text.first(dot);
    }
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const std::optional<long long> s = Digits(parts.back(), 2, 2);
    // Minutes of one or two digits alone, of two after the hours.
    const std::optional<long long> m = Digits(parts.at(parts.size() - 2), parts.size() == 3 ? 2 : 1, 2);
    const std::optional<long long> h = parts.size() == 3 ? Digits(parts.front(), 1, 4) : std::optional<long long>(0);
    if (!s || !m || !h || *s >= 60 || *m >= 60)
        return std::nullopt;
    return double(*h * 3600 + *m * 60 + *s) + fraction;
}

TimestampFormat LoadTimestampFormat(const SettingsStore &store)
{
    TimestampFormat format;
    const QVariantMap values = store.section(Section);
    const QString delimiters = values.value(DelimitersKey).toString();
    for (const DelimiterPair &pair : DelimiterPairs) {
        if (delimiters == QLatin1String(pair.key))
            format.delimiters = pair.delimiters;
    }
    if (values.value(HoursKey).toString() == QLatin1String("past-an-hour"))
        format.hours = TimestampFormat::Hours::PastAnHour;
    bool ok = false;
    const int digits = values.value(FractionKey).toInt(&ok);
    if (ok && digits >= 0 && digits <= TimestampFormat::MaxFractionDigits)
        format.fractionDigits = digits;
    return format;
}

bool SaveTimestampFormat(SettingsStore &store, const TimestampFormat &format)
{
    QVariantMap values;
    values.insert(DelimitersKey, QLatin1String(PairOf(format.delimiters).key));
    values.insert(HoursKey, format.hours == TimestampFormat::Hours::Always ? QStringLiteral("always")
                                                                          : QStringLiteral("past-an-hour"));
    values.insert(FractionKey, format.fractionDigits);
    return store.setSection(Section, values);
}
