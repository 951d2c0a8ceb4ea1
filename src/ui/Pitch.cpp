// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "engine/Player.h"
#include "rules/Sliders.h"

#include <QLabel>

// The pitch track: a press `twips` along sets the playback rate twips / 1000
// and fills the track up to there; the label shows the rate read back from the player.

namespace {

constexpr double PitchStep = 0.01;

} // namespace

// The panel's own rate changes redraw the track themselves; any other
// (MPRIS) is shown where that rate lies, without setting it again.
void Bar::setRateFromPanel(double rate)
{
    m_rateFromPanel = true;
    player->setRate(rate);
    m_rateFromPanel = false;
}

void Bar::showRate(double rate)
{
    if (!m_rateFromPanel)
        showPitch(rate);
}

void Bar::showPitch(double rate)
{
    pitchTrack->setValue(TrackFill(PlanPitch(PitchPosition(rate)).lines));
    pitchLabel->setText(PitchCaption(rate));
}

void Bar::setPitchAt(float twips)
{
    const PitchPlan plan = PlanPitch(twips);
    pitchTrack->setValue(TrackFill(plan.lines));
    if (plan.rate)
        setRateFromPanel(*plan.rate);
    pitchLabel->setText(PitchCaption(player->rate()));
}

void Bar::resetPitch()
{
    setRateFromPanel(1.0);
    setPitchAt(1000);
}

// The glyph buttons step the rate without bounds; the track then shows the
// new rate (and leaves rates off its range alone).
void Bar::stepPitchDown()
{
    setRateFromPanel(player->rate() - PitchStep);
    setPitchAt(PitchPosition(player->rate()));
}

void Bar::stepPitchUp()
{
    setRateFromPanel(player->rate() + PitchStep);
    setPitchAt(PitchPosition(player->rate()));
}
