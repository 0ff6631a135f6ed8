// The fetch in flight: the transaction of the page asked for, and what its progress row says.
#pragma once

#include <chrono>
#include <string>

#include "gopher/transaction.hpp"

inline constexpr const char* cancelled_message = "Cancelled.";
// A fetch that ends sooner draws nothing, so first screens cost no extra frame.
inline constexpr int progress_delay_ms = 300;
inline constexpr int progress_interval_ms = 100;

struct Fetch {
    bool active = false;
    TransactionLimits limits; // the program's; tests shorten them
    Transaction transaction;
    std::chrono::steady_clock::time_point next_progress;
    // The bottom row's text while the page loads: empty until progress_delay_ms have passed.
    std::string progress;
};
