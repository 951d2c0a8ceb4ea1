// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "rules/NumberText.h"
#include "ui/Opening.h"
#include "rules/TimeText.h"
#include "ui/Startup.h"

#include "engine/Player.h"

#include <QLabel>
#include <QTimer>

// The time label in the bar (elapsed or remaining time against the file's
// length) and the position in seconds in the panel, from the position the
// player pushes: ten times a second while playing, at once on any other
// change. Paused, stopped or with no file nothing ticks.

namespace {

void SetCaption(QLabel *label, const QString &caption)
{
    // Skip unchanged captions: most ticks change nothing, and an unchanged
    // text need not be laid out and repainted again.
    if (label->text() != caption)
        label->setText(caption);
}

} // namespace

void Bar::followPosition()
{
    connect(positionTimer, &QTimer::timeout, this, &Bar::showPosition);
    connect(player, &Player::positionMoved, this, [this](double seconds) {
        m_shownPosition = seconds;
        if (!positionTimer->isActive())
            showPosition();
    });
    connect(player, &Player::stateChanged, this, [this] {
        if (player->isPlaying() && !positionTimer->isActive())
            positionTimer->start();
        showPosition();
    });
    connect(player, &Player::durationChanged, this, &Bar::showPosition);
}

void Bar::showPosition()
{
    const bool hasFile = player->hasFile();
    const double length = player->duration();
    const double point = showElapsed ? m_shownPosition : length - m_shownPosition;
    SetCaption(timeLabel, hasFile ? TimeCaption(point, length) : NoFileTimeCaption);
    SetCaption(positionLabel, NumberText(RoundHalfEven2(m_shownPosition)));
    // A file named on the bar but not open (any more) is shown as such.
    ShowWhetherFileOpen(fileLabel, fileLabel->text().isEmpty() || hasFile || player->isOpening());
    if (!player->isPlaying())
        positionTimer->stop();
}

void Bar::toggleTimeShown()
{
    showElapsed = !showElapsed;
    showPosition();
}
