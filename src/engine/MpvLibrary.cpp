// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MpvLibrary.h"

#include <atomic>
#include <mutex>
#include <thread>

#include <dlfcn.h>

namespace {

std::atomic<bool> attempted{false};

// The client API's major version is in the library's name: the one our
// headers describe comes first, an unversioned development link last.
const char *const LibraryNames[] = {"libmpv.so.2", "libmpv.so.1", "libmpv.so"};

template <typename Function>
bool Resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool Load(MpvLibrary &api)
{
    void *library = nullptr;
    for (const char *name : LibraryNames)
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
            break;
    if (!library)
        return false;
    const bool complete = Resolve(library, "mpv_client_api_version", api.client_api_version)
                          && Resolve(library, "mpv_error_string", api.error_string)
                          && Resolve(library, "mpv_create", api.create)
                          && Resolve(library, "mpv_initialize", api.initialize)
                          && Resolve(library, "mpv_terminate_destroy", api.terminate_destroy)
                          && Resolve(library, "mpv_set_option", api.set_option)
                          && Resolve(library, "mpv_set_option_string", api.set_option_string)
                          && Resolve(library, "mpv_set_property", api.set_property)
                          && Resolve(library, "mpv_set_property_string", api.set_property_string)
                          && Resolve(library, "mpv_get_property", api.get_property)
                          && Resolve(library, "mpv_observe_property", api.observe_property)
                          && Resolve(library, "mpv_command", api.command)
                          && Resolve(library, "mpv_command_ret", api.command_ret)
                          && Resolve(library, "mpv_command_async", api.command_async)
                          && Resolve(library, "mpv_free_node_contents", api.free_node_contents)
                          && Resolve(library, "mpv_wait_event", api.wait_event)
                          && Resolve(library, "mpv_set_wakeup_callback", api.set_wakeup_callback);
    // Structures such as mpv_event change between major versions.
    if (!complete || api.client_api_version() >> 16 != MPV_CLIENT_API_VERSION >> 16) {
        dlclose(library);
        return false;
    }
    // Kept loaded for the rest of the program: libmpv's threads may outlive
    // any one engine.
    return true;
}

} // namespace

const MpvLibrary *MpvLibrary::Get()
{
    static MpvLibrary api;
    static const bool loaded = Load(api);
    attempted = true;
    return loaded ? &api : nullptr;
}

void MpvLibrary::LoadInBackground(void (*whenAttempted)())
{
    static std::once_flag started;
    if (Attempted()) {
        whenAttempted();
        return;
    }
    // Detached: it only loads the library, and exit() waits for the dynamic
    // loader anyway.
    std::call_once(started, [whenAttempted] {
        std::thread([whenAttempted] {
            Get();
            whenAttempted();
        }).detach();
    });
}

bool MpvLibrary::Attempted()
{
    return attempted;
}
