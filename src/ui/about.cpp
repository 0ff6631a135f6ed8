// The about screen: name, version, a picture and the shortcuts.
#include "ui/about.hpp"

#include <cstdio>
#include <iterator>
#include <string>

#include "base/version.hpp"
#include "nav/model.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"

namespace {

struct AboutLine {
    const char* color;
    const char* text;
};

// Line 0, the greeting, is formatted with the version at run time.
constexpr AboutLine about_lines[] = {
    {seq::bold_green, nullptr},
    {seq::bold_magenta, "        \\`~'/"},
    {seq::bold_magenta, "        (o o)"},
    {seq::bold_magenta, "       / \\ / \\"},
    {seq::bold_magenta, "          \""},
    {seq::bold_yellow, ""},
    {seq::bold_green, "Shortcuts:"},
    {seq::bold_yellow, "    Arrows: Navigate"},
    {seq::bold_yellow, "      Enter: Select"},
    {seq::bold_yellow, "        b: Back"},
    {seq::bold_yellow, "        f: Forward"},
    {seq::bold_yellow, "        o: Open URL"},
    {seq::bold_yellow, "        r: Reload"},
    {seq::bold_yellow, "        s: Save"},
    {seq::bold_yellow, "        u: Show URL"},
    {seq::bold_yellow, "        /: Find"},
    {seq::bold_yellow, "     n, N: Next, Previous"},
    {seq::bold_yellow, "        w: Wrap"},
    {seq::bold_yellow, "        a: About"},
    {seq::bold_yellow, "        q: Quit"},
};

// Our own text, cut like any other so that no line wraps: the lines below the window are left
// out, the wider ones end at its last column.
void draw_about(int rows, int cols) {
    const AboutGeometry place = about_geometry(rows, cols, about_line_count());
    draw_band(cols);
    std::string shown;
    append_cut(shown, about_title, cols - place.title_col + 1, TabShow::to_tab_stop);
    move_cursor(1, place.title_col);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputs(seq::reset, stdout);
    move_cursor(2, 1);

    char welcome[64];
    std::snprintf(welcome, sizeof welcome, "Welcome to Kesmor %s!", kesmor_version);
    int row = place.row;
    for (const AboutLine& line : about_lines) {
        if (row > rows) {
            break;
        }
        std::fputs(line.color, stdout);
        move_cursor(row++, place.col);
        shown.clear();
        append_cut(shown, line.text != nullptr ? line.text : welcome, cols - place.col + 1,
                   TabShow::to_tab_stop);
        std::fwrite(shown.data(), 1, shown.size(), stdout);
    }
    std::fputs(seq::reset, stdout);
}

} // namespace

int about_line_count() {
    return static_cast<int>(std::size(about_lines));
}

void draw_about_screen(const Model& model) {
    const int rows = model.window.ws_row;
    const int cols = model.window.ws_col;
    // Sent with the rest of the page in one flush; a window of no size gets the clear alone.
    std::fputs(seq::clear_screen, stdout);
    if (rows > 0 && cols > 0) {
        draw_about(rows, cols);
    }
}
