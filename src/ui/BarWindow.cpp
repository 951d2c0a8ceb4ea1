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

#include <array>
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

// The atoms of these names, asked for together: one round trip to the
// server, not one each, while the bar is about to be shown.
template <size_t N>
std::array<xcb_atom_t, N> Atoms(xcb_connection_t *c, const char *const (&names)[N])
{
    std::array<xcb_intern_atom_cookie_t, N> cookies;
    for (size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> atoms;
    for (size_t i = 0; i < N; ++i) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    return atoms;
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
    const auto atoms = Atoms(c, {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    const xcb_atom_t hints[] = {atoms[1], atoms[2]};
    // Appended to an unmapped window: Qt merges its own states (above, stays
    // on top) with these when it maps the window.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), atoms[0], XCB_ATOM_ATOM, 32,
                        2, hints);
}

void FlushDisplay()
{
    if (xcb_connection_t *c = X11Connection())
        xcb_flush(c);
}
