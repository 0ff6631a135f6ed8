// The text view: lines of a document under the header bar, scrolled by line and page.
#pragma once

#include "nav/browser.hpp"
#include "ui/text_position.hpp"

// Returns running after a single-byte key other than 'a', or 0 when running is found cleared.
// At the end of input nobody can quit any more: running is cleared and 0 returned.
[[nodiscard]] int text_view_loop(Browser* browser);

// What the view learnt about one content in an earlier call: where its last frame started and
// its line count. The keeper must reset it whenever a content may have been replaced (on every
// fetch): a new content can take the address of a freed one.
struct TextMemo {
    const char* content = nullptr;
    int lines = -1; // not counted yet
    TextPosition position;
};

// text_view_loop, starting from what the memo knows when the content is the same.
[[nodiscard]] int text_view_loop(Browser* browser, TextMemo* memo);
void draw_text(const Browser* browser, const char* content);

// text_top kept within 0 .. lines - visible.
[[nodiscard]] int bound_text_top(int top, int lines, int visible);
// text_top after a movement key (third byte of the sequence); no upper bound here.
[[nodiscard]] int scroll_text_top(int top, unsigned char key, int visible);
