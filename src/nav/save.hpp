// A save in flight, and what the save prompt is to save once it has a name.
#pragma once

#include <optional>
#include <string>

#include "gopher/address.hpp"
#include "nav/save_file.hpp"
#include "nav/transfer.hpp"

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

// One download at a time, going to a file as it arrives, alongside whatever the user does with
// the page.
struct Save {
    SaveTarget target;
    SaveFile file;
    // The download in flight, its progress "Saving NAME... N KB"; none while no save runs.
    std::optional<Transfer> transfer;
};
