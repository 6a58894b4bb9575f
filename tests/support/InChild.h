// Runs a piece of a test in a forked child, so that a fault which hangs or
// crashes the code under test fails the test instead of taking it down.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace quenlix::testing {

/// Runs `body` in a forked child and returns its exit status; -1 when it did
/// not exit on its own (a crash, or still running after `seconds`). The child
/// must not use the test framework's assertions: it reports by its status.
inline int InChild(const std::function<int()>& body, unsigned seconds = 10) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quenlix::testing
