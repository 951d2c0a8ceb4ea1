// SPDX-License-Identifier: GPL-3.0-or-later
// mapwatch: starts a program and prints how long it took, from the exec to
// the X server mapping the program's first top-level window, in
// milliseconds. The watcher subscribes to the root window's structure events
// before it forks, so no map can slip past it, and no polling adds delay.
//
//   mapwatch [--user NAME] [--timeout MS] [--keep] -- PROGRAM [ARGS...]
//
// --user drops root to NAME in the child before the exec (some peers refuse
// to run as root). Without --keep the program's process group is ended once
// the window is mapped. Exit status 0 with the figure on stdout; 2 on
// timeout.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void endGroup(pid_t pid)
{
    kill(-pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(20000);
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char **argv)
{
    const char *user = nullptr;
    int timeoutMs = 20000;
    bool keep = false;
    int i = 1;
    for (; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--user") && i + 1 < argc)
            user = argv[++i];
        else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc)
            timeoutMs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--keep"))
            keep = true;
        else if (!std::strcmp(argv[i], "--")) {
            ++i;
            break;
        } else
            break;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: mapwatch [--user NAME] [--timeout MS] [--keep] -- PROGRAM [ARGS...]\n");
        return 64;
    }

    struct passwd *pw = nullptr;
    if (user && !(pw = getpwnam(user))) {
        std::fprintf(stderr, "mapwatch: no user %s\n", user);
        return 64;
    }

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "mapwatch: cannot open the display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t ck = xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t *e = xcb_request_check(c, ck)) {
        std::fprintf(stderr, "mapwatch: cannot watch the root window (error %d)\n", e->error_code);
        return 1;
    }

    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (pw && (setgroups(0, nullptr) || setgid(pw->pw_gid) || setuid(pw->pw_uid))) {
            std::perror("mapwatch: dropping privileges");
            _exit(126);
        }
        execvp(argv[i], argv + i);
        std::perror("mapwatch: exec");
        _exit(127);
    }
    setpgid(pid, pid);

    const int fd = xcb_get_file_descriptor(c);
    for (;;) {
        while (xcb_generic_event_t *ev = xcb_poll_for_event(c)) {
            const auto t1 = std::chrono::steady_clock::now();
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                auto *m = reinterpret_cast<xcb_map_notify_event_t *>(ev);
                if (m->event == root) {
                    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
                    std::printf("%.2f\n", ms);
                    std::fflush(stdout);
                    std::fprintf(stderr, "mapwatch: window 0x%x%s\n", m->window,
                                 m->override_redirect ? " (override-redirect)" : "");
                    std::free(ev);
                    if (!keep)
                        endGroup(pid);
                    xcb_disconnect(c);
                    return 0;
                }
            }
            std::free(ev);
        }
        if (xcb_connection_has_error(c))
            break;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "mapwatch: the program ended before mapping a window\n");
            xcb_disconnect(c);
            return 3;
        }
        const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (elapsed > timeoutMs)
            break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);
    }
    std::fprintf(stderr, "mapwatch: no window mapped within %d ms\n", timeoutMs);
    endGroup(pid);
    xcb_disconnect(c);
    return 2;
}
