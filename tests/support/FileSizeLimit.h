#pragma once

#include "support/ChildProcess.h"

#include <csignal>
#include <functional>

#include <sys/resource.h>

// Runs `body` in a child process (see inChild) that may not make any file larger than
// `limit` bytes, as on a full disk: a write past it fails with EFBIG (SIGXFSZ is
// ignored, unless `ignoreSignal` is false: then the default action ends the child).
inline int inChildWithFileSizeLimit(rlim_t limit, const std::function<int()>& body,
                                    bool ignoreSignal = true)
{
    return inChild(
        [&] {
            std::signal(SIGXFSZ, ignoreSignal ? SIG_IGN : SIG_DFL);
            const rlimit small{limit, limit};
            return setrlimit(RLIMIT_FSIZE, &small) == 0;
        },
        body);
}
