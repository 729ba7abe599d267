#pragma once

#include <csignal>
#include <sys/resource.h>

namespace kazoon::test {

// Runs `write` as if the disk filled up after `bytes` bytes of any one file:
// a file size limit stands in for a full disk, and holds for root too.
// Returns false, without running it, when the limit cannot be set.
template <typename F>
bool withFileSizeLimit(rlim_t bytes, F write)
{
    rlimit old{};
    if (getrlimit(RLIMIT_FSIZE, &old) != 0)
        return false;
    rlimit small = old;
    small.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, oldHandler);
        return false;
    }
    write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return true;
}

} // namespace kazoon::test
