// Where things go on the screen, from the window size alone.
#pragma once

#include <string_view>

#include "nav/overlay.hpp"

// The header bar's band, and the most bytes of a text line shown: the about screen's title bar
// is the same band.
inline constexpr int band_width = 78;

// Column of the header band (and of the prompt label).
[[nodiscard]] int bar_column(int cols);
// Column where menu rows and text lines start.
[[nodiscard]] int content_column(int cols);
// Rows between the header and the bottom row, from row 4: 0 below 5 rows.
[[nodiscard]] int content_rows(int rows);
// Rows the text view scrolls by and bounds with: its content rows, but at least 1.
[[nodiscard]] int text_visible_rows(int rows);

[[nodiscard]] std::string_view prompt_label(PromptKind kind);
[[nodiscard]] int prompt_label_column(int cols);

struct AboutGeometry {
    int title_col; // "About Kesmor"
    int row;       // row of line 0 of the block
    int col;       // column of every line of the block
};
inline constexpr std::string_view about_title = "About Kesmor";
// The block of block_rows lines centred, never above row 3.
[[nodiscard]] AboutGeometry about_geometry(int rows, int cols, int block_rows, int block_cols);
