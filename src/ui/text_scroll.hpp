// Where the text on screen starts, moved by the update step: by rows, by screens, sideways.
#pragma once

#include "nav/text_rows.hpp"
#include "term/key_decoder.hpp"

struct ShownPage;

// The record's first row set to a place of rows.
void set_text_top(ShownPage* shown, const TextRows& rows, RowPlace place);

// The first row after a movement key: a row for Up and Down, a screen for the page keys, the
// first row for Home and the last screen for End (line_count: lines_in the text), bounded so
// that no row is left empty while rows remain above. Costs the rows moved over and a screen.
[[nodiscard]] RowPlace scroll_text(const TextRows& rows, RowPlace top, Key key, long visible,
                                   long line_count);

// The first column shown after Right or Left while lines are cut: half the room at a time,
// from 0 up to where the longest line on screen ends.
[[nodiscard]] long scroll_sideways(const TextRows& rows, RowPlace top, long left, Key key,
                                   long visible);
