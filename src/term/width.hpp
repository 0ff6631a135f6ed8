// Untrusted text as the terminal shows it: measured in columns and cut to fit a row.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "term/untrusted.hpp"

// A TAB in a line of text reaches the next multiple of 8 columns from the start of the line;
// in the header it is one blank.
enum class TabShow { to_tab_stop, one_blank };

// One piece of filtered text: the columns it takes and how it is written. Every character of a
// cp1252 line takes one column.
enum class Written { nothing, as_is, blanks, question, cp1252 };
struct ShownPiece {
    std::size_t next; // where the next piece starts
    int cols;
    Written written;
};

// The piece of line starting at `at` (< line.size()), shown from column col (counted from
// where TAB stops are counted). line is the whole line, for its final CR.
[[nodiscard]] ShownPiece shown_piece(std::string_view line, std::size_t at, long col, TabShow tabs,
                                     LineCoding coding = LineCoding::utf8);

// Appends to out what the output filter shows of line, cut to at most max_cols columns: never
// inside a character; a wide character that would straddle the cut is left out, zero-width
// characters right after the last one shown stay with it. TABs become blanks. line is the
// whole line, so that only a CR that really ends it is dropped. Returns the columns used.
// Printable ASCII that fits is appended as it is, without a look at the Unicode tables.
int append_cut(std::string& out, std::string_view line, int max_cols, TabShow tabs,
               LineCoding coding = LineCoding::utf8);

// append_cut of the bytes of line from `from` (where a piece starts) to `end`, with columns and
// TAB stops counted from `from`: one row of a line that continues on several.
int append_cut_part(std::string& out, std::string_view line, std::size_t from, std::size_t end,
                    int max_cols, TabShow tabs, LineCoding coding);

// Columns the whole line takes once filtered.
[[nodiscard]] long shown_width(std::string_view line, TabShow tabs,
                               LineCoding coding = LineCoding::utf8);
