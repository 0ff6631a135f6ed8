// The text view: lines of a document under the header bar, scrolled by line and page.
#include "ui/text_view.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "nav/line_count.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/terminal.hpp"
#include "term/untrusted.hpp"
#include "ui/about.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/keys.hpp"
#include "ui/view_keys.hpp"

namespace {

constexpr std::size_t line_cut = 78; // bytes shown of each line

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

int scroll_text_top(int top, unsigned char key, int visible) {
    switch (key) {
    case '5': {
        const long up = static_cast<long>(top) - visible;
        return up < 0 ? 0 : clamp_to_int(up);
    }
    case '6':
        return clamp_to_int(static_cast<long>(top) + visible);
    case 'A':
        return top > 0 ? top - 1 : top;
    case 'B':
        return clamp_to_int(static_cast<long>(top) + 1);
    default:
        return top;
    }
}

namespace {

// A frame whose first line starts at `first`.
void draw_text_from(const Browser* browser, const char* first) {
    start_view_frame(browser);
    std::fputs(seq::bold_yellow, stdout);

    const char* at = first;
    const int rows = browser->winsize.ws_row >= 5 ? browser->winsize.ws_row - 4 : 0;
    const int col = content_column(browser->winsize.ws_col);
    for (int k = 0; k < rows && *at != '\0'; ++k) {
        const char* newline = std::strchr(at, '\n');
        const std::size_t length =
            newline != nullptr ? static_cast<std::size_t>(newline - at) : std::strlen(at);
        move_cursor(4 + k, col);
        print_untrusted({at, length < line_cut ? length : line_cut});
        if (newline == nullptr) {
            break;
        }
        at = newline + 1;
    }

    std::fputs(seq::reset, stdout);
    std::fflush(stdout);
}

} // namespace

void draw_text(const Browser* browser, const char* content) {
    draw_text_from(browser, skip_lines(content, browser->text_top));
}

int text_view_loop(Browser* browser) {
    TextMemo memo;
    return text_view_loop(browser, &memo);
}

int text_view_loop(Browser* browser, TextMemo* memo) {
    const char* content = page_content(browser);
    if (memo->content != content) {
        *memo = TextMemo{};
        memo->content = content;
    }
    // Each frame's first line is found from the previous frame's, not from the top of the text.
    const auto redraw = [&] {
        draw_text_from(browser, seek_line(&memo->position, content, browser->text_top));
    };
    redraw();
    // The content cannot change while the view runs, so one count serves every cycle, and
    // every later call for the same content.
    if (memo->lines < 0) {
        count_lines(browser, content);
        memo->lines = browser->text_lines;
    }
    browser->text_lines = memo->lines;
    for (;;) {
        if (!browser->running) {
            return 0;
        }
        const int visible = text_visible_rows(browser->winsize.ws_row);
        browser->text_top = bound_text_top(browser->text_top, browser->text_lines, visible);
        if (take_pending_resize(&browser->winsize)) {
            redraw();
            continue;
        }
        const KeyRead key = read_key(&browser->input);
        switch (key.kind) {
        case KeyKind::closed:
            // Nobody is left to press 'q'.
            browser->running = 0;
            return 0;
        case KeyKind::movement:
            // Drawn before the bound, which the next cycle applies without a redraw.
            browser->text_top = scroll_text_top(browser->text_top, key.byte, visible);
            redraw();
            continue;
        case KeyKind::single:
            break;
        case KeyKind::none:
        case KeyKind::dropped:
            continue;
        }
        // The about screen is the one key after which the text view keeps control.
        if (key.byte == 'a') {
            show_about(browser);
            redraw();
            continue;
        }
        handle_view_key(browser, key.byte);
        return browser->running;
    }
}
