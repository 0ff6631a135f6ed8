// The fetch in flight: the transfer of the page asked for, and the page it fills.
#pragma once

#include <chrono>
#include <optional>

#include "gopher/content.hpp"
#include "nav/transfer.hpp"

inline constexpr const char* cancelled_message = "Cancelled.";
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
    // The page asked for, in flight; none while no page loads.
    std::optional<Transfer> transfer;
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
