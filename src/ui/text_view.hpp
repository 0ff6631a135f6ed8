// The text view: lines of a document under the header bar, wrapped onto the rows below or cut,
// scrolled by row and page.
#pragma once

#include "nav/text_rows.hpp"
#include "term/key_decoder.hpp"

struct Frame;
struct Model;

// Columns of a text row: the band's width, or up to the window's last column when that comes
// first; at least 1.
[[nodiscard]] int text_room(int cols);

// The text as the view lays it out now. Before the text is measured (its first frame) only its
// first screen of lines, which is all that frame can show.
[[nodiscard]] TextRows text_rows(const Model& model);

// The record's first row of the text as a place of rows (the first row while a kept line is not
// found yet), and the record set to a place of rows.
[[nodiscard]] RowPlace text_top(const Model& model, const TextRows& rows);
void set_text_top(Model* model, const TextRows& rows, RowPlace place);

// The frame of the text on screen from the record's first row (found by the update step).
void draw_text(const Model& model, Frame* frame);

// The first row after a movement key: a row for Up and Down, a screen for the page keys, the
// first row for Home and the last screen for End (line_count: lines_in the text), bounded so
// that no row is left empty while rows remain above. Costs the rows moved over and a screen.
[[nodiscard]] RowPlace scroll_text(const TextRows& rows, RowPlace top, Key key, long visible,
                                   long line_count);

// The first column shown after Right or Left while lines are cut: half the room at a time,
// from 0 up to where the longest line on screen ends.
[[nodiscard]] long scroll_sideways(const TextRows& rows, RowPlace top, long left, Key key,
                                   long visible);
