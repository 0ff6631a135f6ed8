// Where things go on the screen, from the window size alone.
#pragma once

// Column of the 78-cell header band (and of the prompt label).
[[nodiscard]] int bar_column(int cols);
// Column where menu rows and text lines start.
[[nodiscard]] int content_column(int cols);
// Content rows of the menu view, which is also its page step: 0 below 5 rows.
[[nodiscard]] int menu_page_size(int rows);
// Rows the text view scrolls by and bounds with: 1 below 5 rows.
[[nodiscard]] int text_visible_rows(int rows);

enum class PromptKind { search, address };
[[nodiscard]] int prompt_label_column(int cols);
[[nodiscard]] int prompt_input_column(int cols, PromptKind kind);

struct AboutGeometry {
    int title_col; // "About Kesmor"
    int row;       // row of line 0 of the block
    int col;       // column of every line of the block
};
[[nodiscard]] AboutGeometry about_geometry(int rows, int cols);
