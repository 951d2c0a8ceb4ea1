// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowButtonsView.h"

#include "ui/PanelLayout.h"

WindowButtonsView::WindowButtonsView(QWidget *strip) : QObject(strip)
{
    setObjectName(QStringLiteral("windowButtons"));
    m_frame = PlainFrame(strip, QColor(192, 192, 192));
    m_frame->setObjectName(QStringLiteral("windowButtonsFrame"));
    m_frame->setAccessibleName(QStringLiteral("Window buttons"));
    PlaceTwips(m_frame, 4035, 30, 855, 200);

    struct Button { ImageButton *&box; const char *name; int left; ButtonImage up, down; const char *role; void (WindowButtonsView::*clicked)(); };
    const Button buttons[] = {
        {m_openButton, "openButton", 0, ButtonImage::OpenUp, ButtonImage::OpenDown, "Open a media file", &WindowButtonsView::openClicked},
        {m_panelButton, "panelButton", 270, ButtonImage::PanelUp, ButtonImage::PanelDown, "Show or hide the panel", &WindowButtonsView::panelClicked},
        {m_exitButton, "exitButton", 600, ButtonImage::ExitUp, ButtonImage::ExitDown, "Exit Murmelvox", &WindowButtonsView::exitClicked},
    };
    for (const Button &b : buttons) {
        ImageButton *box = b.box = StripButton(m_frame, b.name, b.role, b.up, b.left, 0);
        connect(box, &ImageButton::pressed, this, [box, image = b.down] { box->setImage(image); });
        connect(box, &ImageButton::released, this, [box, image = b.up] { box->setImage(image); });
        connect(box, &ImageButton::clicked, this, b.clicked);
    }
}

QList<QWidget *> WindowButtonsView::tabOrder() const
{
    return {m_openButton, m_panelButton, m_exitButton};
}

void WindowButtonsView::raise()
{
    m_frame->raise();
}
