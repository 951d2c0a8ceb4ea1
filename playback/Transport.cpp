#include "shell/Bar.h"

#include "playback/Player.h"
#include "shell/MessageBox.h"

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
    MsgBox(NoFileMessage, MsgBoxStyle::OKOnly | MsgBoxStyle::Critical, QStringLiteral("Murmelvox"));
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

void Bar::playButtonDown(int, int, float, float)
{
    player->showLook(TransportLook::playing());
}

void Bar::playButtonUp(int, int, float, float) {}

void Bar::pauseButtonDown(int, int, float, float)
{
    player->showLook({std::nullopt, true, false});
}

void Bar::pauseButtonUp(int, int, float, float)
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Bar::stopButtonDown(int, int, float, float)
{
    player->showLook({std::nullopt, false, true});
}

void Bar::stopButtonUp(int, int, float, float)
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Bar::exitButtonDown(int, int, float, float) { ShowImage(exitButton, 8); }
void Bar::exitButtonUp(int, int, float, float) { ShowImage(exitButton, 7); }
void Bar::openButtonDown(int, int, float, float) { ShowImage(openButton, 10); }
void Bar::openButtonUp(int, int, float, float) { ShowImage(openButton, 9); }
void Bar::panelButtonDown(int, int, float, float) { ShowImage(panelButton, 12); }
void Bar::panelButtonUp(int, int, float, float) { ShowImage(panelButton, 11); }
