// The header bar on row 1: the page's URL over a 78-cell band.
#pragma once

#include "nav/browser.hpp"

// Leaves the cursor at row 2, column 1, and flushes.
void draw_header(const Browser* browser);

// Clears the screen and draws the header bar without flushing, so that a view can add its
// content and send the whole frame at once.
void start_view_frame(const Browser* browser);
