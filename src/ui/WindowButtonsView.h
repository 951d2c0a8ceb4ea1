// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class ImageButton;
class QFrame;
class QWidget;

// Open, expand/collapse and exit on the strip, in their frame: each shows its
// pressed picture while held and reports its click. Others find them by name
// ("openButton", "panelButton", "exitButton", "windowButtonsFrame").
class WindowButtonsView : public QObject
{
    Q_OBJECT
public:
    explicit WindowButtonsView(QWidget *strip);

    QList<QWidget *> tabOrder() const;
    // Brings the frame in front of the strip's other controls.
    void raise();

signals:
    void openClicked();
    void panelClicked();
    void exitClicked();

private:
    QFrame *m_frame;
    ImageButton *m_openButton;
    ImageButton *m_panelButton;
    ImageButton *m_exitButton;
};
