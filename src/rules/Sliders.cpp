// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Sliders.h"

#include "rules/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// x / 150 truncated toward zero: the wind count's whole seconds.
int WholeSeconds(float x)
{
    return static_cast<int>(std::trunc(x / 150));
}

} // namespace

int TrackFill(const QList<float> &lines)
{
    return int(TrackFirstLine + TrackLineStep * float(lines.size()));
}

QList<float> TrackFillLines(int fill)
{
    QList<float> lines;
    for (float x = TrackFirstLine; x < float(fill); x += TrackLineStep)
        lines.append(x);
    return lines;
}

PitchPlan PlanPitch(float x)
{
    PitchPlan plan;
    const float end = x - 10;
    // The track ends at its width; stopping there also keeps a huge X (many
    // clicks on the up glyph) from running an endless loop.
    for (float i = TrackFirstLine; i <= end && i < PitchTrackWidth; i += TrackLineStep)
        plan.lines.append(i);
    if (x > 0 && x < PitchTrackWidth)
        plan.rate = PitchRateAt(x);
    return plan;
}

QString PitchCaption(double rate)
{
    return QStringLiteral("Pitch ") + NumberText(rate);
}

double PitchRateAt(float x)
{
    return static_cast<double>(x) / 1000;
}

double PitchRate(double rate)
{
    return PitchRateAt(PitchPosition(rate));
}

float PitchPosition(double rate)
{
    const double x = rate * 1000;
    // A rate beyond single precision cannot be a position; such rates lie far
    // off the track, and the largest float stands for them just as well.
    if (std::isnan(x))
        return 0;
    constexpr double maxFloat = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(x, -maxFloat, maxFloat));
}

WindCountPlan PlanWindCount(float x)
{
    WindCountPlan plan;
    const float end = x - 10;
    float i = TrackFirstLine;
    for (; i <= end && i + TrackLineStep <= MaxWindCount; i += TrackLineStep)
        plan.lines.append(i);
    plan.windCount = i;
    return plan;
}

QString WindCountFinalCaption(float windCount)
{
    return QStringLiteral("Wind Count ") + QString::number(WholeSeconds(windCount));
}

double WindStepOf(float windCount)
{
    return std::trunc(double(windCount) / 150.0);
}

QString WindCountStoredText(float windCount)
{
    return QLatin1Char(' ') + NumberText(windCount);
}

std::optional<float> WindCountFromStoredText(const QString &text)
{
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t')))
        ++pos;
    const qsizetype start = pos;
    auto isDigit = [&](qsizetype p) { return p < n && text[p] >= QLatin1Char('0') && text[p] <= QLatin1Char('9'); };
    if (pos < n && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
        ++pos;
    bool digits = false;
    while (isDigit(pos)) { ++pos; digits = true; }
    if (pos < n && text[pos] == QLatin1Char('.')) {
        ++pos;
        while (isDigit(pos)) { ++pos; digits = true; }
    }
    if (!digits)
        return std::nullopt;
    // An exponent counts only when digits follow it ("5e" reads as 5).
    if (pos < n && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        qsizetype e = pos + 1;
        if (e < n && (text[e] == QLatin1Char('+') || text[e] == QLatin1Char('-')))
            ++e;
        if (isDigit(e)) {
            while (isDigit(e))
                ++e;
            pos = e;
        }
    }
    // An overflowing exponent reads as infinity (toDouble then says not ok,
    // but still gives the signed infinity).
    const double value = text.mid(start, pos - start).toDouble();
    constexpr double maxFloat = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -maxFloat, maxFloat));
}
