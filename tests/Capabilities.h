// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// The tests run as root, who reads and writes any file whatever its mode
// through CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH. While one of these lives,
// the calling thread works without them, so that modes stop it as they stop
// any user. Capabilities belong to a thread, and a thread starts with its
// creator's: to have a library's threads obey modes too, make one before
// they start. Only the effective set is lowered, so that the cases after it
// run as root again.
class FileModesHold
{
public:
    FileModesHold()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            lowered[cap / 32].effective &= ~(1u << (cap % 32));
        m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~FileModesHold()
    {
        if (m_lowered)
            syscall(SYS_capset, &m_header, m_saved);
    }
    FileModesHold(const FileModesHold &) = delete;
    FileModesHold &operator=(const FileModesHold &) = delete;

    // False when the capabilities could not be lowered.
    explicit operator bool() const { return m_lowered; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_lowered = false;
};
