// SPDX-License-Identifier: GPL-3.0-or-later
// A filesystem with one file, hung.wav, whose reads never answer: a network
// share that stopped answering after the file was found. Reads go past the
// page cache, so a reader waits for the answer even when it is killed, as on
// a hung share; it is let go when this program ends.
//
//   hungfs MOUNTPOINT
//
// Stays in the foreground and prints "mounted" once the file is there.
#include "FuseShare.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

static const char FileName[] = "hung.wav";
static const fuse_ino_t FileIno = 2;

static void fillAttr(fuse_ino_t ino, struct stat *st)
{
    memset(st, 0, sizeof *st);
    st->st_ino = ino;
    st->st_mode = ino == FUSE_ROOT_ID ? S_IFDIR | 0755 : S_IFREG | 0444;
    st->st_nlink = 1;
    st->st_size = ino == FUSE_ROOT_ID ? 0 : 1 << 20;
}

static void onLookup(fuse_req_t req, fuse_ino_t parent, const char *name)
{
    if (parent != FUSE_ROOT_ID || strcmp(name, FileName) != 0) {
        fuse_reply_err(req, ENOENT);
        return;
    }
    struct fuse_entry_param entry = {.ino = FileIno, .attr_timeout = 60, .entry_timeout = 60};
    fillAttr(FileIno, &entry.attr);
    fuse_reply_entry(req, &entry);
}

static void onGetattr(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
    (void)fi;
    struct stat st;
    fillAttr(ino, &st);
    fuse_reply_attr(req, &st, 60);
}

static void onOpen(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info *fi)
{
    if (ino != FileIno || (fi->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EACCES);
        return;
    }
    fi->direct_io = 1;
    fuse_reply_open(req, fi);
}

// Never answered.
static void onRead(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)req, (void)ino, (void)size, (void)offset, (void)fi;
}

static const struct fuse_lowlevel_ops Operations = {
    .lookup = onLookup,
    .getattr = onGetattr,
    .open = onOpen,
    .read = onRead,
};

int main(int argc, char *argv[])
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s MOUNTPOINT\n", argv[0]);
        return 2;
    }
    char options[] = "fsname=hungfs,subtype=hungfs";
    return ServeFuseShare(argv[0], options, &Operations, sizeof Operations, argv[1]);
}
