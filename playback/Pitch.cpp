#include "shell/Bar.h"

#include "playback/Player.h"
#include "playback/Sliders.h"

#include <QLabel>

// The pitch track: a press at X sets the playback rate X / 1000 and fills the
// track up to X; the label shows the rate read back from the player.

namespace {

constexpr double PitchStep = 0.01;

} // namespace

// The panel's own rate changes redraw the track themselves; any other
// (MPRIS) is shown by pressing the track where that rate lies.
void Bar::setRateFromPanel(double rate)
{
    m_rateFromPanel = true;
    player->setRate(rate);
    m_rateFromPanel = false;
}

void Bar::showRate(double rate)
{
    if (!m_rateFromPanel)
        pressPitchTrack(1, 0, PitchPosition(rate), 0);
}

void Bar::pressPitchTrack(int, int, float X, float)
{
    const PitchPlan plan = PlanPitch(X);
    pitchTrack->setValue(TrackFill(plan.lines));
    if (plan.rate)
        setRateFromPanel(*plan.rate);
    pitchLabel->setText(PitchCaption(player->rate()));
}

void Bar::dragPitchTrack(int Button, int Shift, float X, float Y)
{
    // Left-button drags only; a drag with another or a second button held
    // changes nothing after its press.
    if (Button == 1)
        pressPitchTrack(Button, Shift, X, Y);
}

void Bar::resetPitch()
{
    setRateFromPanel(1.0);
    pressPitchTrack(1, 0, 1000, 0);
}

// The glyph buttons step the rate without bounds; the track then shows the
// new rate (and leaves rates off its range alone).
void Bar::stepPitchDown()
{
    setRateFromPanel(player->rate() - PitchStep);
    pressPitchTrack(1, 0, PitchPosition(player->rate()), 0);
}

void Bar::stepPitchUp()
{
    setRateFromPanel(player->rate() + PitchStep);
    pressPitchTrack(1, 0, PitchPosition(player->rate()), 0);
}
