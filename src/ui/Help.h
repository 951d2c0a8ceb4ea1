// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

class QPushButton;

// The Help window: the help picture with a "Close" button. There is at most
// one; it is created when first shown and destroyed when closed, and it
// leaves the bar enabled.
class Help : public QWidget
{
    Q_OBJECT
public:
    // Shows the one Help window, creating it when none exists, and returns it.
    static Help *ShowHelp();
    // The open Help window, or null.
    static Help *Instance();

    // The help picture compiled into the program.
    static QPixmap Picture();

    QPushButton *closeButton = nullptr; // "Close"

    void closeHelp();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Help();

    QPixmap m_picture;
};
