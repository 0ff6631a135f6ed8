// The text view: lines of a document under the header bar, scrolled by line and page.
#include "ui/text_view.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "nav/browser.hpp"
#include "nav/line_count.hpp"
#include "nav/shown_page.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/about.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/view_event.hpp"
#include "ui/view_keys.hpp"

namespace {

int clamp_to_int(long value) {
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

const char* page_content(const Browser* browser) {
    if (browser->current == nullptr || browser->current->content == nullptr) {
        return "";
    }
    return browser->current->content.get();
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
void draw_text_from(const Browser* browser, const char* first) {
    start_view_frame(browser);
    if (browser->winsize.ws_row == 0 || browser->winsize.ws_col == 0) {
        std::fflush(stdout);
        return; // not a terminal: the clear alone
    }
    std::fputs(seq::bold_yellow, stdout);

    const char* at = first;
    const int cols = browser->winsize.ws_col;
    const int rows = content_rows(browser->winsize.ws_row);
    // The band's width, or up to the window's last column when that comes first.
    const int room = cols - content_column(cols) + 1;
    const int cut = room < band_width ? room : band_width;
    std::string row;
    for (int k = 0; k < rows && *at != '\0'; ++k) {
        const char* newline = std::strchr(at, '\n');
        const std::size_t length =
            newline != nullptr ? static_cast<std::size_t>(newline - at) : std::strlen(at);
        place_content_row(browser, k);
        row.clear();
        append_cut(row, {at, length}, cut, TabShow::to_tab_stop);
        std::fwrite(row.data(), 1, row.size(), stdout);
        if (newline == nullptr) {
            break;
        }
        at = newline + 1;
    }

    std::fputs(seq::reset, stdout);
    std::fflush(stdout);
}

} // namespace

void draw_text(const Browser* browser, ShownPage* shown) {
    const char* content = page_content(browser);
    draw_text_from(browser, seek_line(&shown->position, content, browser->text_top));
}

namespace {

bool is_movement(Key key) {
    return key == Key::up || key == Key::down || key == Key::page_up || key == Key::page_down ||
           key == Key::home || key == Key::end;
}

// Once per content: the record keeps the count for every later entry of the view.
void count_text(Browser* browser, ShownPage* shown) {
    if (shown->text_lines < 0) {
        count_lines(browser, page_content(browser));
        shown->text_lines = browser->text_lines;
    }
    browser->text_lines = shown->text_lines;
}

// Bound, then draw: no frame shows empty rows while lines remain above them.
} // namespace

void bound_and_draw(Browser* browser, ShownPage* shown) {
    browser->text_top = bound_text_top(browser->text_top, browser->text_lines,
                                       text_visible_rows(browser->winsize.ws_row));
    draw_text(browser, shown);
}

int text_view_loop(Browser* browser, ShownPage* shown) {
    if (browser->text_top == 0) {
        // The top is always within the text: a long text shows its first screen before its
        // lines are counted.
        draw_text(browser, shown);
        count_text(browser, shown);
    } else {
        // A line kept from a visit or a fetch before, bounded to this content first.
        count_text(browser, shown);
        bound_and_draw(browser, shown);
    }
    for (;;) {
        const ViewEvent event = next_view_event(browser);
        switch (event.kind) {
        case ViewEventKind::ended:
            return 0;
        case ViewEventKind::resize:
            bound_and_draw(browser, shown);
            break;
        case ViewEventKind::key:
            if (is_movement(event.key.key)) {
                browser->text_top = scroll_text_top(browser->text_top, event.key.key,
                                                    text_visible_rows(browser->winsize.ws_row));
            } else if (event.key.key == Key::byte && event.key.byte == 'a') {
                show_about(browser);
            } else if (handle_view_key(browser, shown, event.key)) {
                return browser->running;
            }
            // Every key read ends with a frame, even one that changes nothing.
            bound_and_draw(browser, shown);
            break;
        }
    }
}
