// A coloured message on the window's bottom row: the prompts, their errors and the progress line.
#pragma once

#include <string_view>
#include <sys/ioctl.h>

struct Attr;
struct Frame;

// Blanks the bottom row and puts text there in colour from the prompt label's column, through
// the output filter and cut so that the last column stays free. Returns the column just after
// the text; a window of no size gets nothing, and 0 back.
int draw_bottom_message(Frame* frame, const winsize& size, const Attr& colour,
                        std::string_view text);
// The same from column col (1 for the progress row and a failed fetch's message).
int draw_bottom_message_at(Frame* frame, const winsize& size, int col, const Attr& colour,
                           std::string_view text);
