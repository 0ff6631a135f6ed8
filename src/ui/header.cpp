// The frame every view draws on: the header bar on row 1 with the page's URL, and the rows
// under it where a view places its content.
#include "ui/header.hpp"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "gopher/address.hpp"
#include "gopher/fields.hpp"
#include "nav/model.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"

namespace {

// First content row on screen: under the header bar and one blank row.
constexpr int first_content_row = 4;
// After the URL of a page whose transfer stopped before its end; centred and cut with it.
constexpr std::string_view incomplete_mark = " (incomplete)";

} // namespace

// Host and selector come from the network (a menu line names them), so the URL goes through
// the filter, and is centred by the columns it shows in.
void draw_header(const Model& model) {
    const int cols = model.window.ws_col;
    if (cols <= 0 || model.window.ws_row <= 0) {
        return; // not a terminal: nothing to draw on
    }
    char url[address_max + 1] = "";
    std::string text;
    if (const Page* page = model.history.current) {
        format_page_url(page->address, url, sizeof url);
        text = url;
        if (page->incomplete) {
            text += incomplete_mark;
        }
    }
    draw_band(cols);
    const int col = centered_column(shown_width(text, TabShow::one_blank), cols);
    std::string shown;
    append_cut(shown, text, cols - col + 1, TabShow::one_blank);
    move_cursor(1, col);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputs(seq::reset, stdout);
    move_cursor(2, 1);
}

void draw_band(int cols) {
    char band[band_width + 1];
    std::memset(band, ' ', band_width);
    band[band_width] = '\0';
    std::fputs(seq::bar_background, stdout);
    std::fputs(seq::bold_white, stdout);
    const int col = centered_column(band_width, cols);
    const int width = cols - col + 1 < band_width ? cols - col + 1 : band_width;
    move_cursor(1, col);
    std::fwrite(band, 1, static_cast<std::size_t>(width > 0 ? width : 0), stdout);
}

void start_view_frame(const Model& model) {
    std::fputs(seq::clear_screen, stdout);
    draw_header(model);
}

void place_content_row(const Model& model, int index) {
    move_cursor(first_content_row + index, content_column(model.window.ws_col));
}
