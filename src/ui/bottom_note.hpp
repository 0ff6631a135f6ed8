// A message on the bottom row: a failed fetch's words, a save's outcome, where a link goes.
#pragma once

#include <sys/ioctl.h>

struct BottomRow;
struct Frame;
struct Palette;

// An error or a note, as bottom_row gives it.
void draw_bottom_note(Frame* frame, const winsize& window, const BottomRow& row,
                      const Palette& palette);
