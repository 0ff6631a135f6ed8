// A message on the bottom row: a failed fetch's words, a save's outcome, where a link goes.
#include "ui/bottom_note.hpp"

#include <string_view>
#include <tuple>

#include "term/width.hpp"
#include "ui/bottom_message.hpp"
#include "ui/bottom_row.hpp"
#include "ui/looks.hpp"

void draw_bottom_note(Frame* frame, const winsize& window, const BottomRow& row,
                      const Palette& palette) {
    std::string_view text = row.text;
    if (row.keep_end) {
        // From column 1, the last column left free.
        const int room = window.ws_col > 1 ? window.ws_col - 1 : 0;
        text.remove_prefix(fitting_tail_start(text, room, TabShow::one_blank));
    }
    const Attr& colour = row.kind == BottomKind::error  ? palette.message_error
                         : row.kind == BottomKind::done ? palette.done
                                                        : palette.note;
    std::ignore = draw_bottom_message_at(frame, window, 1, colour, text);
}
