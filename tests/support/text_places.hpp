// Places in a text laid out in rows, found the plain way, for checks that start at a line.
#pragma once

#include <cstring>
#include <string_view>

#include "nav/text_rows.hpp"

// True when `visible` rows, the place's included, remain from the place.
[[nodiscard]] inline bool rows_remain(const TextRows& rows, RowPlace place, long visible) {
    if (rows.text.empty()) {
        return visible <= 0;
    }
    return move_rows_down(rows, &place, visible - 1) >= visible - 1;
}

// Row 0 of the line of index line_index, brought within the text's lines; walked to from
// `from` (forwards or backwards).
[[nodiscard]] inline RowPlace line_place(const TextRows& rows, RowPlace from, long line_index) {
    const char* const text = rows.text.data();
    const char* const end = text + rows.text.size();
    RowPlace place{from.line, from.line_index, 0};
    while (place.line_index < line_index) {
        const void* lf = std::memchr(place.line, '\n', static_cast<std::size_t>(end - place.line));
        if (lf == nullptr || static_cast<const char*>(lf) + 1 >= end) {
            break;
        }
        place = {static_cast<const char*>(lf) + 1, place.line_index + 1, 0};
    }
    while (place.line_index > line_index && place.line != text) {
        // place.line - 1 is the LF that ends the line before.
        const char* start = place.line - 1;
        while (start > text && start[-1] != '\n') {
            --start;
        }
        place = {start, place.line_index - 1, 0};
    }
    return place;
}
