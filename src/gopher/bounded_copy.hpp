// Copies into the fixed-size text fields of the records.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Copies at most max characters of text into out, which has room for max + 1, and terminates.
inline void copy_bounded(char* out, const char* text, std::size_t max) {
    const std::size_t n = strnlen(text, max);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// The same for a view, which holds no NUL.
inline void copy_bounded(char* out, std::string_view text, std::size_t max) {
    const std::size_t n = text.size() < max ? text.size() : max;
    if (n > 0) { // an empty view may have no data pointer at all
        std::memcpy(out, text.data(), n);
    }
    out[n] = '\0';
}
