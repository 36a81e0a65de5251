#pragma once

#include <QThreadPool>
#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process that may not make any file larger than `limit`
// bytes, as on a full disk: a write past it fails with EFBIG (SIGXFSZ is ignored,
// unless `ignoreSignal` is false: then the default action ends the child).
// The child shares nothing with the test afterwards, so `body` reports through its
// result: 0 when all went as expected, else the number of the check that failed.
// Returns that result, or -1 when the child did not end normally (a crash).
inline int inChildWithFileSizeLimit(rlim_t limit, const std::function<int()>& body,
                                    bool ignoreSignal = true)
{
    // The child inherits the pool's lock as it stands: with no job under way the pool's
    // threads are all waiting and the lock is free.
    QThreadPool::globalInstance()->waitForDone();
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, ignoreSignal ? SIG_IGN : SIG_DFL);
        const rlimit small{limit, limit};
        // _exit: no atexit handler or destructor of the test's objects runs twice.
        _exit(setrlimit(RLIMIT_FSIZE, &small) == 0 ? body() : 100);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
