// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a path leads to, found out before anything opens it: opening a FIFO
// waits for a writer, and reading a device may never end, so the files the
// program keeps (bookmarks, settings) are opened only when they are ordinary
// files.

#include <QString>

#include <sys/stat.h>

struct PathCheck
{
    enum Kind {
        Ordinary, // an ordinary file, also behind symlinks
        Missing,  // nothing there (or a folder on the way is no folder)
        Other,    // a folder, a FIFO, a device, a socket
        Failed,   // stat() itself failed
    };
    Kind kind = Missing;
    struct stat st {};
    QString error; // why, for Other and Failed
};

// Looks at `path` with stat() alone, following symlinks.
PathCheck CheckOrdinaryFile(const QString &path);

// Why `path`, which leads to something of `mode`, is not an ordinary file,
// for the user: what it is, and where a symlink leads.
QString NotOrdinaryFileText(const QString &path, mode_t mode);
