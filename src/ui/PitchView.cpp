// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PitchView.h"

#include "engine/Player.h"
#include "rules/Sliders.h"
#include "ui/PanelLayout.h"

#include <QLabel>

// The pitch track: a press `twips` along sets the playback rate twips / 1000
// and fills the track up to there; the label shows the rate read back from the player.

namespace {

constexpr double PitchStep = 0.01;

} // namespace

PitchView::PitchView(QWidget *panel, Player &player) : QObject(panel), m_player(player)
{
    setObjectName(QStringLiteral("pitch"));
    m_caption = PanelCaption(panel, "pitchLabel", QStringLiteral("Pitch"), 120, 360, 735, 255);
    m_caption->setAccessibleName(QStringLiteral("Pitch"));

    // The two glyphs: a down and an up triangle, small enough for their
    // 9-pixel boxes.
    auto glyph = [panel](const char *name, const QString &text, const char *role, int left) {
        auto *label = TransparentLabel<ClickLabel>(panel, text);
        label->setObjectName(QLatin1String(name));
        label->setAccessibleName(QLatin1String(role));
        label->setFont(LayoutFont(SansSerif, 6));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFocusPolicy(Qt::TabFocus);
        label->setCursor(Qt::PointingHandCursor);
        PlaceTwips(label, left, 360, 135, 255);
        return label;
    };
    m_down = glyph("pitchDown", QStringLiteral("\u25BC"), "Pitch down", 840);
    m_up = glyph("pitchUp", QStringLiteral("\u25B2"), "Pitch up", 2925);

    // A press at or past the track's right end fills it whole.
    m_track = new TrackSlider(panel, 2000, 135, QColor(64, 64, 64));
    m_track->setRange(int(TrackFirstLine), TrackFill(PlanPitch(PitchTrackWidth).lines));
    m_track->setObjectName(QStringLiteral("pitchTrack"));
    m_track->setAccessibleName(QStringLiteral("Pitch"));
    m_track->move(Px(960), Px(420));

    connect(m_down, &ClickLabel::clicked, this, &PitchView::stepPitchDown);
    connect(m_up, &ClickLabel::clicked, this, &PitchView::stepPitchUp);
    connect(m_track, &TrackSlider::pressedAt, this, &PitchView::setPitchAt);
    connect(m_track, &TrackSlider::draggedTo, this, &PitchView::setPitchAt);
    connect(m_track, &TrackSlider::doubleClicked, this, &PitchView::resetPitch);
    // Arrow keys on the track act as the two glyphs.
    connect(m_track, &TrackSlider::stepped, this, [this](int direction) {
        if (direction < 0)
            stepPitchDown();
        else
            stepPitchUp();
    });
    connect(&m_player, &Player::rateChanged, this, &PitchView::showRate);
}

QList<QWidget *> PitchView::tabOrder() const
{
    return {m_track, m_down, m_up};
}

QList<QWidget *> PitchView::backdrop() const
{
    return {m_caption, m_down, m_up};
}

void PitchView::startAtNormalSpeed()
{
    m_player.setRate(1.0);
    showPitch(m_player.rate());
}

// The panel's own rate changes redraw the track themselves; any other
// (MPRIS) is shown where that rate lies, without setting it again.
void PitchView::setRateFromPanel(double rate)
{
    m_rateFromPanel = true;
    m_player.setRate(rate);
    m_rateFromPanel = false;
}

void PitchView::showRate(double rate)
{
    if (!m_rateFromPanel)
        showPitch(rate);
}

void PitchView::showPitch(double rate)
{
    m_track->setValue(TrackFill(PlanPitch(PitchPosition(rate)).lines));
    m_caption->setText(PitchCaption(rate));
}

void PitchView::setPitchAt(float twips)
{
    const PitchPlan plan = PlanPitch(twips);
    m_track->setValue(TrackFill(plan.lines));
    if (plan.rate)
        setRateFromPanel(*plan.rate);
    m_caption->setText(PitchCaption(m_player.rate()));
}

void PitchView::resetPitch()
{
    setRateFromPanel(1.0);
    setPitchAt(1000);
}

// The glyph buttons step the rate without bounds; the track then shows the
// new rate (and leaves rates off its range alone).
void PitchView::stepPitchDown()
{
    setRateFromPanel(m_player.rate() - PitchStep);
    setPitchAt(PitchPosition(m_player.rate()));
}

void PitchView::stepPitchUp()
{
    setRateFromPanel(m_player.rate() + PitchStep);
    setPitchAt(PitchPosition(m_player.rate()));
}
