// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "ui/MediaPlayerControl.h"
#include "rules/NumberText.h"
#include "ui/Opening.h"
#include "rules/TimeText.h"
#include "ui/Startup.h"

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

void Bar::showPosition()
{
    const double length = mediaControl->Duration();
    double point = mediaControl->CurrentPosition();
    if (!showElapsed)
        point = mediaControl->Duration() - point;
    SetCaption(timeLabel, mediaControl->PlayState() == MediaPlayer::NoFile ? NoFileTimeCaption : TimeCaption(point, length));
    SetCaption(positionLabel, NumberText(RoundHalfEven2(mediaControl->CurrentPosition())));
    // A file named on the bar but not open (any more) is shown as such.
    ShowWhetherFileOpen(fileLabel, fileLabel->text().isEmpty() || mediaControl->PlayState() != MediaPlayer::NoFile);
}

void Bar::toggleTimeShown()
{
    showElapsed = !showElapsed;
}
