#pragma once

#include <QList>
#include <QString>
#include <optional>

// What a press at X (twips, single precision) on the pitch or wind-count
// track does. Both tracks draw vertical lines at 10, 40, 70, ... up to
// X - 10; the handlers carry the plan out, letting pending events run before
// each line.

constexpr float TrackFirstLine = 10;
constexpr float TrackLineStep = 30;
constexpr float TrackLineTop = 10;     // lines run from y 10 to height - 10

constexpr int PitchTrackWidth = 2000;  // rate = X / 1000 inside the track

struct PitchPlan
{
    QList<float> lines;                // x of each line, left to right
    std::optional<double> rate;        // the rate to set, if X lies on the track
};

// Lines up to X - 10, as far as the track shows them (lines past its right
// edge would be clipped away, so none are planned there); the rate X / 1000
// (the division on the single-precision X, the result a double) only for
// 0 < X < 2000.
PitchPlan PlanPitch(float x);

// The caption of the pitch label for a rate read back from the player.
QString PitchCaption(double rate);

// The press position that shows a rate: rate x 1000 in single precision.
float PitchPosition(double rate);

struct WindCountPlan
{
    QList<float> lines;                // x of each line, left to right
    // With each line the label shows "Wind Count " and line / 150 truncated.
    // The new wind count: one step past the last line. None when the press
    // reached the cap (the line at 1660 and beyond): then the wind count and
    // the stored setting stay as they were.
    std::optional<float> windCount;
};

WindCountPlan PlanWindCount(float x);

// The label caption shown with the line at x.
QString WindCountCaption(float lineX);

// The wind count as the settings store keeps it: one leading blank, then the
// number (" 520").
QString WindCountStoredText(float windCount);

// The number the stored text begins with, leading blanks skipped, in single
// precision; 0 when the text does not begin with a number or the number does
// not fit a single-precision value.
float WindCountFromStoredText(const QString &text);
