// The about screen: name, version, a picture and the shortcuts.
#include "ui/about.hpp"

#include <cstdio>
#include <iterator>
#include <string>

#include "base/version.hpp"
#include "nav/model.hpp"
#include "term/frame.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/looks.hpp"

namespace {

struct AboutLine {
    Attr color;
    const char* text;
};

// Line 0, the greeting, is formatted with the version at run time.
constexpr AboutLine about_lines[] = {
    {look::bold_green, nullptr},
    {look::bold_magenta, "        \\`~'/"},
    {look::bold_magenta, "        (o o)"},
    {look::bold_magenta, "       / \\ / \\"},
    {look::bold_magenta, "          \""},
    {look::bold_yellow, ""},
    {look::bold_green, "Shortcuts:"},
    {look::bold_yellow, "    Arrows: Navigate"},
    {look::bold_yellow, "      Enter: Select"},
    {look::bold_yellow, "        b: Back"},
    {look::bold_yellow, "        f: Forward"},
    {look::bold_yellow, "        o: Open URL"},
    {look::bold_yellow, "        r: Reload"},
    {look::bold_yellow, "        s: Save"},
    {look::bold_yellow, "        u: Show URL"},
    {look::bold_yellow, "        /: Find"},
    {look::bold_yellow, "     n, N: Next, Previous"},
    {look::bold_yellow, "        w: Wrap"},
    {look::bold_yellow, "   Ctrl-L: Redraw"},
    {look::bold_yellow, "        a: About"},
    {look::bold_yellow, "        q: Quit"},
};

// Our own text, cut like any other so that no line wraps: the lines below the window are left
// out, the wider ones end at its last column.
void draw_about(Frame* frame, int rows, int cols) {
    const AboutGeometry place = about_geometry(rows, cols, about_line_count());
    draw_band(frame, cols);
    std::string shown;
    append_cut(shown, about_title, cols - place.title_col + 1, TabShow::to_tab_stop);
    put_text(frame, 1, place.title_col, shown, look::bar);

    char welcome[64];
    std::snprintf(welcome, sizeof welcome, "Welcome to Kesmor %s!", kesmor_version);
    int row = place.row;
    for (const AboutLine& line : about_lines) {
        if (row > rows) {
            break;
        }
        shown.clear();
        append_cut(shown, line.text != nullptr ? line.text : welcome, cols - place.col + 1,
                   TabShow::to_tab_stop);
        put_text(frame, row++, place.col, shown, line.color);
    }
}

} // namespace

int about_line_count() {
    return static_cast<int>(std::size(about_lines));
}

void draw_about_screen(const Model& model, Frame* frame) {
    const int rows = model.window.ws_row;
    const int cols = model.window.ws_col;
    if (rows > 0 && cols > 0) {
        draw_about(frame, rows, cols);
    }
}
