// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "engine/Player.h"
#include "ui/MessageBox.h"

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

// Images of the buttons pressed and released.
constexpr int PlayUp = 1, PauseUp = 2, StopUp = 3, PlayDown = 4, PauseDown = 5, StopDown = 6;

} // namespace

void Bar::showTransportLook(const TransportLook &look)
{
    if (look.play)
        ShowImage(playButton, *look.play ? PlayDown : PlayUp);
    if (look.pause)
        ShowImage(pauseButton, *look.pause ? PauseDown : PauseUp);
    if (look.stop)
        ShowImage(stopButton, *look.stop ? StopDown : StopUp);
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

void Bar::exitButtonDown() { ShowImage(exitButton, 8); }
void Bar::exitButtonUp() { ShowImage(exitButton, 7); }
void Bar::openButtonDown() { ShowImage(openButton, 10); }
void Bar::openButtonUp() { ShowImage(openButton, 9); }
void Bar::panelButtonDown() { ShowImage(panelButton, 12); }
void Bar::panelButtonUp() { ShowImage(panelButton, 11); }
