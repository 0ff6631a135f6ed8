// What a frame's cells show, for tests of what a view draws.
#pragma once

#include <string>

#include "term/frame.hpp"

// The row's characters, trailing blanks removed; a wide character once.
inline std::string frame_row(const Frame& frame, int row) {
    std::string text;
    std::string scratch;
    for (int col = 1; col <= frame.cols; ++col) {
        text += cell_text(frame, cell_at(frame, row, col), &scratch);
    }
    return text.erase(text.find_last_not_of(' ') + 1);
}

// Every row, each followed by a newline.
inline std::string frame_text(const Frame& frame) {
    std::string text;
    for (int row = 1; row <= frame.rows; ++row) {
        text += frame_row(frame, row) + "\n";
    }
    return text;
}

inline Attr frame_attr(const Frame& frame, int row, int col) {
    return cell_at(frame, row, col).attr;
}

// The attributes of cols cells of the row from col on are all attr.
inline bool frame_attr_run(const Frame& frame, int row, int col, int cols, const Attr& attr) {
    for (int k = 0; k < cols; ++k) {
        if (!(frame_attr(frame, row, col + k) == attr)) {
            return false;
        }
    }
    return true;
}
