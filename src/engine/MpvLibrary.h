// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mpv/client.h>

// libmpv, loaded when the engine first starts rather than with the program.
// Linked in, it and its ~190 libraries are mapped and relocated before main()
// runs, which made up most of the bar's start-up time.
struct MpvLibrary
{
    decltype(&mpv_client_api_version) client_api_version;
    decltype(&mpv_error_string) error_string;
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminate_destroy;
    decltype(&mpv_set_option) set_option;
    decltype(&mpv_set_option_string) set_option_string;
    decltype(&mpv_set_property) set_property;
    decltype(&mpv_set_property_string) set_property_string;
    decltype(&mpv_get_property) get_property;
    decltype(&mpv_observe_property) observe_property;
    decltype(&mpv_command) command;
    decltype(&mpv_command_ret) command_ret;
    decltype(&mpv_command_async) command_async;
    decltype(&mpv_free_node_contents) free_node_contents;
    decltype(&mpv_wait_event) wait_event;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback;

    // Loads the library on the first call (thread-safe; later calls wait for
    // the first). Null when it is missing, lacks a function we call, or has
    // a client API other than the one we were built against.
    static const MpvLibrary *Get();
    // Starts loading it on a thread of its own (once); Attempted() says when
    // done. `attempted` runs on that thread once the load has been tried,
    // or at once on the caller's thread if it has been already.
    static void LoadInBackground(void (*attempted)());
    static bool Attempted();
};
