#include "shell/Form1.h"

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
void Form1::setRateFromPanel(double rate)
{
    m_rateFromPanel = true;
    player->setRate(rate);
    m_rateFromPanel = false;
}

void Form1::showRate(double rate)
{
    if (!m_rateFromPanel)
        Picture8_MouseDown(1, 0, PitchPosition(rate), 0);
}

void Form1::Picture8_MouseDown(int, int, float X, float)
{
    const PitchPlan plan = PlanPitch(X);
    Picture8->setValue(TrackFill(plan.lines));
    if (plan.rate)
        setRateFromPanel(*plan.rate);
    Label3->setText(PitchCaption(player->rate()));
}

void Form1::Picture8_MouseMove(int Button, int Shift, float X, float Y)
{
    // Left-button drags only; a drag with another or a second button held
    // changes nothing after its press.
    if (Button == 1)
        Picture8_MouseDown(Button, Shift, X, Y);
}

void Form1::Picture8_DblClick()
{
    setRateFromPanel(1.0);
    Picture8_MouseDown(1, 0, 1000, 0);
}

// The glyph buttons step the rate without bounds; the track then shows the
// new rate (and leaves rates off its range alone).
void Form1::Label4_Click()
{
    setRateFromPanel(player->rate() - PitchStep);
    Picture8_MouseDown(1, 0, PitchPosition(player->rate()), 0);
}

void Form1::Label5_Click()
{
    setRateFromPanel(player->rate() + PitchStep);
    Picture8_MouseDown(1, 0, PitchPosition(player->rate()), 0);
}
