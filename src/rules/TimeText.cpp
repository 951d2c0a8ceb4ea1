// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/TimeText.h"

#include "rules/NumberText.h"

#include <cmath>

QString MinutesSeconds(double seconds)
{
    // The seconds are taken from the seconds themselves rather than from the
    // fraction of minutes times 60: that product falls a hair short of whole
    // numbers for nearly half of all whole-second times (61 s would read 1:0).
    const double m = std::trunc(seconds / 60);
    const double s = std::trunc(seconds - m * 60);
    // Whole numbers, so the number text is plain digits; it also copes with
    // a NaN or infinity a broken file might report as its length.
    return NumberText(m) + QLatin1Char(':') + NumberText(s);
}

QString TimeCaption(double pointSeconds, double lengthSeconds)
{
    return MinutesSeconds(pointSeconds) + QStringLiteral(" / ") + MinutesSeconds(lengthSeconds);
}
