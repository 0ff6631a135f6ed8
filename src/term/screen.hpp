// Screen primitives: what the terminal is left with when the program gives it back, and
// where centred text starts.
#pragma once

void clear_screen();
void move_cursor(int row, int col);
void set_cursor_visible(int visible);

// Column at which a text of the given length starts to stand centred in width columns.
[[nodiscard]] int centered_column(long length, int width);
