// SPDX-License-Identifier: GPL-3.0-or-later
// A focused X client that logs every key event it receives, one line each:
//   press|release <keysym name or hex> <modifier state>
// It prints "ready" once it has the input focus. Tests read its output to
// see which keys reached the focused application.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

const char *Name(xcb_keysym_t sym, char *buffer, size_t size)
{
    if (sym >= 0xffbe && sym <= 0xffbe + 34) {
        std::snprintf(buffer, size, "F%u", unsigned(sym - 0xffbe + 1));
        return buffer;
    }
    switch (sym) {
    case 0xffe3: return "Control_L";
    case 0xffe4: return "Control_R";
    case 0xffe1: return "Shift_L";
    case 0xffe9: return "Alt_L";
    }
    if (sym >= 0x20 && sym < 0x7f) {
        std::snprintf(buffer, size, "%c", char(sym));
        return buffer;
    }
    std::snprintf(buffer, size, "0x%x", unsigned(sym));
    return buffer;
}

} // namespace

int main()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "keylogger: no X display\n");
        return 1;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_CW_EVENT_MASK;
    const uint32_t events[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_FOCUS_CHANGE
                               | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 300, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, events);
    xcb_map_window(c, window);
    xcb_flush(c);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);

    bool ready = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const uint8_t type = event->response_type & ~0x80;
        if (type == XCB_MAP_NOTIFY && !ready) {
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
            xcb_flush(c);
        } else if (type == XCB_FOCUS_IN && !ready) {
            ready = true;
            std::printf("ready\n");
        } else if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
            char buffer[32];
            std::printf("%s %s %u\n", type == XCB_KEY_PRESS ? "press" : "release",
                        Name(xcb_key_symbols_get_keysym(symbols, key->detail, 0), buffer, sizeof buffer),
                        unsigned(key->state));
        } else if (type == XCB_MAPPING_NOTIFY) {
            xcb_refresh_keyboard_mapping(symbols, reinterpret_cast<xcb_mapping_notify_event_t *>(event));
        }
        std::fflush(stdout);
        std::free(event);
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return 0;
}
