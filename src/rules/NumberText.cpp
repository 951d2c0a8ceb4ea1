// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

QString NumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");

    // Round to 15 significant digits in scientific form, then move the point
    // in the text itself: going back through a double would show binary
    // noise in large values (1e23 as 99999999999999991611392) and overflow
    // just below the largest double. std::to_chars ignores the C locale, so
    // "." is always the point.
    std::array<char, 64> sci{};
    const auto [sciEnd, sciErr] = std::to_chars(sci.data(), sci.data() + sci.size(), value,
                                                std::chars_format::scientific, 14);
    if (sciErr != std::errc())
        return QStringLiteral("0");
    const std::string_view form(sci.data(), size_t(sciEnd - sci.data()));
    const bool negative = form.front() == '-';
    const size_t e = form.find('e');
    std::string digits;
    for (char c : form.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(form.data() + e + (form[e + 1] == '+' ? 2 : 1), form.data() + form.size(), exponent);
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return QStringLiteral("0");

    std::string text = negative ? "-" : "";
    if (exponent < 0) {
        text += "0.";
        text.append(size_t(-exponent - 1), '0');
        text += digits;
    } else if (size_t(exponent) + 1 >= digits.size()) {
        text += digits;
        text.append(size_t(exponent) + 1 - digits.size(), '0');
    } else {
        text += digits.substr(0, size_t(exponent) + 1);
        text += '.';
        text += digits.substr(size_t(exponent) + 1);
    }
    return QString::fromStdString(text);
}

double RoundHalfEven2(double value)
{
    // From 1e15 on a double has no hundredths left to round (and value * 100
    // could overflow).
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        return value;
    // Decide halfway cases on the decimal form the user sees (65.125 is
    // halfway even though its binary value is not exactly).
    const QByteArray digits = NumberText(value * 100).toLatin1();
    double scaled = 0;
    std::from_chars(digits.constData(), digits.constData() + digits.size(), scaled);
    const double lower = std::floor(scaled);
    const double diff = scaled - lower;
    double result;
    if (diff > 0.5)
        result = lower + 1;
    else if (diff < 0.5)
        result = lower;
    else
        result = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    return result / 100;
}
