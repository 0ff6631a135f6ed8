// Line counts of a text page.
#pragma once

#include <cstddef>

// The count the text view shows and bounds with (capped at INT_MAX): the newlines of the
// NUL-terminated text, plus one when it is not empty and does not end in one; and its length in
// bytes, found in the same pass.
struct TextMeasure {
    int lines;
    std::size_t size;
};
[[nodiscard]] TextMeasure measure_text(const char* text);

// Newlines among the first n bytes.
[[nodiscard]] std::size_t newlines_in(const char* bytes, std::size_t n);
