// Screen primitives: what the terminal is left with when the program gives it back, and
// where centred text starts.
#include "term/screen.hpp"

#include <cstdio>

#include "term/sequences.hpp"

void clear_screen() {
    std::fputs(seq::clear_screen, stdout);
    std::fflush(stdout);
}

void move_cursor(int row, int col) {
    std::printf(seq::cursor_position, row, col);
}

void set_cursor_visible(int visible) {
    std::printf(seq::cursor_visibility, visible ? 'h' : 'l');
    std::fflush(stdout);
}

int centered_column(long length, int width) {
    const long col = (static_cast<long>(width) - length) / 2;
    return col < 2 ? 1 : static_cast<int>(col);
}
