// A transfer: a transaction in flight with its progress row, what fetching a page, saving an
// item and plain output share.
#pragma once

#include <chrono>
#include <string>

#include "gopher/transaction.hpp"

// A transfer that ends sooner shows no progress, so first screens cost no extra frame.
inline constexpr int progress_delay_ms = 300;
inline constexpr int progress_interval_ms = 100;

// Whose transfer a descriptor is: a ready one goes to that transfer alone.
enum class TransferKind { fetch, save, output };

// Its bounds are its transaction's (Transaction::limits), copied from Model::limits at the start.
struct Transfer {
    Transaction transaction;
    // When the progress row is looked at next: progress_delay_ms after the start, then every
    // progress_interval_ms; never for a transfer that shows none.
    std::chrono::steady_clock::time_point next_progress;
    // The bottom row's text: empty until progress_delay_ms have passed.
    std::string progress;
};
