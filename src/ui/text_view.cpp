// The text view: lines of a document under the header bar, scrolled by line and page.
#include "ui/text_view.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "nav/model.hpp"
#include "nav/text_position.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"

namespace {

int clamp_to_int(long value) {
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

const char* page_content(const Model& model) {
    const Page* page = model.history.current;
    if (page == nullptr || page->content == nullptr) {
        return "";
    }
    return page->content.get();
}

} // namespace

int bound_text_top(int top, int lines, int visible) {
    const long last_top = static_cast<long>(lines) - visible;
    const long bounded = top < last_top ? top : last_top;
    return bounded < 0 ? 0 : clamp_to_int(bounded);
}

int scroll_text_top(int top, Key key, int visible) {
    switch (key) {
    case Key::page_up: {
        const long up = static_cast<long>(top) - visible;
        return up < 0 ? 0 : clamp_to_int(up);
    }
    case Key::page_down:
        return clamp_to_int(static_cast<long>(top) + visible);
    case Key::up:
        return top > 0 ? top - 1 : top;
    case Key::down:
        return clamp_to_int(static_cast<long>(top) + 1);
    case Key::home:
        return 0;
    case Key::end:
        return INT_MAX;
    default:
        return top;
    }
}

namespace {

// A frame whose first line starts at `first`.
void draw_text_from(const Model& model, const char* first) {
    start_view_frame(model);
    if (model.window.ws_row == 0 || model.window.ws_col == 0) {
        return; // not a terminal: the clear alone
    }
    std::fputs(seq::bold_yellow, stdout);

    const char* at = first;
    const int cols = model.window.ws_col;
    const int rows = content_rows(model.window.ws_row);
    // The band's width, or up to the window's last column when that comes first.
    const int room = cols - content_column(cols) + 1;
    const int cut = room < band_width ? room : band_width;
    std::string row;
    for (int k = 0; k < rows && *at != '\0'; ++k) {
        const char* newline = std::strchr(at, '\n');
        const std::size_t length =
            newline != nullptr ? static_cast<std::size_t>(newline - at) : std::strlen(at);
        place_content_row(model, k);
        row.clear();
        append_cut(row, {at, length}, cut, TabShow::to_tab_stop);
        std::fwrite(row.data(), 1, row.size(), stdout);
        if (newline == nullptr) {
            break;
        }
        at = newline + 1;
    }

    std::fputs(seq::reset, stdout);
}

} // namespace

void draw_text(const Model& model) {
    const ShownPage& shown = model.shown;
    const char* content = page_content(model);
    // The update step keeps the position at text_top; a frame never moves it.
    const bool kept = shown.position.text == content && shown.position.line == shown.text_top;
    draw_text_from(model, kept ? shown.position.at : skip_lines(content, shown.text_top));
}
