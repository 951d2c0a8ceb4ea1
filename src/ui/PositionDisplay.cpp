// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PositionDisplay.h"

#include "rules/FileLabel.h"
#include "rules/NumberText.h"
#include "rules/ResumeStore.h"
#include "ui/Opening.h"
#include "ui/PanelLayout.h"
#include "rules/TimeText.h"
#include "ui/Startup.h"

#include "engine/Player.h"

#include <QFileInfo>
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

PositionDisplay::PositionDisplay(QWidget *strip, QWidget *panel, Player &player) : QObject(strip), player(&player)
{
    setObjectName(QStringLiteral("positionDisplay"));
    fileLabel = TransparentLabel<QLabel>(strip, QString());
    fileLabel->setObjectName(QStringLiteral("fileLabel"));
    fileLabel->setAccessibleName(QStringLiteral("File name"));
    fileLabel->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(fileLabel, QPalette::WindowText, Qt::black);
    PlaceTwips(fileLabel, 3000, -30, 975, 255);

    timeLabel = TransparentLabel<ClickLabel>(strip, QString());
    timeLabel->setObjectName(QStringLiteral("timeLabel"));
    timeLabel->setAccessibleName(QStringLiteral("Time"));
    timeLabel->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(timeLabel, QPalette::WindowText, QColor(64, 0, 0));
    PlaceTwips(timeLabel, 3000, 90, 975, 255);

    positionCaption = PanelCaption(panel, "positionCaption", QStringLiteral("Current Position:"), 120, 20, 1095, 255);
    positionCaption->setAccessibleName(QStringLiteral("Current Position:"));
    positionLabel = PanelCaption(panel, "positionLabel", QString(), 1200, 20, 615, 255);
    positionLabel->setAccessibleName(QStringLiteral("Position in seconds"));

    positionTimer = new QTimer(this);
    positionTimer->setObjectName(QStringLiteral("positionTimer"));
    positionTimer->setInterval(100);

    followPosition();
    connect(timeLabel, &ClickLabel::doubleClicked, this, &PositionDisplay::toggleTimeShown);
    connect(&player, &Player::fileChanged, this, &PositionDisplay::showOpenedFile);
    positionTimer->start();
}

QList<QWidget *> PositionDisplay::stripBackdrop() const
{
    return {fileLabel, timeLabel};
}

QList<QWidget *> PositionDisplay::panelBackdrop() const
{
    return {positionCaption, positionLabel};
}

void PositionDisplay::followPosition()
{
    connect(positionTimer, &QTimer::timeout, this, &PositionDisplay::showPosition);
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
    connect(player, &Player::durationChanged, this, &PositionDisplay::showPosition);
}

void PositionDisplay::showPosition()
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

void PositionDisplay::toggleTimeShown()
{
    showElapsed = !showElapsed;
    showPosition();
}

// Whoever opened it, the label names the file and shows at once whether it
// could be opened; the position tick keeps this up to date.
void PositionDisplay::showOpenedFile(const QString &path, bool opened)
{
    fileLabel->setToolTip(FileLabelToolTip(path));
    // Where the file before resumed is no longer said; whether a file could
    // be opened still is.
    if (!std::exchange(m_resumedNote, QString()).isEmpty() && !fileLabel->font().strikeOut())
        fileLabel->setAccessibleDescription(QString());
    // The name, as the open dialog shows it: the start of a long path would
    // make every file of a folder look the same.
    fileLabel->setText(FileLabelCaption(QFileInfo(path).fileName()));
    ShowWhetherFileOpen(fileLabel, opened);
}

void PositionDisplay::showResumed(double seconds)
{
    const QString note = ResumedAtText(seconds);
    if (m_resumedNote == note)
        return; // said already
    m_resumedNote = note;
    fileLabel->setToolTip(fileLabel->toolTip() + QLatin1Char('\n') + note);
    fileLabel->setAccessibleDescription(note);
}

void PositionDisplay::nameOnceOpened(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    connect(player, &Player::fileChanged, this, [this, path, name] {
        if (player->file() != FilePath(path))
            return;
        fileLabel->setText(FileLabelCaption(name));
        fileLabel->setToolTip(FileLabelToolTip(name));
    }, Qt::SingleShotConnection);
}
