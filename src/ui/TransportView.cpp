// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TransportView.h"

#include "engine/Player.h"
#include "ui/MessageBox.h"
#include "ui/PanelLayout.h"

// Play, Pause and Stop show which of them was pressed last: the look changes
// on mouse down, before the click is handled (and also when it is refused),
// and again when the player carries the command out.

namespace {

const QString NoFileMessage = QStringLiteral("Select a Media File first!");

// The refusal every transport click gives while no file is open (one being
// opened takes the click once it is).
bool RefuseWithoutFile(const Player &player)
{
    if (player.hasFile() || player.isOpening())
        return false;
    ShowMessage(NoFileMessage, MessageStyle::OKOnly | MessageStyle::Critical, QStringLiteral("Murmelvox"));
    return true;
}

} // namespace

TransportView::TransportView(QWidget *strip, Player &player) : QObject(strip), m_player(player)
{
    setObjectName(QStringLiteral("transport"));
    m_frame = PlainFrame(strip, QColor(192, 192, 192));
    m_frame->setObjectName(QStringLiteral("transportFrame"));
    m_frame->setAccessibleName(QStringLiteral("Transport buttons"));
    PlaceTwips(m_frame, 360, 0, 615, 255);

    m_playButton = StripButton(m_frame, "playButton", "Play", ButtonImage::PlayUp, 0, 50);
    m_pauseButton = StripButton(m_frame, "pauseButton", "Pause", ButtonImage::PauseUp, 210, 50);
    m_stopButton = StripButton(m_frame, "stopButton", "Stop", ButtonImage::StopUp, 400, 50);

    struct Wiring {
        ImageButton *box;
        void (TransportView::*click)();
        void (TransportView::*down)();
        void (TransportView::*up)();
    };
    // Play's release changes nothing: the look stays until the player's.
    const Wiring wiring[] = {
        {m_playButton, &TransportView::startPlaying, &TransportView::playButtonDown, nullptr},
        {m_pauseButton, &TransportView::pausePlaying, &TransportView::pauseButtonDown, &TransportView::pauseButtonUp},
        {m_stopButton, &TransportView::stopPlaying, &TransportView::stopButtonDown, &TransportView::stopButtonUp},
    };
    for (const Wiring &w : wiring) {
        connect(w.box, &ImageButton::pressed, this, w.down);
        if (w.up)
            connect(w.box, &ImageButton::released, this, w.up);
        connect(w.box, &ImageButton::clicked, this, w.click);
    }
    connect(&m_player, &Player::lookChanged, this, &TransportView::showLook);
}

QList<QWidget *> TransportView::tabOrder() const
{
    return {m_playButton, m_pauseButton, m_stopButton};
}

void TransportView::raise()
{
    m_frame->raise();
}

void TransportView::showLook(const TransportLook &look)
{
    if (look.play)
        m_playButton->setImage(*look.play ? ButtonImage::PlayDown : ButtonImage::PlayUp);
    if (look.pause)
        m_pauseButton->setImage(*look.pause ? ButtonImage::PauseDown : ButtonImage::PauseUp);
    if (look.stop)
        m_stopButton->setImage(*look.stop ? ButtonImage::StopDown : ButtonImage::StopUp);
}

void TransportView::startPlaying()
{
    if (!RefuseWithoutFile(m_player))
        m_player.play();
}

void TransportView::pausePlaying()
{
    if (!RefuseWithoutFile(m_player))
        m_player.pause();
}

void TransportView::stopPlaying()
{
    if (!RefuseWithoutFile(m_player))
        m_player.stop();
}

void TransportView::playButtonDown()
{
    m_player.showLook(TransportLook::playing());
}

void TransportView::pauseButtonDown()
{
    m_player.showLook({std::nullopt, true, false});
}

void TransportView::pauseButtonUp()
{
    m_player.showLook({false, std::nullopt, std::nullopt});
}

void TransportView::stopButtonDown()
{
    m_player.showLook({std::nullopt, false, true});
}

void TransportView::stopButtonUp()
{
    m_player.showLook({false, std::nullopt, std::nullopt});
}
