// The about screen: name, version, a picture and the shortcuts.
#include "ui/about.hpp"

#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

#include "base/version.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/looks.hpp"

namespace {

struct AboutLine {
    Attr Palette::*role; // its colour in the palette of the run
    const char* text;
};

// Line 0, the greeting, is formatted with the version at run time.
constexpr AboutLine about_lines[] = {
    {&Palette::about_title, nullptr},
    {&Palette::about_picture, "        \\`~'/"},
    {&Palette::about_picture, "        (o o)"},
    {&Palette::about_picture, "       / \\ / \\"},
    {&Palette::about_picture, "          \""},
    {&Palette::about_keys, ""},
    {&Palette::about_title, "Shortcuts:"},
    {&Palette::about_keys, "    Arrows: Navigate"},
    {&Palette::about_keys, "      Enter: Select"},
    {&Palette::about_keys, "        b: Back"},
    {&Palette::about_keys, "        f: Forward"},
    {&Palette::about_keys, "        o: Open URL"},
    {&Palette::about_keys, "        r: Reload"},
    {&Palette::about_keys, "        s: Save"},
    {&Palette::about_keys, "        u: Show URL"},
    {&Palette::about_keys, "        /: Find"},
    {&Palette::about_keys, "     n, N: Next, Previous"},
    {&Palette::about_keys, "        w: Wrap"},
    {&Palette::about_keys, "        a: About"},
    {&Palette::about_keys, "        q: Quit"},
};

// The keys that came later: beside the first column's keys in a wide window, after them in a
// narrow one.
constexpr const char* later_keys[] = {
    "        m: Bookmark",        "        B: Bookmarks",   "        H: History",
    "        d: Remove bookmark", "        t: Type labels", "    Space: Page Down",
    "     j, k: Down, Up",        "     g, G: Home, End",   "   Ctrl-L: Redraw",
    "   Ctrl-Z: Suspend",         "        ?: About",
};
constexpr int first_key_line = 7; // "    Arrows: Navigate"
constexpr int second_column = 40; // columns right of the first
constexpr int second_column_width = 26;
constexpr int one_column_width = 25;
constexpr int two_columns_from = 80; // window columns

// Our own text, cut like any other so that no line wraps: the lines below the window are left
// out, the wider ones end at its last column.
void put_about_line(Frame* frame, int rows, int cols, int row, int col, std::string_view text,
                    const Attr& colour) {
    if (row > rows || col > cols) {
        return;
    }
    std::string shown;
    append_cut(shown, text, cols - col + 1, TabShow::to_tab_stop);
    put_text(frame, row, col, shown, colour);
}

void draw_about(Frame* frame, int rows, int cols, const Palette& palette) {
    const bool two = cols >= two_columns_from;
    const int later = static_cast<int>(std::size(later_keys));
    const AboutGeometry place =
        two ? about_geometry(rows, cols, about_line_count(), second_column + second_column_width)
            : about_geometry(rows, cols, about_line_count() + later, one_column_width);
    draw_band(frame, cols, palette.header);
    std::string shown;
    append_cut(shown, about_title, cols - place.title_col + 1, TabShow::to_tab_stop);
    put_text(frame, 1, place.title_col, shown, palette.header);

    char welcome[64];
    std::snprintf(welcome, sizeof welcome, "Welcome to Kesmor %s!", kesmor_version);
    int row = place.row;
    for (const AboutLine& line : about_lines) {
        put_about_line(frame, rows, cols, row++, place.col,
                       line.text != nullptr ? line.text : welcome, palette.*line.role);
    }
    int later_row = two ? place.row + first_key_line : row;
    const int later_col = two ? place.col + second_column : place.col;
    for (const char* key : later_keys) {
        put_about_line(frame, rows, cols, later_row++, later_col, key, palette.about_keys);
    }
}

} // namespace

int about_line_count() {
    return static_cast<int>(std::size(about_lines));
}

void draw_about_screen(const winsize& window, const Palette& palette, Frame* frame) {
    const int rows = window.ws_row;
    const int cols = window.ws_col;
    if (rows > 0 && cols > 0) {
        draw_about(frame, rows, cols, palette);
    }
}
