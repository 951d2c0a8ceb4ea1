#include "playback/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

QString NumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");

    // Round to 15 significant digits first, then print that value in plain
    // notation. std::to_chars ignores the C locale, so "." is always the point.
    std::array<char, 64> sci{};
    auto [sciEnd, sciErr] = std::to_chars(sci.data(), sci.data() + sci.size(), value,
                                          std::chars_format::scientific, 14);
    double rounded = 0;
    std::from_chars(sci.data(), sciEnd, rounded);
    if (sciErr != std::errc() || rounded == 0)
        return QStringLiteral("0");

    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = std::max(0, 14 - exponent);
    std::string text(static_cast<size_t>(decimals + 400), '\0');
    auto [end, err] = std::to_chars(text.data(), text.data() + text.size(), rounded,
                                    std::chars_format::fixed, decimals);
    if (err != std::errc())
        return QStringLiteral("0");
    text.resize(static_cast<size_t>(end - text.data()));
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return QString::fromStdString(text);
}

double RoundHalfEven2(double value)
{
    if (!std::isfinite(value))
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
