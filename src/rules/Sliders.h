// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <optional>

// What a press at X (twips, single precision) on the pitch or wind-count
// track does. Both tracks fill with vertical lines at 10, 40, 70, ... up to
// X - 10; the handlers carry the plan out.

constexpr float TrackFirstLine = 10;
constexpr float TrackLineStep = 30;
constexpr float TrackLineTop = 10;     // lines run from y 10 to height - 10

constexpr int PitchTrackWidth = 2000;  // rate = X / 1000 inside the track

// A track's fill as one number, the slider's value: one step past its last
// line, TrackFirstLine when it has none.
int TrackFill(const QList<float> &lines);
// The lines a fill shows, left to right.
QList<float> TrackFillLines(int fill);

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

// The one rule between the pitch track and the rate, for the player and the
// track alike: a position X plays at X / 1000 (the division on the
// single-precision X, the result a double), and a rate lies at rate x 1000
// in single precision.
double PitchRateAt(float x);
float PitchPosition(double rate);
// A rate as the track holds it: the rate at its own position.
double PitchRate(double rate);

// The largest wind count the track makes: its last line inside the box is
// at 1600, so the label, the bar and the hot keys' jump all read 10 seconds.
constexpr float MaxWindCount = 1630;

struct WindCountPlan
{
    QList<float> lines;                // x of each line, left to right
    // The new wind count: one step past the last line, 10 to MaxWindCount.
    // A press (or a drag, or a stored value) beyond the track's end gives the
    // full track.
    float windCount = 0;
};

WindCountPlan PlanWindCount(float x);

// The label caption once the wind count is set: the whole seconds the wind
// hot keys jump by, so the label never promises another jump than they make.
QString WindCountFinalCaption(float windCount);

// The wind hot keys' jump in whole seconds: the wind count / 150, truncated.
double WindStepOf(float windCount);

// The wind count as the settings store keeps it: one leading blank, then the
// number (" 520").
QString WindCountStoredText(float windCount);

// The number the stored text begins with, leading blanks skipped, in single
// precision (a number beyond it reads as the largest value of its sign);
// none when the text does not begin with a number.
std::optional<float> WindCountFromStoredText(const QString &text);
