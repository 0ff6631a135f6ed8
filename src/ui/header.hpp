// The frame every view draws on: the header bar on row 1 with the page's URL, and the rows
// under it where a view places its content.
#pragma once

struct Model;

// The bar's band on row 1 in the bar's colours, cut to the window's cols columns; the colours
// stay set for what is written on it.
void draw_band(int cols);

// The bar alone, with the page's URL (from the network, so filtered) centred by the columns it
// shows in: leaves the cursor at row 2, column 1. Nothing in a window of no size.
void draw_header(const Model& model);

// Clears the screen and draws the header bar, so that a view can add its content and the loop
// can send the whole frame at once.
void start_view_frame(const Model& model);

// Moves to the start of content row `index` (from 0, on screen row 4 + index).
void place_content_row(const Model& model, int index);
