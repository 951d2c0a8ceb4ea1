#include "shell/Form1.h"

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

void Form1::showTransportLook(const TransportLook &look)
{
    if (look.play)
        ShowImage(Picture1, *look.play ? PlayDown : PlayUp);
    if (look.pause)
        ShowImage(Picture2, *look.pause ? PauseDown : PauseUp);
    if (look.stop)
        ShowImage(Picture3, *look.stop ? StopDown : StopUp);
}

void Form1::Picture1_Click()
{
    if (!RefuseWithoutFile(*player))
        player->play();
}

void Form1::Picture2_Click()
{
    if (!RefuseWithoutFile(*player))
        player->pause();
}

void Form1::Picture3_Click()
{
    if (!RefuseWithoutFile(*player))
        player->stop();
}

void Form1::Picture1_MouseDown(int, int, float, float)
{
    player->showLook(TransportLook::playing());
}

void Form1::Picture1_MouseUp(int, int, float, float) {}

void Form1::Picture2_MouseDown(int, int, float, float)
{
    player->showLook({std::nullopt, true, false});
}

void Form1::Picture2_MouseUp(int, int, float, float)
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Form1::Picture3_MouseDown(int, int, float, float)
{
    player->showLook({std::nullopt, false, true});
}

void Form1::Picture3_MouseUp(int, int, float, float)
{
    player->showLook({false, std::nullopt, std::nullopt});
}

void Form1::Picture4_MouseDown(int, int, float, float) { ShowImage(Picture4, 8); }
void Form1::Picture4_MouseUp(int, int, float, float) { ShowImage(Picture4, 7); }
void Form1::Picture5_MouseDown(int, int, float, float) { ShowImage(Picture5, 10); }
void Form1::Picture5_MouseUp(int, int, float, float) { ShowImage(Picture5, 9); }
void Form1::Picture6_MouseDown(int, int, float, float) { ShowImage(Picture6, 12); }
void Form1::Picture6_MouseUp(int, int, float, float) { ShowImage(Picture6, 11); }
