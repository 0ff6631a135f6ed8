// Rows of a text page: moving by rows when long lines continue on the rows below them.
#pragma once

#include <cstddef>
#include <string_view>

#include "term/untrusted.hpp"

// The text as the view lays it out. text: the page's bytes up to its end (lines separated by
// LF; a text ending in LF has no empty line after it, as lines_in counts). room: columns of a
// row. wrap off: every line is one row, cut by the view.
struct TextRows {
    std::string_view text;
    int room = 80;
    bool wrap = true;
};

// A row of the text: the line it belongs to (its first byte), the line's index and the row
// within the line. An empty text has one place, {text.data(), 0, 0}, and no rows.
struct RowPlace {
    const char* line = nullptr;
    long line_index = 0;
    long row = 0;
    bool operator==(const RowPlace&) const = default;
};

// The first row of the text.
[[nodiscard]] RowPlace first_place(const TextRows& rows);

// Moves the place down n rows, stopping at the text's last row; returns the rows moved. Costs
// the lines passed, and in the place's own line the bytes up to the rows moved over.
long move_rows_down(const TextRows& rows, RowPlace* place, long n);

// Moves the place up n rows, stopping at the first; returns the rows moved. A line entered
// from below is measured whole once.
long move_rows_up(const TextRows& rows, RowPlace* place, long n);

// The top of the last screenful: `visible` rows ending at the text's last row, or the first row
// when the text has fewer. Found from the end backwards, so that it costs the last screen, not
// the text. line_count: lines_in(rows.text), which the view already keeps.
[[nodiscard]] RowPlace last_screen(const TextRows& rows, long visible, long line_count);

// The place moved up just enough that `visible` rows remain below it (the whole text when it
// has fewer): a frame then shows no empty rows while rows remain above.
[[nodiscard]] RowPlace bounded_place(const TextRows& rows, RowPlace place, long visible);

// The place with its row brought within its line's rows, after the room changed.
[[nodiscard]] RowPlace clamp_place(const TextRows& rows, RowPlace place);

// The row that holds the first byte of the place's row as laid out before, as laid out after
// (another room, or wrap switched): a resize keeps the same text at the top.
[[nodiscard]] RowPlace reflow_place(const TextRows& before, const TextRows& after, RowPlace place);

// The row of the line starting at `line` that holds the byte at offset `byte` in it: 0 when
// wrap is off.
[[nodiscard]] long row_of_byte(const TextRows& rows, const char* line, std::size_t byte);

// One row for drawing: the bytes of its line (without the LF), the line's coding, and the
// bytes of the row, from `from` to `end` (the whole line when wrap is off; the view cuts it),
// with the line's column at `from` for the TAB stops.
struct RowCursor {
    RowPlace place;
    std::string_view line;
    LineCoding coding = LineCoding::utf8;
    std::size_t from = 0;
    std::size_t end = 0;
    long col = 0;
    long next_col = 0; // the line's column at `end`, where the next row of the line starts
};

// The row at the place (which must be a row of the text, e.g. bounded or clamped), then each
// row below it in turn: next_row returns false, and leaves the cursor, at the last row.
[[nodiscard]] RowCursor row_cursor(const TextRows& rows, RowPlace place);
bool next_row(const TextRows& rows, RowCursor* cursor);
