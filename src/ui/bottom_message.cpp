// A coloured message on the window's bottom row: the prompts, their errors and the progress line.
#include "ui/bottom_message.hpp"

#include <string>

#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"

int draw_bottom_message(Frame* frame, const winsize& size, const Attr& colour,
                        std::string_view text) {
    return draw_bottom_message_at(frame, size, prompt_label_column(size.ws_col), colour, text);
}

int draw_bottom_message_at(Frame* frame, const winsize& size, int col, const Attr& colour,
                           std::string_view text) {
    const int rows = size.ws_row;
    const int cols = size.ws_col;
    if (rows <= 0 || cols <= 0) {
        return 0;
    }
    std::string shown;
    const int used = append_cut(shown, text, cols - col, TabShow::one_blank);
    put_blanks(frame, rows, 1, cols, Attr{});
    put_text(frame, rows, col, shown, colour);
    return col + used;
}
