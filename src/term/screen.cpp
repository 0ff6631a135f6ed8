// Screen primitives: every screen is drawn from these, through buffered standard output.
#include "term/screen.hpp"

#include <cstdio>
#include <string>

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

void clear_row(int row, int width) {
    const std::string blanks(width > 0 ? static_cast<std::size_t>(width) : 0, ' ');
    move_cursor(row, 1);
    std::fwrite(blanks.data(), 1, blanks.size(), stdout);
}

int centered_column(long length, int width) {
    const long col = (static_cast<long>(width) - length) / 2;
    return col < 2 ? 1 : static_cast<int>(col);
}
