// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "engine/Player.h"
#include "ui/MessageBox.h"

// Play, Pause and Stop show which of them was pressed last: the look changes
// on mouse down, before the click is handled (and also when it is refused),
// and again when the player carries the command out.

namespace {

const QString NoFileMessage = QStringLiteral("Select a Media File first!");

// The refusal every transport click gives while no file is open.
bool RefuseWithoutFile(const Player &player)
{
    if (player.hasFile())
        return false;
    ShowMessage(NoFileMessage, MessageStyle::OKOnly | MessageStyle::Critical, QStringLiteral("Murmelvox"));
    return true;
}

} // namespace

void Bar::showTransportLook(const TransportLook &look)
{
    if (look.play)
        playButton->setImage(*look.play ? ButtonImage::PlayDown : ButtonImage::PlayUp);
    if (look.pause)
        pauseButton->setImage(*look.pause ? ButtonImage::PauseDown : ButtonImage::PauseUp);
    if (look.stop)
        stopButton->setImage(*look.stop ? ButtonImage::StopDown : ButtonImage::StopUp);
}

void Bar::startPlaying()
{
    if (!RefuseWithoutFile(*player))
        player->play();
}

void Bar::pausePlaying()
{
    if (!RefuseWithoutFile(*player))
        player->pause();
}

void Bar::stopPlaying()
{
    if (!RefuseWithoutFile(*player))
        player->stop();
}

void Bar::playButtonDown()
{
    player->showLook(TransportLook::playing());
}

void Bar::playButtonUp() {}

void Bar::pauseButtonDown()
{
    player->showLook({std::nullopt, true, false});
}

void Bar::pauseButtonUp()
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Bar::stopButtonDown()
{
    player->showLook({std::nullopt, false, true});
}

void Bar::stopButtonUp()
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Bar::exitButtonDown() { exitButton->setImage(ButtonImage::ExitDown); }
void Bar::exitButtonUp() { exitButton->setImage(ButtonImage::ExitUp); }
void Bar::openButtonDown() { openButton->setImage(ButtonImage::OpenDown); }
void Bar::openButtonUp() { openButton->setImage(ButtonImage::OpenUp); }
void Bar::panelButtonDown() { panelButton->setImage(ButtonImage::PanelDown); }
void Bar::panelButtonUp() { panelButton->setImage(ButtonImage::PanelUp); }
