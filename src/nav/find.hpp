// Finding text in a page as it is shown: in a text's lines, in one line for drawing, in a menu.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "term/untrusted.hpp"
#include "term/width.hpp"

// What is searched is what the user sees: a line after the output filter, read in its coding
// (escape sequences removed, control bytes as "?", cp1252 bytes as their characters), a TAB as
// one TAB character, the CR that ends a line left out. Letters match without regard to case, as
// Unicode folds them ("STRASSE" finds "stra\u00dfe"); other characters match only themselves. A
// match never spans two lines. An empty needle matches nothing.

enum class FindDirection { forward, backward };

// Lines filtered, then folded, kept from line to line to save allocations.
struct FindScratch {
    std::string shown;
    std::string folded;
};

// What a search looks through at each of its steps: the text as it is now (it may have grown or
// moved since the step before, while it arrives), its line count (lines_in(text)), and the
// needle as typed.
struct FindText {
    std::string_view text; // lines separated by LF
    long line_count = 0;
    std::string_view needle;
};

// A search for the next (or previous) line of a text holding a match, done in steps so that the
// event loop can read keys between them (and Esc can drop it). Its lines by offset, as the text
// may move between the steps.
struct FindState {
    FindDirection direction = FindDirection::forward;
    std::size_t first = 0; // the first line looked at: the search ends when back at it
    std::size_t at = 0;    // the next line to look at, and its index
    long at_index = 0;
    bool wrapped = false; // went past the end to the top, or past the top to the end
    FindScratch scratch;
};

// A search from the line at offset `line` (line_index its index) in the direction given.
// include_start: the line itself is looked at first (a new search from the top of the screen);
// otherwise it is looked at last (the next match after one already found).
[[nodiscard]] FindState find_start(FindText text, std::size_t line, long line_index,
                                   FindDirection direction, bool include_start);

enum class FindStatus {
    found,     // line, line_index and wrapped tell where
    searching, // the budget ran out: call again
    no_match,  // no line of the text holds a match
};
struct FindResult {
    FindStatus status = FindStatus::searching;
    std::size_t line = 0; // its offset in the text
    long line_index = 0;
    bool wrapped = false; // the match lies past the end (forward) or before the top (backward)
};

// Looks at lines until one holds a match or about byte_budget bytes have been looked at (a
// step always finishes the line it is in). Lines of printable ASCII and TAB are matched on
// their bytes; others only when they may hold the needle's first character. Once it has found
// a line or none, the state is spent: the next match is a new search from the found line.
[[nodiscard]] FindResult find_step(FindState& state, FindText text, std::size_t byte_budget);

// A match in a line, as the bytes of the source line it covers (whole pieces of the filter).
using MatchSpan = ByteRange;

// Every match in the line as shown, left to right, not overlapping. line is the whole line
// (without its LF); coding is line_coding(line). The view marks them with append_row.
[[nodiscard]] std::vector<MatchSpan> find_in_line(std::string_view line, std::string_view needle,
                                                  LineCoding coding);

// The next (or previous) item of a menu whose display holds a match, going round the ends;
// index -1 when none does. include_from: the item `from` itself is looked at first, otherwise
// last.
struct ItemFound {
    long index = -1;
    bool wrapped = false;
};
[[nodiscard]] ItemFound find_item(std::span<const std::string_view> displays, long from,
                                  std::string_view needle, FindDirection direction,
                                  bool include_from);
