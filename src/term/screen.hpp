// Screen primitives: every screen is drawn from these, through buffered standard output.
#pragma once

void clear_screen();
void move_cursor(int row, int col);
void set_cursor_visible(int visible);
void clear_row(int row, int width);

// Column at which a text of the given length starts to stand centred in width columns.
[[nodiscard]] int centered_column(long length, int width);
