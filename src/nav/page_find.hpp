// A search in the page on screen, as the model holds it between keys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>

#include "nav/find.hpp"
#include "nav/shown_page.hpp"

// A match in a text: the line that holds it (by offset, as the content moves while it arrives,
// and its index) and the match's first byte in the line.
struct TextMatch {
    std::size_t line_at = 0;
    long line = 0;
    std::size_t byte = 0;
};

// A search of a long text still looking, a step per turn of the loop: the page searched, and the
// match it went on from, which stays marked meanwhile and is kept when a key stops the search.
struct FindLooking {
    ShownKey page;
    FindState state;
    std::optional<TextMatch> from;
};

// The screen was brought to a match: in a text, or in an item of a menu. Its matches are marked
// while the same page and content are shown.
struct FoundInText {
    ShownKey page;
    TextMatch match;
};
struct FoundInMenu {
    ShownKey page;
    long item = 0;
};

// Nothing found (no search yet, none found, or the one that looked stopped), still looking, or
// found.
using FindPhase = std::variant<std::monostate, FindLooking, FoundInText, FoundInMenu>;

struct PageFind {
    std::string needle; // the last text searched for, kept for the run; empty before any
    FindPhase phase;
};
