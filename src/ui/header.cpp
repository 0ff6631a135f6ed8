// The header bar on row 1: the page's URL over a 78-cell band.
#include "ui/header.hpp"

#include <cstdio>
#include <cstring>

#include "gopher/address.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/untrusted.hpp"

namespace {

constexpr char band[] =
    "                                                                              ";
static_assert(sizeof band - 1 == 78);

// Host and selector come from the network (a menu line names them), so the URL goes through
// the filter; its column is still that of its received bytes.
void write_header_bar(const Browser* browser) {
    char url[1290] = "";
    if (browser->current != nullptr) {
        format_page_url(browser->current, url, sizeof url);
    }
    const int cols = browser->winsize.ws_col;
    std::fputs(seq::bar_background, stdout);
    std::fputs(seq::bold_white, stdout);
    print_centered(band, 1, cols);
    const std::size_t length = std::strlen(url);
    move_cursor(1, centered_column(static_cast<long>(length), cols));
    print_untrusted({url, length});
    std::fputs(seq::reset, stdout);
    move_cursor(2, 1);
}

} // namespace

void draw_header(const Browser* browser) {
    write_header_bar(browser);
    std::fflush(stdout);
}

void start_view_frame(const Browser* browser) {
    std::fputs(seq::clear_screen, stdout);
    write_header_bar(browser);
}
