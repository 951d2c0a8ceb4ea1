// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BarWindow.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <utility>

QRegion RoundedRegion(int width, int height, int ellipseWidth, int ellipseHeight)
{
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, width, height), ellipseWidth / 2.0, ellipseHeight / 2.0);
    // Filled without antialiasing, a pixel is set when its centre lies inside.
    // (A region made straight from the outline's polygon would not do: its
    // corners come out unequal, as a polygon region keeps the pixels on its
    // left and top edges and drops those on its right and bottom ones.)
    QBitmap mask(width, height);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawPath(outline);
    painter.end();
    return QRegion(mask);
}

float BarLeftTwips(float screenWidthTwips, float windowWidthTwips)
{
    return screenWidthTwips - windowWidthTwips - float(RightMargin);
}

namespace {

xcb_connection_t *X11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

namespace {

// Waits for the window's first paint event; the steps then run from a zero
// timer, once the painted window has been sent to the screen.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *window, std::function<void()> steps, int latestMs)
        : QObject(window), m_steps(std::move(steps))
    {
        window->installEventFilter(this);
        QTimer::singleShot(latestMs, this, &FirstPaintWatch::fire);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, &FirstPaintWatch::fire);
        }
        return false;
    }

private:
    void fire()
    {
        if (!m_steps)
            return;
        // Moved out first: the steps may spin an event loop (a message box).
        const std::function<void()> steps = std::exchange(m_steps, nullptr);
        parent()->removeEventFilter(this);
        deleteLater();
        steps();
    }

    std::function<void()> m_steps;
};

} // namespace

void AfterFirstPaint(QWidget *window, std::function<void()> steps, int latestMs)
{
    new FirstPaintWatch(window, std::move(steps), latestMs);
}

void SkipTaskbar(QWidget *window)
{
    xcb_connection_t *c = X11Connection();
    if (!c)
        return;
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t hints[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    // Appended to an unmapped window: Qt merges its own states (above, stays
    // on top) with these when it maps the window.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), state, XCB_ATOM_ATOM, 32,
                        2, hints);
}

void FlushDisplay()
{
    if (xcb_connection_t *c = X11Connection())
        xcb_flush(c);
}
