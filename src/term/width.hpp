// Untrusted text as the terminal shows it: measured in columns and cut to fit a row.
#pragma once

#include <string>
#include <string_view>

// A TAB in a line of text reaches the next multiple of 8 columns from the start of the line;
// in the header it is one blank.
enum class TabShow { to_tab_stop, one_blank };

// Appends to out what the output filter shows of line, cut to at most max_cols columns: never
// inside a character; a wide character that would straddle the cut is left out, zero-width
// characters right after the last one shown stay with it. TABs become blanks. line is the
// whole line, so that only a CR that really ends it is dropped. Returns the columns used.
// Printable ASCII that fits is appended as it is, without a look at the Unicode tables.
int append_cut(std::string& out, std::string_view line, int max_cols, TabShow tabs);

// Columns the whole line takes once filtered.
[[nodiscard]] long shown_width(std::string_view line, TabShow tabs);

// Where the last characters of line that fit in max_cols columns begin (line.size() when none
// fits): for a text whose end matters more than its start. Counted a character at a time, so
// what the filter makes of a sequence of several characters may leave a little room unused.
[[nodiscard]] std::size_t fitting_tail_start(std::string_view line, int max_cols, TabShow tabs);
