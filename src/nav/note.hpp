// A line on the bottom row until the next key: how a save ended, where a link goes.
#pragma once

#include <string>

struct Note {
    std::string text; // empty for none
    bool error = false;
    // Too long for the row, the text loses its start rather than its end: a URL's end is what
    // tells one link from the next.
    bool keep_end = false;
};
