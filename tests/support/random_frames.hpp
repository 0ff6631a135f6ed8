// Frames made at random from a source of choices (a seeded generator, or a fuzzer's bytes):
// text of every width class, attributes, wide characters moved by a column, rows scrolled.
#pragma once

#include <string>
#include <string_view>

#include "term/frame.hpp"

// Texts of each width class that the width code and the emulator measure alike.
inline constexpr std::string_view random_pieces[] = {
    "a",
    "Z",
    " ",
    "~",
    "\xc3\xa9" /* é */,
    "\xce\xbb" /* λ */,
    "\xe6\xbc\xa2" /* 漢, 2 */,
    "\xed\x95\x9c" /* 한, 2 */,
    "\xef\xbc\xa1" /* Ａ, 2 */,
    "e\xcc\x81" /* e + acute */,
    "\xcc\x81" /* a lone combining mark */,
    "\xe2\x94\x80" /* ─ */,
};

// pick(n) gives a number below n.
template <class Pick> Attr random_attr(Pick& pick) {
    Attr attr;
    const auto colour = [&pick]() -> Colour {
        switch (pick(4)) {
        case 0:
            return {};
        case 1:
            return basic_colour(pick(8));
        case 2:
            return basic_colour(8 + pick(8));
        default:
            return palette_colour(pick(256));
        }
    };
    if (pick(3) != 0) {
        return attr; // most cells are plain
    }
    attr.fg = colour();
    attr.bg = pick(2) == 0 ? Colour{} : colour();
    attr.bold = pick(2) == 0;
    attr.reverse = pick(4) == 0;
    attr.underline = pick(4) == 0;
    return attr;
}

template <class Pick> std::string random_text(Pick& pick, int pieces) {
    std::string text;
    for (int k = 0; k < pieces; ++k) {
        text += random_pieces[pick(static_cast<int>(std::size(random_pieces)))];
    }
    return text;
}

// The next frame from the last one: changed in a few places, or scrolled, or new.
template <class Pick> Frame next_random_frame(const Frame& last, Pick& pick) {
    Frame next = last;
    const auto put_some = [&pick](Frame* frame, int times) {
        for (int k = 0; k < times; ++k) {
            const int row = 1 + pick(frame->rows);
            const int col = 1 + pick(frame->cols);
            if (pick(5) == 0) {
                put_blanks(frame, row, col, 1 + pick(frame->cols), random_attr(pick));
            } else {
                put_text(frame, row, col, random_text(pick, 1 + pick(12)), random_attr(pick));
            }
        }
    };
    switch (pick(6)) {
    case 0: { // a new frame, sometimes of another size
        const bool resized = pick(3) == 0;
        // Two columns at least: the emulator fails on a wide character in one.
        next = make_frame(resized ? 1 + pick(12) : last.rows, resized ? 2 + pick(30) : last.cols);
        put_some(&next, 1 + pick(3 * next.rows));
        break;
    }
    case 1: { // the rows of a region move up or down, a few new ones come in
        // Mostly the same region, as a view's content rows are.
        const int top = 1 + pick(2) < next.rows ? 1 + pick(2) : 1;
        const int bottom = next.rows - pick(2) >= top ? next.rows - pick(2) : next.rows;
        const int shift = 1 + pick(bottom - top + 1);
        const bool up = pick(2) == 0;
        next.scroll_top = top;
        next.scroll_bottom = bottom;
        for (int k = 0; k <= bottom - top; ++k) {
            const int row = up ? top + k : bottom - k;
            const int from = up ? row + shift : row - shift;
            for (int col = 1; col <= next.cols; ++col) {
                next.cells[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(next.cols) +
                           static_cast<std::size_t>(col - 1)] =
                    from >= top && from <= bottom ? cell_at(last, from, col) : Cell{};
            }
        }
        put_some(&next, pick(3));
        break;
    }
    case 2: { // a wide character moved by one column, either way
        const int row = 1 + pick(next.rows);
        const int col = 1 + pick(next.cols);
        put_text(&next, row, col, "\xe6\xbc\xa2", random_attr(pick));
        put_text(&next, row, pick(2) == 0 ? col + 1 : col - 1, "\xe6\xbc\xa2", Attr{});
        break;
    }
    case 3: // the cursor
        next.cursor_shown = pick(2) == 0;
        next.cursor_row = 1 + pick(next.rows);
        next.cursor_col = 1 + pick(next.cols);
        break;
    case 4: // nothing changes
        break;
    default:
        put_some(&next, 1 + pick(4));
        break;
    }
    return next;
}
