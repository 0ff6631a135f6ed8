// A coloured message on the window's bottom row: the prompts, their errors and the progress line.
#include "ui/bottom_message.hpp"

#include <cstdio>
#include <string>

#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"

int draw_bottom_message(const winsize& size, const char* colour, std::string_view text) {
    return draw_bottom_message_at(size, prompt_label_column(size.ws_col), colour, text);
}

int draw_bottom_message_at(const winsize& size, int col, const char* colour,
                           std::string_view text) {
    const int rows = size.ws_row;
    const int cols = size.ws_col;
    if (rows <= 0 || cols <= 0) {
        return 0;
    }
    std::string shown;
    const int used = append_cut(shown, text, cols - col, TabShow::one_blank);
    clear_row(rows, cols);
    move_cursor(rows, col);
    std::fputs(colour, stdout);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputs(seq::reset, stdout);
    return col + used;
}
