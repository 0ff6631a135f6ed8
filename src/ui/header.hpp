// The header bar on row 1: the page's URL over a 78-cell band, both cut to the window.
#pragma once

#include "nav/browser.hpp"

// Starts the bar on row 1 in its colours: the band, cut to the window's cols columns. The
// colours stay set for what is written over it.
void start_header_band(int cols);

// Leaves the cursor at row 2, column 1, and flushes.
void draw_header(const Browser* browser);

// Clears the screen and draws the header bar without flushing, so that a view can add its
// content and send the whole frame at once.
void start_view_frame(const Browser* browser);
