// Fetching a page while the keyboard stays live: cancel with Esc or Ctrl-C, progress on the
// bottom row, every other key kept for the view.
#pragma once

#include <string>
#include <unistd.h>

#include "gopher/transaction.hpp"
#include "nav/browser.hpp"

struct ShownPage;

inline constexpr const char* cancelled_message = "Cancelled.";
// A fetch that ends sooner draws nothing, so first screens cost no extra frame.
inline constexpr int progress_delay_ms = 300;
inline constexpr int progress_interval_ms = 100;
// An ESC followed by nothing within this time is the Esc key; followed by more, it starts a
// key sequence (an arrow, say), which is queued like any other key.
inline constexpr int escape_wait_ms = 50;

enum class FetchStatus { done, failed, cancelled };

struct FetchResult {
    FetchStatus status = FetchStatus::failed;
    Content content;               // done: the response, NUL-terminated
    const char* message = nullptr; // failed or cancelled: the words to show
    std::string notes;             // system error lines met on the way, for standard error
};

// What a fetch watches; the program uses the defaults, tests pass a pipe and short limits.
struct FetchWatch {
    int input_fd = STDIN_FILENO; // the keyboard; -1 for none
    bool show_progress = true;
    TransactionLimits limits = {};
};

// Fetches one address. Bytes typed meanwhile are appended to browser->keys, in order, except a
// lone Esc or a Ctrl-C (byte 3), which cancels. A full queue leaves further bytes unread until
// the view takes keys. Input that ends or fails is no longer watched (the queue is marked
// ended, so the view then ends the run); the fetch goes on. A resize redraws the page being
// left (shown is its record; none before the first page) with the progress row.
[[nodiscard]] FetchResult fetch_address(Browser* browser, ShownPage* shown, const char* host,
                                        int port, const char* selector,
                                        const FetchWatch& watch = {});
