// The frame every view draws on: the header bar on row 1 with the page's URL, and the rows
// under it where a view places its content.
#include "ui/header.hpp"

#include <cstdio>
#include <cstring>

#include "gopher/address.hpp"
#include "gopher/fields.hpp"
#include "nav/browser.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/untrusted.hpp"
#include "ui/geometry.hpp"

namespace {

// First content row on screen: under the header bar and one blank row.
constexpr int first_content_row = 4;

// Host and selector come from the network (a menu line names them), so the URL goes through
// the filter; its column is still that of its received bytes.
void write_header_bar(const Browser* browser) {
    char url[address_max + 1] = "";
    if (browser->current != nullptr) {
        format_page_url(browser->current, url, sizeof url);
    }
    const int cols = browser->winsize.ws_col;
    draw_band(cols);
    const std::size_t length = std::strlen(url);
    move_cursor(1, centered_column(static_cast<long>(length), cols));
    print_untrusted({url, length});
    std::fputs(seq::reset, stdout);
    move_cursor(2, 1);
}

} // namespace

void draw_band(int cols) {
    char band[band_width + 1];
    std::memset(band, ' ', band_width);
    band[band_width] = '\0';
    std::fputs(seq::bar_background, stdout);
    std::fputs(seq::bold_white, stdout);
    print_centered(band, 1, cols);
}

void draw_header(const Browser* browser) {
    write_header_bar(browser);
    std::fflush(stdout);
}

void start_view_frame(const Browser* browser) {
    std::fputs(seq::clear_screen, stdout);
    write_header_bar(browser);
}

void place_content_row(const Browser* browser, int index) {
    move_cursor(first_content_row + index, content_column(browser->winsize.ws_col));
}
