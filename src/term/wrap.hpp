// Lines wider than the room continued on the rows below: where each row of a line ends.
#pragma once

#include <cstddef>
#include <string_view>

#include "term/untrusted.hpp"

// One row of a wrapped line, as the filter shows it. TAB stops are counted from the line's
// start, so a row also carries the line's column where it starts.
struct WrappedRow {
    std::size_t end;  // the row shows the bytes of the line from where it starts up to here
    std::size_t next; // where the next row starts: equal to end, no byte is left between rows
    int cols;         // columns the row takes (more than the room only for a character wider
                      // than the whole room, which gets a row of its own)
    long next_col;    // the line's column where the next row starts
};

// The row of line that starts at byte `from` and at the line's column `col` (where an earlier
// row ended, or 0 and 0) in room columns (below 1 counts as 1). The row breaks after the last
// blank (a space) that lies within the room when the rest does not fit, otherwise at the
// room's edge; never inside a character: a TAB, which reaches the next multiple of 8 from the
// line's start, or a wide character that does not fit goes whole to the next row. Zero-width
// pieces (marks, escape sequences, the final CR) stay with what comes before them. Looks at no
// more of the line than the row and the pieces right after it. from == line.size() gives
// {from, from, 0, col}.
[[nodiscard]] WrappedRow next_wrapped_row(std::string_view line, std::size_t from, long col,
                                          int room, LineCoding coding);

// Rows the whole line takes; an empty line takes one. A line of at most room bytes without a
// TAB is one row without a look at its characters: each column takes at least one byte.
[[nodiscard]] long wrapped_rows(std::string_view line, int room, LineCoding coding);

// Where row `row` of the line starts: its byte and the line's column there; {0, 0} for row 0,
// line.size() for a row past the last.
struct RowStart {
    std::size_t at;
    long col;
};
[[nodiscard]] RowStart wrapped_row_start(std::string_view line, long row, int room,
                                         LineCoding coding);
