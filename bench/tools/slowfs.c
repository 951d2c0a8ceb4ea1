// SPDX-License-Identifier: GPL-3.0-or-later
// A filesystem whose names take a while to answer, as on a network share
// that wakes up slowly: every name in its root is the same file (a copy of
// BACKING), and the first look-up of each name answers after DELAY_MS. Once
// answered, it reads as fast as the backing file.
//
//   slowfs BACKING MOUNTPOINT [DELAY_MS]   (default 5000)
//
// The kernel may still pass look-ups in the root on one at a time: a
// benchmark looks up one new name at a time.
//
// Stays in the foreground and prints "mounted" once mounted. Mounted with
// allow_other, so that a benchmark running as another user can read it.
#include "FuseShare.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { MaxNames = 4096, MaxName = 255 };

static int backing = -1;
static long delayMs = 5000;
// Name i has inode i + 2; `readyAt` is when its first look-up answers.
static char names[MaxNames][MaxName + 1];
static struct timespec readyAt[MaxNames];
static int nameCount;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

static void fillAttr(fuse_ino_t ino, struct stat *st)
{
    memset(st, 0, sizeof *st);
    if (ino == FUSE_ROOT_ID) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
    } else {
        struct stat b;
        fstat(backing, &b);
        st->st_mode = S_IFREG | 0444;
        st->st_nlink = 1;
        st->st_size = b.st_size;
        st->st_mtim = b.st_mtim;
    }
    st->st_ino = ino;
}

struct Pending
{
    fuse_req_t req;
    struct fuse_entry_param entry;
    struct timespec at;
};

static void *answerLater(void *arg)
{
    struct Pending *p = arg;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &p->at, NULL) == EINTR) {
    }
    fuse_reply_entry(p->req, &p->entry);
    free(p);
    return NULL;
}

static void onLookup(fuse_req_t req, fuse_ino_t parent, const char *name)
{
    if (parent != FUSE_ROOT_ID || strlen(name) > MaxName) {
        fuse_reply_err(req, ENOENT);
        return;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    pthread_mutex_lock(&lock);
    int i = 0;
    while (i < nameCount && strcmp(names[i], name) != 0)
        ++i;
    if (i == nameCount) {
        if (nameCount == MaxNames) {
            pthread_mutex_unlock(&lock);
            fuse_reply_err(req, ENOSPC);
            return;
        }
        strcpy(names[i], name);
        readyAt[i] = now;
        readyAt[i].tv_sec += delayMs / 1000;
        readyAt[i].tv_nsec += (delayMs % 1000) * 1000000L;
        if (readyAt[i].tv_nsec >= 1000000000L) {
            readyAt[i].tv_sec += 1;
            readyAt[i].tv_nsec -= 1000000000L;
        }
        ++nameCount;
    }
    const struct timespec at = readyAt[i];
    pthread_mutex_unlock(&lock);

    struct fuse_entry_param entry = {.ino = (fuse_ino_t)i + 2, .attr_timeout = 60, .entry_timeout = 60};
    fillAttr(entry.ino, &entry.attr);
    if (now.tv_sec > at.tv_sec || (now.tv_sec == at.tv_sec && now.tv_nsec >= at.tv_nsec)) {
        fuse_reply_entry(req, &entry);
        return;
    }
    // Answered from another thread, so that other names and reads go on.
    struct Pending *p = malloc(sizeof *p);
    pthread_t thread;
    if (!p) {
        fuse_reply_err(req, ENOMEM);
        return;
    }
    *p = (struct Pending){req, entry, at};
    if (pthread_create(&thread, NULL, answerLater, p) != 0) {
        free(p);
        fuse_reply_err(req, EAGAIN);
        return;
    }
    pthread_detach(thread);
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
    if (ino == FUSE_ROOT_ID || (fi->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EACCES);
        return;
    }
    fuse_reply_open(req, fi);
}

static void onRead(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, struct fuse_file_info *fi)
{
    (void)ino, (void)fi;
    struct fuse_bufvec buf = FUSE_BUFVEC_INIT(size);
    buf.buf[0].flags = FUSE_BUF_IS_FD | FUSE_BUF_FD_SEEK;
    buf.buf[0].fd = backing;
    buf.buf[0].pos = offset;
    fuse_reply_data(req, &buf, FUSE_BUF_SPLICE_MOVE);
}

static const struct fuse_lowlevel_ops Operations = {
    .lookup = onLookup,
    .getattr = onGetattr,
    .open = onOpen,
    .read = onRead,
};

int main(int argc, char *argv[])
{
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT [DELAY_MS]\n", argv[0]);
        return 2;
    }
    backing = open(argv[1], O_RDONLY | O_CLOEXEC);
    if (backing < 0) {
        perror(argv[1]);
        return 1;
    }
    if (argc == 4)
        delayMs = atol(argv[3]);
    char options[] = "fsname=slowfs,subtype=slowfs,allow_other";
    return ServeFuseShare(argv[0], options, &Operations, sizeof Operations, argv[2]);
}
