#include "shell/Form1.h"

#include "playback/MediaPlayerControl.h"
#include "playback/NumberText.h"
#include "playback/Opening.h"
#include "playback/TimeText.h"
#include "shell/Module1.h"

#include <QLabel>

// Ten times a second: the time label in the bar (elapsed or remaining time
// against the file's length) and the position in seconds in the panel.

namespace {

void SetCaption(QLabel *label, const QString &caption)
{
    // Skip unchanged captions: most ticks change nothing, and an unchanged
    // text need not be laid out and repainted again.
    if (label->text() != caption)
        label->setText(caption);
}

} // namespace

void Form1::Timer1_Timer()
{
    const double length = MP->Duration();
    double point = MP->CurrentPosition();
    if (!ShowElapsed)
        point = MP->Duration() - point;
    SetCaption(Label2, MP->PlayState() == MediaPlayer::NoFile ? NoFileTimeCaption : TimeCaption(point, length));
    SetCaption(Label8, NumberText(RoundHalfEven2(MP->CurrentPosition())));
    // A file named on the bar but not open (any more) is shown as such.
    ShowWhetherFileOpen(Label1, Label1->text().isEmpty() || MP->PlayState() != MediaPlayer::NoFile);
}

void Form1::Label2_DblClick()
{
    ShowElapsed = !ShowElapsed;
}
