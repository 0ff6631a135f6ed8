// A question on the bottom row answered with y or n, and what a yes does.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "nav/bookmark_line.hpp"
#include "term/hand_over.hpp"

// The bookmarks page's line the user marked, as it was read.
struct RemoveBookmark {
    LineSpot spot;
    std::string display;
};

// A link handed to the user's own program: the commands, the first of them that can be run.
struct OpenWith {
    std::vector<Command> commands;
};

using ConfirmAction = std::variant<RemoveBookmark, OpenWith>;

struct Confirm {
    std::string question; // "... (y/n)"
    ConfirmAction yes;
};
