// The one writer: turns the screen from the last frame written into the next, sending only what
// changed.
#pragma once

#include <string>

#include "term/frame.hpp"

// What the terminal shows, as far as the writer knows: the last frame written.
struct FrameWriter {
    Frame last;
    bool painted = false; // false until the first frame, and after the screen was lost
};

// Appends to out the bytes of one frame, wrapped in synchronized output. The first frame, a
// frame of another size, and repaint (the screen may hold what another program wrote) clear
// the screen and write every cell that is not blank; otherwise only the cells that changed go
// out, scrolling the frame's scroll rows when they moved as a whole. A frame equal to the last
// is the synchronized pair alone.
// The writer keeps the frame as the last one written.
void write_frame(FrameWriter* writer, Frame next, bool repaint, std::string* out);
