// A coloured message on the window's bottom row: the prompts, their errors and the progress line.
#pragma once

#include <string_view>
#include <sys/ioctl.h>

// Clears the bottom row and writes text there in colour from the prompt label's column, through
// the output filter and cut so that the last column stays free: nothing written on the bottom
// row may make the screen scroll. Returns the column just after the text; a window of
// no size gets nothing written, and 0 back.
int draw_bottom_message(const winsize& size, const char* colour, std::string_view text);
// The same from column col (1 for the progress row and a failed fetch's message).
int draw_bottom_message_at(const winsize& size, int col, const char* colour, std::string_view text);
