// What the loop waits for on behalf of the work in flight.
#pragma once

#include <chrono>
#include <vector>

#include "nav/transfer.hpp"

// Descriptors with the events wanted and the transfer each is for, and the nearest deadline.
struct Wait {
    int fd;
    short events;
    TransferKind owner;
};
struct Waits {
    std::vector<Wait> fds;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};
