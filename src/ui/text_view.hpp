// The text view: lines of a document under the header bar, scrolled by line and page.
#pragma once

#include "ui/key_decoder.hpp"

struct Browser;
struct ShownPage;

// Draws, counts the lines unless the record has them, then answers events until a key that may
// show another page, after which it returns running; 0 when running is found cleared or input
// ends (running then cleared). Any other key redraws the text at the same line. A text_top
// kept from before is bounded to the text before the first frame.
[[nodiscard]] int text_view_loop(Browser* browser, ShownPage* shown);
// A frame at text_top, found from the record's last frame position, which moves there.
void draw_text(const Browser* browser, ShownPage* shown);
// draw_text, after text_top is bounded to the text at the window's size.
void bound_and_draw(Browser* browser, ShownPage* shown);

// text_top kept within 0 .. lines - visible.
[[nodiscard]] int bound_text_top(int top, int lines, int visible);
// text_top after a movement key (End: INT_MAX); no upper bound here.
[[nodiscard]] int scroll_text_top(int top, Key key, int visible);
