// A search in the page on screen, as the model holds it between keys.
#pragma once

#include <cstddef>
#include <string>

#include "nav/find.hpp"
#include "nav/shown_page.hpp"

// The match the screen was last brought to: the line of a text that holds it (by offset, as the
// content moves while it arrives) and the match's first byte in the line, or the item of a
// menu.
struct FoundMatch {
    std::size_t line_at = 0;
    long line = 0;
    std::size_t byte = 0;
    long item = -1;
};

struct PageFind {
    std::string needle; // the last text searched for, kept for the run; empty before any
    // A search of a text in steps, between keys: the lines left to look at; its first line and
    // the next one by offset between the steps.
    bool running = false;
    FindState state;
    std::size_t first_at = 0;
    std::size_t next_at = 0;
    // The page searched and the match found there; its matches on screen are marked while the
    // same page and content are shown (key, with found set).
    ShownKey key;
    bool found = false;
    FoundMatch match;
};
