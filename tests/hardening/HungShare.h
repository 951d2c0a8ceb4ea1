// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

// hungfs (a FUSE filesystem whose reads never answer) mounted in the test's
// HOME until giveUp() or the end of this object. The filesystem ends with the
// test process even when the test crashes; a mount left behind by a crashed
// run is detached before the next one mounts.
class HungShare
{
public:
    HungShare() : m_folder(QDir::home().filePath(QStringLiteral("hungshare")))
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/fuse")) || QStandardPaths::findExecutable("fusermount3").isEmpty()) {
            m_problem = QStringLiteral("no FUSE here (/dev/fuse or fusermount3 missing)");
            return;
        }
        detach();
        QDir().mkpath(m_folder);
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral(MURMELVOX_HUNGFS), {m_folder});
        if (!m_process.waitForReadyRead(10000) || !m_process.readAll().startsWith("mounted")) {
            m_problem = QStringLiteral("hungfs did not mount: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
            giveUp();
        }
    }
    ~HungShare() { giveUp(); }
    HungShare(const HungShare &) = delete;
    HungShare &operator=(const HungShare &) = delete;

    // Empty when mounted; otherwise why not.
    QString problem() const { return m_problem; }
    QString hungFile() const { return m_folder + QStringLiteral("/hung.wav"); }

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
