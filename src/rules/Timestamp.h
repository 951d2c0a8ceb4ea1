// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

class SettingsStore;

// How a timestamp is written into the typist's document.
struct TimestampFormat
{
    enum class Delimiters { None, Brackets, Parentheses, Hashes };
    enum class Hours { Always, PastAnHour };

    Delimiters delimiters = Delimiters::Brackets;
    Hours hours = Hours::Always;
    int fractionDigits = 0;   // 0 to MaxFractionDigits

    static constexpr int MaxFractionDigits = 2;

    bool operator==(const TimestampFormat &) const = default;
};

// "[00:12:34]" for 754 s as the default format writes it. Fractions are cut,
// never rounded up: a timestamp never points past what was heard. A time
// that is no number or below zero is written as 0.
QString FormatTimestamp(double seconds, const TimestampFormat &format);

// The seconds a timestamp names: h:mm:ss, mm:ss or m:ss, with a fraction
// after "." or "," if any, inside any of the format's delimiters or none,
// blanks around it allowed. Anything else names no time (never 0).
std::optional<double> ParseTimestamp(QStringView text);

// The format in its own section ("timestamps") of the settings file; a value
// missing or unknown reads as its default.
TimestampFormat LoadTimestampFormat(const SettingsStore &store);
bool SaveTimestampFormat(SettingsStore &store, const TimestampFormat &format);
