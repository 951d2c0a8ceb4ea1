// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

// A test filesystem (a FUSE program run as PROGRAM BEFORE... MOUNTPOINT
// AFTER...) mounted in the test's HOME until giveUp() or the end of this
// object. The filesystem ends with the test process even when the test
// crashes; a mount left behind by a crashed run is detached before the next
// one mounts.
class MountedShare
{
public:
    MountedShare(const QString &folderName, const QString &program, const QStringList &before = {},
                 const QStringList &after = {})
        : m_folder(QDir::home().filePath(folderName))
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse")) || QStandardPaths::findExecutable("fusermount3").isEmpty()) {
            m_problem = QStringLiteral("no FUSE here (/dev/fuse or fusermount3 missing)");
            return;
        }
        detach();
        QDir().mkpath(m_folder);
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(program, before + QStringList{m_folder} + after);
        if (!m_process.waitForReadyRead(10000) || !m_process.readAll().startsWith("mounted")) {
            m_problem = QFileInfo(program).fileName() + QStringLiteral(" did not mount: ")
                        + QString::fromLocal8Bit(m_process.readAllStandardError());
            giveUp();
        }
    }
    ~MountedShare() { giveUp(); }
    MountedShare(const MountedShare &) = delete;
    MountedShare &operator=(const MountedShare &) = delete;

    // Empty when mounted; otherwise why not.
    QString problem() const { return m_problem; }
    const QString &folder() const { return m_folder; }

    // The share goes away: the reads held so far fail.
    void giveUp()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        detach();
    }

private:
    void detach() { QProcess::execute(QStringLiteral("fusermount3"), {"-u", "-z", "-q", m_folder}); }

    QString m_folder;
    QString m_problem;
    QProcess m_process;
};

// hungfs: one file, hung.wav, whose reads never answer.
class HungShare : public MountedShare
{
public:
    HungShare() : MountedShare(QStringLiteral("hungshare"), QStringLiteral(MURMELVOX_HUNGFS)) {}
    QString hungFile() const { return folder() + QStringLiteral("/hung.wav"); }
};
