// A save in flight, and what the save prompt is to save once it has a name.
#pragma once

#include <chrono>
#include <string>

#include "gopher/address.hpp"
#include "gopher/transaction.hpp"
#include "nav/save_file.hpp"

inline constexpr const char* save_running_message = "A save is running.";
inline constexpr const char* save_cancelled_message = "Save cancelled.";
inline constexpr const char* save_page_gone_message = "Error: The page is no longer shown.";

// What the save prompt is for: an item to download, or the page on screen, whose bytes are
// already here.
struct SaveTarget {
    Address address;
    bool page = false;
    unsigned long fetch = 0; // the page's content when the prompt opened (Page::fetch)
    std::string proposed;    // the name first offered: a folder typed saves into it
};

// One download at a time, going to a file (or, for plain output, to standard output) as it
// arrives, alongside whatever the user does with the page.
struct Save {
    bool active = false;
    bool to_output = false; // plain output: standard output takes the bytes, the run ends after
    SaveTarget target;
    SaveFile file;
    Transaction transaction;
    std::chrono::steady_clock::time_point next_progress;
    // "Saving NAME... N KB" from progress_delay_ms on; empty before.
    std::string progress;
};
