// Untrusted text as the terminal shows it: measured in columns and cut to fit a row.
#pragma once

#include <cstddef>
#include <span>
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

// The bytes of a line that one row shows: from `from` (where a piece starts) to `end`, with
// col the line's column at `from`, since TAB stops count from the line's start.
struct LinePart {
    std::string_view line; // the whole line, for its final CR
    std::size_t from;
    std::size_t end;
    long col;
    LineCoding coding;
};

// Bytes of a line, [from, to), drawn between two sequences (a match in reverse video, say).
struct ByteRange {
    std::size_t from;
    std::size_t to;
};
struct Marks {
    std::span<const ByteRange> ranges; // in order, apart
    std::string_view on;
    std::string_view off;
    // The range drawn apart from the others, between current_on and off; none by default.
    std::size_t current = std::string_view::npos;
    std::string_view current_on{};
};

// Appends what the part shows from its column `skip` on (the columns left of the view when the
// text is scrolled sideways), cut to at most max_cols columns as append_cut cuts, TABs to their
// stops. A character or TAB that straddles the skipped edge shows as blanks for its columns
// past it; zero-width pieces on a skipped character go with it. A marked range starts and ends
// between pieces; the off sequence closes one still open at the cut. Returns the columns used.
int append_row(std::string& out, const LinePart& part, long skip, int max_cols,
               const Marks& marks = {});

// Columns the whole line takes once filtered.
[[nodiscard]] long shown_width(std::string_view line, TabShow tabs,
                               LineCoding coding = LineCoding::utf8);

// Where the last characters of line that fit in max_cols columns begin (line.size() when none
// fits): for a text whose end matters more than its start. Counted a character at a time, so
// what the filter makes of a sequence of several characters may leave a little room unused.
[[nodiscard]] std::size_t fitting_tail_start(std::string_view line, int max_cols, TabShow tabs);
