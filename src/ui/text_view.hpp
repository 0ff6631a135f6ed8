// The text view: lines of a document under the header bar, wrapped onto the rows below or cut,
// from the first row the update step keeps.
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
// found yet); set_text_top (ui/text_scroll.hpp) sets it.
[[nodiscard]] RowPlace text_top(const Model& model, const TextRows& rows);

// The frame of the text on screen from the record's first row (found by the update step).
void draw_text(const Model& model, Frame* frame);
