// The bytes a frame is expected to hold, for tests that capture what a view writes.
#pragma once

#include <string>

#include "term/sequences.hpp"

// The cursor-position sequence.
inline std::string at(int row, int col) {
    return "\033[" + std::to_string(row) + ";" + std::to_string(col) + "H";
}

// The header bar's band and URL for a window of cols columns, the cursor parked on row 2.
inline std::string header_bytes(const std::string& url, int cols = 80) {
    const auto centred = [cols](int length) {
        const int col = (cols - length) / 2;
        return col < 2 ? 1 : col;
    };
    return std::string(seq::bar_background) + seq::bold_white + at(1, centred(78)) +
           std::string(78, ' ') + at(1, centred(static_cast<int>(url.size()))) + url + seq::reset +
           at(2, 1);
}

// What every view frame starts with: the screen cleared, then the header bar.
inline std::string frame_start(const std::string& url, int cols = 80) {
    return std::string(seq::clear_screen) + header_bytes(url, cols);
}
