// Where things go on the screen, from the window size alone.
#include "ui/geometry.hpp"

#include "term/screen.hpp"

namespace {} // namespace

int bar_column(int cols) {
    return centered_column(band_width, cols);
}

int content_column(int cols) {
    const int offset = (cols - band_width) / 2;
    return (offset < 0 ? 0 : offset) + 1;
}

int content_rows(int rows) {
    return rows >= 5 ? rows - 4 : 0;
}

int text_visible_rows(int rows) {
    const int content = content_rows(rows);
    return content > 0 ? content : 1;
}

std::string_view prompt_label(PromptKind kind) {
    switch (kind) {
    case PromptKind::search:
        return "Search query: ";
    case PromptKind::save:
        return "Save as: ";
    case PromptKind::find:
        return "Find: ";
    case PromptKind::address:
        break;
    }
    return "Open URL: ";
}

int prompt_label_column(int cols) {
    return bar_column(cols);
}

AboutGeometry about_geometry(int rows, int cols, int block_rows, int block_cols) {
    int row = (rows - block_rows) / 2;
    if (row < 4) {
        row = 3; // never above row 3, under the title bar
    }
    int col = (cols - block_cols) / 2;
    if (col < 2) {
        col = 1;
    }
    return {centered_column(static_cast<long>(about_title.size()), cols), row, col};
}
