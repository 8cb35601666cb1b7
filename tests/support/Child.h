// Runs part of a test in a child process (POSIX): for what must not touch the test program
// itself (limits, a changed user, a crash) and for what might hang, under a time limit.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// The child's exit status, or 128 + the signal that ended it (SIGALRM when `seconds` ran out).
inline int RunInChild(const std::function<int()>& body, unsigned seconds = 10) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        int status = 1;
        try {
            status = body();
        } catch (...) {
            status = 99;
        }
        ::_exit(status);
    }
    int raw = 0;
    if (pid < 0 || ::waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}
