// Runs a piece of a test in a process of its own, waited for with a time-out.
//
//   const pid_t child = start_child([&] { return add_many() ? 0 : 1; });
//   EXPECT_EQ(wait_child(child), 0);
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The child runs body and ends with its result as exit status, without running the parent's
// exit handlers or destructors.
template <typename Body> pid_t start_child(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::_Exit(body());
    }
    return pid;
}

// The child's exit status; -1 when it did not exit by itself within the time-out (then it is
// killed and reaped) or was killed by a signal.
inline int wait_child(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(120)) {
    if (pid <= 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
