// The fetch in flight: the transaction of the page asked for, and what its progress row says.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "gopher/content.hpp"
#include "gopher/transaction.hpp"

inline constexpr const char* cancelled_message = "Cancelled.";
// A fetch that ends sooner draws nothing, so first screens cost no extra frame.
inline constexpr int progress_delay_ms = 300;
inline constexpr int progress_interval_ms = 100;
// A page on screen while the rest of it arrives is drawn again at most this often.
inline constexpr int loading_frame_ms = 100;
inline constexpr const char* incomplete_note = " The page is incomplete.";

struct Page;

// A page being reloaded as it was: put back when the new copy does not arrive whole.
struct KeptPage {
    Content content;
    std::size_t size = 0;
    unsigned long fetch = 0;
    bool incomplete = false;
    int selected = 0;
    int menu_top = 0;
    int text_top = 0;
    long text_row = 0;
};

struct Fetch {
    bool active = false;
    TransactionLimits limits; // the program's; tests shorten them
    Transaction transaction;
    std::chrono::steady_clock::time_point next_progress;
    // The bottom row's text while the page loads: empty until progress_delay_ms have passed.
    std::string progress;
    // The page on screen whose content the rest of the response goes to, from its first screen
    // on; null before. Keys act on it meanwhile.
    Page* filling = nullptr;
    // The page filling is a reload: its old content and place until the new copy is complete.
    std::optional<KeptPage> kept;
    std::chrono::steady_clock::time_point next_frame;
    bool frame_due = false; // bytes arrived since the last frame
    // LFs among the first `counted` bytes received.
    std::size_t counted = 0;
    std::size_t newlines = 0;
};
