// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// "m:s" for a time in seconds: whole minutes and the seconds left over, each
// truncated toward zero (59.7 seconds is 0:59, never rounded up to 1:0).
QString MinutesSeconds(double seconds);

// The time label while a file is open: "m:s / m:s" for the point shown
// (elapsed or remaining) against the file's length.
QString TimeCaption(double pointSeconds, double lengthSeconds);

// The time label while no file is open.
inline const QString NoFileTimeCaption = QStringLiteral("0:0/0:0");
