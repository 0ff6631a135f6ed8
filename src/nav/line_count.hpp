// Line count of a text page.
#pragma once

#include <cstddef>
#include <string_view>

#include "nav/browser.hpp"

// Newlines, plus one when the text is not empty and does not end in one.
[[nodiscard]] long line_count(std::string_view text);
void count_lines(Browser* browser, const char* text);

// Newlines among the first n bytes.
[[nodiscard]] std::size_t count_newlines(const char* bytes, std::size_t n);
