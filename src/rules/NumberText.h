// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The one textual form of a number shown on labels, in the bookmark list and
// in the bookmark file: 15 significant digits, plain decimal notation, no
// trailing zeros or point, "." as the decimal point whatever the locale.
QString NumberText(double value);

// Rounds to two decimal places; a value exactly halfway (as written in
// decimal) goes to the even neighbour.
double RoundHalfEven2(double value);
