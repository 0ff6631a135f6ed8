// The frame every view draws on: the header bar on row 1 with the page's URL, and the rows
// under it where a view places its content.
#pragma once

struct Attr;
struct Frame;
struct Model;

// The bar's band on row 1 in the bar's colours, cut to the window's cols columns.
void draw_band(Frame* frame, int cols, const Attr& look);

// The bar alone, with the page's URL (from the network, so filtered) centred by the columns it
// shows in. Nothing in a window of no size.
void draw_header(const Model& model, Frame* frame);

// Draws the header bar and marks the content rows as rows that scroll together, so that a view
// can add its content.
void start_view_frame(const Model& model, Frame* frame);

// Screen row and column of the start of content row `index` (from 0, on screen row 4 + index).
struct ScreenPlace {
    int row;
    int col;
};
[[nodiscard]] ScreenPlace content_row_place(const Model& model, int index);
