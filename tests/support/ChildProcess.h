#pragma once

#include "common/WorkPool.h"

#include <QThreadPool>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process once `prepare` has set the child up (false: the
// result is 100). The child shares nothing with the test afterwards, so `body` reports
// through its result: 0 when all went as expected, else the number of the check that
// failed. Returns that result, or -1 when the child did not end normally (a crash).
inline int inChild(const std::function<bool()>& prepare, const std::function<int()>& body)
{
    // The child inherits the pool's lock as it stands: with no job under way the pool's
    // threads are all waiting and the lock is free.
    QThreadPool::globalInstance()->waitForDone();
    workpool::instance().waitForDone();
    const pid_t child = fork();
    if (child == 0) {
        // _exit: no atexit handler or destructor of the test's objects runs twice.
        _exit(prepare() ? body() : 100);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The same as an ordinary user: run as root, the test's child becomes the user nobody,
// since file permissions do not bind root.
inline int inChildWithoutRoot(const std::function<int()>& body)
{
    constexpr uid_t kNobody = 65534;
    return inChild([] { return geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0); },
                   body);
}
