// The frame every view draws on: the header bar on row 1 with the page's URL, and the rows
// under it where a view places its content.
#include "ui/header.hpp"

#include <string>
#include <string_view>

#include "gopher/address.hpp"
#include "gopher/fields.hpp"
#include "nav/model.hpp"
#include "term/frame.hpp"
#include "term/screen.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"
#include "ui/looks.hpp"

namespace {

// First content row on screen: under the header bar and one blank row.
constexpr int first_content_row = 4;
// After the URL of a page whose transfer stopped before its end; centred and cut with it.
constexpr std::string_view incomplete_mark = " (incomplete)";

} // namespace

// Host and selector come from the network (a menu line names them), so the URL goes through
// the filter, and is centred by the columns it shows in.
void draw_header(const Model& model, Frame* frame) {
    const int cols = model.window.ws_col;
    if (cols <= 0 || model.window.ws_row <= 0) {
        return; // not a terminal: nothing to draw on
    }
    char url[address_max + 1] = "";
    std::string text;
    if (const Page* page = model.history.current) {
        switch (page->kind) {
        case PageKind::gopher:
            format_page_url(page->address, url, sizeof url);
            text = url;
            break;
        case PageKind::bookmarks:
            text = "Bookmarks";
            break;
        case PageKind::history:
            text = "History";
            break;
        }
        if (page->incomplete) {
            text += incomplete_mark;
        }
    } else if (const Page* first = page_to_fetch(&model.history)) {
        // The first page on its way: where it comes from.
        format_page_url(first->address, url, sizeof url);
        text = url;
    } else if (const QueryFor* query = query_for(model.overlay)) {
        format_page_url(query->address, url, sizeof url);
        text = url;
    }
    const Attr& bar = looks_palette(model.looks).header;
    draw_band(frame, cols, bar);
    const int col = centered_column(shown_width(text, TabShow::one_blank), cols);
    std::string shown;
    append_cut(shown, text, cols - col + 1, TabShow::one_blank);
    put_text(frame, 1, col, shown, bar);
}

void draw_band(Frame* frame, int cols, const Attr& look) {
    const int col = centered_column(band_width, cols);
    const int width = cols - col + 1 < band_width ? cols - col + 1 : band_width;
    put_blanks(frame, 1, col, width, look);
}

void start_view_frame(const Model& model, Frame* frame) {
    draw_header(model, frame);
    const int rows = content_rows(model.window.ws_row);
    if (rows > 0) {
        frame->scroll_top = first_content_row;
        frame->scroll_bottom = first_content_row + rows - 1;
    }
}

ScreenPlace content_row_place(const Model& model, int index) {
    return {first_content_row + index, content_column(model.window.ws_col)};
}
