// Bytes from the keyboard that no one has taken as keys yet.
#pragma once

#include <array>

// Room for the longest escape sequence and a burst of typing. Whoever reads the keyboard (a view,
// a prompt, a fetch watching for Esc) appends here, and the keys come off the front in order,
// so nothing typed ahead is lost between them.
struct KeyQueue {
    std::array<unsigned char, 256> bytes{};
    int length = 0;
    bool ended = false; // the descriptor is at its end or failed; what is queued is still read
};
