// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegion>

#include <functional>

class QWidget;

// Heights of the bar in twips: the strip alone, and the strip with the panel.
constexpr int CollapsedHeight = 275;
constexpr int ExpandedHeight = 2090;
// How long the panel takes to slide out or in, milliseconds.
constexpr int PanelMotionMs = 200;
// Distance of the bar from the screen's right edge, twips.
constexpr int RightMargin = 850;

// A rectangle `width` x `height` pixels whose corners are rounded by an
// ellipse `ellipseWidth` x `ellipseHeight`: a pixel belongs to it when its
// centre lies inside the rounded outline (as Qt draws the outline). The bar's
// region is the default.
QRegion RoundedRegion(int width = 350, int height = 139, int ellipseWidth = 50, int ellipseHeight = 50);

// The bar's left edge in twips: the screen's width less the window's width
// less the right margin, in single precision.
float BarLeftTwips(float screenWidthTwips, float windowWidthTwips);

// Keeps an unmapped top-level window off taskbars and pagers. Only X11 has
// such a hint for a window to set itself; elsewhere this does nothing.
void SkipTaskbar(QWidget *window);

// Sends every pending request to the X server, so that what was done takes
// effect even if the process ends right after. Does nothing without X11.
void FlushDisplay();

// Runs `steps` once, right after `window` has been painted for the first
// time (or after `latestMs` if it never is, e.g. while it is covered), so
// that nothing but the window itself stands between start-up and the first
// paint.
void AfterFirstPaint(QWidget *window, std::function<void()> steps, int latestMs = 500);
