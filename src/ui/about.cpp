// The about screen: name, version, a picture and the shortcuts.
#include "ui/about.hpp"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "app/cli.hpp"
#include "nav/browser.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
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
    {seq::bold_yellow, "        a: About"},
    {seq::bold_yellow, "        q: Quit"},
};

// Any one byte ends the wait. When no byte can ever come (end of input, a failing terminal)
// the view takes over, and ends the run on its own read.
void wait_for_key() {
    for (;;) {
        unsigned char byte = 0;
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got == 1 || got == 0 || (got < 0 && errno != EINTR)) {
            return;
        }
    }
}

} // namespace

void show_about(const Browser* browser) {
    const int rows = browser->winsize.ws_row;
    const int cols = browser->winsize.ws_col;
    const AboutGeometry place = about_geometry(rows, cols);

    // Sent with the rest of the page in one flush.
    std::fputs(seq::clear_screen, stdout);
    draw_band(cols);
    print_at(about_title.data(), 1, place.title_col); // a literal: terminated
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

    wait_for_key();
}
