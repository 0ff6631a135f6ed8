// A message on the bottom row: a failed fetch's words, a save's outcome, where a link goes.
#include "ui/bottom_note.hpp"

#include <string_view>
#include <tuple>

#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/bottom_message.hpp"
#include "ui/bottom_row.hpp"

void draw_bottom_note(const winsize& window, const BottomRow& row) {
    std::string_view text = row.text;
    if (row.keep_end) {
        // From column 1, the last column left free.
        const int room = window.ws_col > 1 ? window.ws_col - 1 : 0;
        text.remove_prefix(fitting_tail_start(text, room, TabShow::one_blank));
    }
    const char* colour = row.kind == BottomKind::error ? seq::bold_red : seq::reset;
    std::ignore = draw_bottom_message_at(window, 1, colour, text);
}
