// The about screen: name, version, a picture and the shortcuts.
#include "ui/about.hpp"

#include <cstdio>

#include "app/cli.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "ui/geometry.hpp"
#include "ui/keys.hpp"

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
    {seq::bold_yellow, "        a: About"},
    {seq::bold_yellow, "        q: Quit"},
};

constexpr char band[] =
    "                                                                              ";
static_assert(sizeof band - 1 == 78);

} // namespace

void show_about(Browser* browser) {
    const int rows = browser->winsize.ws_row;
    const int cols = browser->winsize.ws_col;
    const AboutGeometry place = about_geometry(rows, cols);

    // Sent with the rest of the page in one flush.
    std::fputs(seq::clear_screen, stdout);
    std::fputs(seq::bar_background, stdout);
    std::fputs(seq::bold_white, stdout);
    print_centered(band, 1, cols);
    print_at("About Kesmor", 1, place.title_col);
    std::fputs(seq::reset, stdout);
    move_cursor(2, 1);

    char welcome[64];
    std::snprintf(welcome, sizeof welcome, "Welcome to Kesmor %s!", kesmor_version);
    int row = place.row;
    for (const AboutLine& line : about_lines) {
        std::fputs(line.color, stdout);
        move_cursor(row++, place.col);
        std::fputs(line.text != nullptr ? line.text : welcome, stdout);
    }
    std::fputs(seq::reset, stdout);
    std::fflush(stdout);

    unsigned char key = 0;
    if (!read_byte(&browser->input, &key)) {
        browser->running = 0;
    }
}
