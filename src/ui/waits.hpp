// What the loop waits for on behalf of the work in flight.
#pragma once

#include <chrono>
#include <vector>

// Descriptors with the events wanted, and the nearest deadline.
struct Wait {
    int fd;
    short events;
};
struct Waits {
    std::vector<Wait> fds;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};
