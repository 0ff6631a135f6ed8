// A question on the bottom row answered with y or n, and what a yes does.
#pragma once

#include <string>
#include <variant>

#include "nav/bookmark_line.hpp"

// The bookmarks page's line the user marked, as it was read.
struct RemoveBookmark {
    LineSpot spot;
    std::string display;
};

using ConfirmAction = std::variant<RemoveBookmark>;

struct Confirm {
    std::string question; // "... (y/n)"
    ConfirmAction yes;
};
