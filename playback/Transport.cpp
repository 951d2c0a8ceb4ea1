#include "shell/Form1.h"

#include "hotkeys/HotKeyCounters.h"
#include "playback/MediaPlayerControl.h"
#include "shell/MessageBox.h"

// Play, Pause and Stop show which of them was pressed last: the look changes
// on mouse down, before the click is handled (and also when it is refused).
// The counters keep the Play/Pause hot key in step with the buttons.

namespace {

const QString NoFileMessage = QStringLiteral("Select a Media File first!");

// The refusal every transport click gives while no file is open.
bool RefuseWithoutFile(const MediaPlayer &player)
{
    if (player.PlayState() != MediaPlayer::NoFile)
        return false;
    MsgBox(NoFileMessage, MsgBoxStyle::OKOnly | MsgBoxStyle::Critical, QStringLiteral("Murmelvox"));
    return true;
}

void ClearKeyCounts()
{
    PlayPauseKeyCount = 0;
    RewindKeyCount = 0;
    ForwardKeyCount = 0;
}

} // namespace

void Form1::Picture1_Click()
{
    if (RefuseWithoutFile(*MP))
        return;
    MP->Play();
    // Playing: the next Play/Pause hot-key press pauses.
    PlayPauseKeyCount = 2;
    RewindKeyCount = 0;
    ForwardKeyCount = 0;
}

void Form1::Picture2_Click()
{
    if (RefuseWithoutFile(*MP))
        return;
    if (MP->PlayState() == MediaPlayer::Playing)
        MP->Pause();
    ClearKeyCounts();
}

void Form1::Picture3_Click()
{
    if (RefuseWithoutFile(*MP))
        return;
    MP->Stop();
    MP->setCurrentPosition(0);
    ClearKeyCounts();
}

void Form1::Picture1_MouseDown(int, int, float, float)
{
    ShowImage(Picture1, 4);
    ShowImage(Picture2, 2);
    ShowImage(Picture3, 3);
}

void Form1::Picture1_MouseUp(int, int, float, float) {}

void Form1::Picture2_MouseDown(int, int, float, float)
{
    ShowImage(Picture2, 5);
    ShowImage(Picture3, 3);
}

void Form1::Picture2_MouseUp(int, int, float, float)
{
    ShowImage(Picture1, 1);
}

void Form1::Picture3_MouseDown(int, int, float, float)
{
    ShowImage(Picture3, 6);
    ShowImage(Picture2, 2);
}

void Form1::Picture3_MouseUp(int, int, float, float)
{
    ShowImage(Picture1, 1);
}

void Form1::Picture4_MouseDown(int, int, float, float) { ShowImage(Picture4, 8); }
void Form1::Picture4_MouseUp(int, int, float, float) { ShowImage(Picture4, 7); }
void Form1::Picture5_MouseDown(int, int, float, float) { ShowImage(Picture5, 10); }
void Form1::Picture5_MouseUp(int, int, float, float) { ShowImage(Picture5, 9); }
void Form1::Picture6_MouseDown(int, int, float, float) { ShowImage(Picture6, 12); }
void Form1::Picture6_MouseUp(int, int, float, float) { ShowImage(Picture6, 11); }
