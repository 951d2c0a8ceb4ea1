#include "shell/BarWindow.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

QRegion RoundedRegion(int width, int height, int ellipseWidth, int ellipseHeight)
{
    const double rx = ellipseWidth / 2.0, ry = ellipseHeight / 2.0;
    QRegion region;
    for (int y = 0; y < height; ++y) {
        const double yc = y + 0.5;
        const double cy = std::clamp(yc, ry, height - ry);
        const double dy = (yc - cy) / ry;
        // Horizontal distance of the outline from the straight side, this row.
        const double inset = dy * dy >= 1.0 ? rx : rx - rx * std::sqrt(1.0 - dy * dy);
        const int first = int(std::ceil(inset - 0.5));
        const int last = int(std::floor(width - inset - 0.5));
        if (last >= first)
            region += QRect(first, y, last - first + 1, 1);
    }
    return region;
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
