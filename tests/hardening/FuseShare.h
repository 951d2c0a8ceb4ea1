// SPDX-License-Identifier: GPL-3.0-or-later
// The part every test filesystem shares: mounts `ops` on `mountpoint` with
// the FUSE options given, prints "mounted" once the mount is there (the
// caller waits for that line), and serves until the process is told to end.
// Returns the process's exit status.
#pragma once

#define FUSE_USE_VERSION 34
#include <fuse_lowlevel.h>

#include <stdio.h>

static inline int ServeFuseShare(char *program, char *options, const struct fuse_lowlevel_ops *ops,
                                 size_t opsSize, const char *mountpoint)
{
    char *fuseArgv[] = {program, "-o", options, NULL};
    struct fuse_args args = FUSE_ARGS_INIT(3, fuseArgv);
    struct fuse_session *session = fuse_session_new(&args, ops, opsSize, NULL);
    if (!session)
        return 1;
    if (fuse_set_signal_handlers(session) != 0 || fuse_session_mount(session, mountpoint) != 0) {
        fuse_session_destroy(session);
        return 1;
    }
    printf("mounted\n");
    fflush(stdout);
    const int status = fuse_session_loop(session);
    fuse_session_unmount(session);
    fuse_remove_signal_handlers(session);
    fuse_session_destroy(session);
    return status < 0 ? 1 : 0;
}
