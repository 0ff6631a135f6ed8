// A search in the page on screen, as the model holds it between keys.
#pragma once

#include <cstddef>
#include <string>

#include "nav/find.hpp"
#include "nav/shown_page.hpp"
#include "nav/text_rows.hpp"

// What the bottom row says about the last search until the next key.
enum class FindNote { none, wrapped, not_found };

// The match the screen was last brought to: the line of a text that holds it (its row, and the
// match's first byte in the line), or the item of a menu.
struct FoundMatch {
    RowPlace place;
    std::size_t byte = 0;
    long item = -1;
};

struct PageFind {
    std::string needle; // the last text searched for, kept for the run; empty before any
    // A search of a text in steps, between keys: the lines left to look at.
    bool running = false;
    FindState state;
    // The page searched and the match found there; its matches on screen are marked while the
    // same page and content are shown (key, with found set).
    ShownKey key;
    bool found = false;
    FoundMatch match;
    FindNote note = FindNote::none;
};
