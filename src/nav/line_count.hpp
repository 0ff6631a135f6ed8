// Line counts of a text page.
#pragma once

#include <cstddef>
#include <string_view>

// The count the text view shows and bounds with (capped at INT_MAX): lines_in the NUL-terminated
// text, found in one pass over it.
[[nodiscard]] int count_lines(const char* text);

// The count of count_lines and the text's length in bytes, found in the same pass.
struct TextMeasure {
    int lines;
    std::size_t size;
};
[[nodiscard]] TextMeasure measure_text(const char* text);

// Newlines, plus one when the text is not empty and does not end in one. Any bytes, NULs
// included: the tests and fuzz targets check the counting on it.
[[nodiscard]] long lines_in(std::string_view text);

// Newlines among the first n bytes.
[[nodiscard]] std::size_t newlines_in(const char* bytes, std::size_t n);
