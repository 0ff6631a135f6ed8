// Screen primitives: every screen is drawn from these, through buffered standard output.
#pragma once

void clear_screen();
void move_cursor(int row, int col);
void set_cursor_visible(int visible);
void clear_row(int row, int width);
void print_centered(const char* text, int row, int width);
void print_at(const char* text, int row, int col);

// Column at which print_centered starts a text of the given length.
[[nodiscard]] int centered_column(long length, int width);
