// The text view: lines of a document under the header bar, scrolled by line and page.
#pragma once

#include "term/key_decoder.hpp"

struct Model;

// The frame of the text on screen from the record's first line (found by the update step).
void draw_text(const Model& model);

// text_top kept within 0 .. lines - visible.
[[nodiscard]] int bound_text_top(int top, int lines, int visible);
// text_top after a movement key (End: INT_MAX); no upper bound here.
[[nodiscard]] int scroll_text_top(int top, Key key, int visible);
