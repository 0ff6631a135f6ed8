// The about screen: name, version, a picture and the shortcuts.
#pragma once

#include <sys/ioctl.h>

struct Frame;
struct Palette;

// The whole screen: the about screen in place of the page, cut to the window.
void draw_about_screen(const winsize& window, const Palette& palette, Frame* frame);
// Lines of the block's first column under the title bar, the greeting to "q: Quit".
[[nodiscard]] int about_line_count();
