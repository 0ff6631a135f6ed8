// Line counts of a text, as the checks state them: the program keeps its count in the page's
// record (measure_text) and while the bytes arrive (newlines_in).
#pragma once

#include <string_view>

#include "nav/line_count.hpp"

// measure_text's count of the NUL-terminated text.
[[nodiscard]] inline int count_lines(const char* text) {
    return measure_text(text).lines;
}

// Newlines, plus one when the text is not empty and does not end in one. Any bytes, NULs
// included.
[[nodiscard]] inline long lines_in(std::string_view text) {
    const auto newlines = static_cast<long>(newlines_in(text.data(), text.size()));
    return newlines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}
