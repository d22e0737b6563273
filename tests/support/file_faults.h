#pragma once

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>

// Faults of the file system, for tests of what a failed write leaves behind.
namespace velmora {

/// While it lives, this thread meets the permissions of files and folders as
/// their owner does, even as root, who otherwise writes into any folder.
class AsOwner {
public:
    AsOwner() {
        syscall(SYS_capget, &header_, data_);
        saved_ = data_[0].effective;
        data_[0].effective &= ~(1U << CAP_DAC_OVERRIDE | 1U << CAP_DAC_READ_SEARCH);
        syscall(SYS_capset, &header_, data_);
    }
    ~AsOwner() {
        data_[0].effective = saved_;
        syscall(SYS_capset, &header_, data_);
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data_[2]{};
    unsigned saved_ = 0;
};

/// While it lives, no file of this process grows beyond `bytes`, as on a full
/// disk: a longer write fails ("File too large") instead of ending the process.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 100) : full_{bytes, saved_.rlim_max} {
        setrlimit(RLIMIT_FSIZE, &full_);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_ = [] {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        return limit;
    }();
    rlimit full_;
};

}  // namespace velmora
