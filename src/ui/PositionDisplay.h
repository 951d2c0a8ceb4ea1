// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class ClickLabel;
class Player;
class QLabel;
class QTimer;
class QWidget;

// What the bar says of the file and where it plays: the file's name and the
// time on the strip, "Current Position:" and the position in seconds on the
// panel, all kept up from one tick. Others find the controls by name
// ("fileLabel", "timeLabel", "positionCaption", "positionLabel") and the tick
// as "positionTimer".
class PositionDisplay : public QObject
{
    Q_OBJECT
public:
    PositionDisplay(QWidget *strip, QWidget *panel, Player &player);

    // The labels that lie behind the strip's and the panel's other controls.
    QList<QWidget *> stripBackdrop() const;
    QList<QWidget *> panelBackdrop() const;

    // A file chosen in the open dialog: named once the player has it, unless
    // another file came first.
    void nameOnceOpened(const QString &path);

public slots:
    void showOpenedFile(const QString &path, bool opened);
    // The file just opened resumed where it was left: the file label's tool
    // tip and description say where.
    void showResumed(double seconds);
    void showPosition();
    void toggleTimeShown();

private:
    void followPosition();

    Player *player;
    QLabel *fileLabel;
    ClickLabel *timeLabel;
    QLabel *positionCaption;
    QLabel *positionLabel;
    QTimer *positionTimer;
    // Whether the time label shows the time played (or the time left).
    bool showElapsed = true;
    // The position the player last pushed, as the labels show it.
    double m_shownPosition = 0;
    // What the file label says of where its file resumed, if it did.
    QString m_resumedNote;
};
