// The search and address prompts on the bottom row.
#include "ui/prompt.hpp"

#include <cstdio>
#include <string_view>
#include <unistd.h>

#include "gopher/address.hpp"
#include "gopher/bounded_copy.hpp"
#include "gopher/fields.hpp"
#include "nav/browser.hpp"
#include "nav/history.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/terminal.hpp"
#include "ui/bottom_message.hpp"
#include "ui/geometry.hpp"
#include "ui/key_reader.hpp"
#include "ui/page_frame.hpp"

namespace {

// A query is cut like a selector, a typed address like any address.
constexpr int query_limit = static_cast<int>(selector_max);
constexpr int address_limit = static_cast<int>(address_max);

enum class LineEnd { accepted, cancelled, input_ended };

// What is typed, and where the row shows it. Only printable ASCII is typed, one column a
// character, so the tail that fits is the last `field` characters.
struct PromptLine {
    std::string_view label;
    char* text;
    int limit;
    int count = 0;
    int input_col = 0; // just after the label as shown
    int field = 0;     // columns for the input: up to the last, left free for the cursor
};

bool has_window(const Browser* browser) {
    return browser->winsize.ws_row > 0 && browser->winsize.ws_col > 0;
}

// The input's last characters that fit, from the field's first column.
void draw_tail(const Browser* browser, const PromptLine& line) {
    const int shown = line.count < line.field ? line.count : line.field;
    move_cursor(browser->winsize.ws_row, line.input_col);
    std::fwrite(line.text + line.count - shown, 1, static_cast<std::size_t>(shown), stdout);
}

void draw_prompt(const Browser* browser, PromptLine* line) {
    if (!has_window(browser)) {
        return; // not a terminal: nothing to draw on
    }
    line->input_col = draw_bottom_message(browser->winsize, seq::bold_bright_blue, line->label);
    line->field = browser->winsize.ws_col - line->input_col;
    draw_tail(browser, *line);
    set_cursor_visible(1);
}

// Today's echo while the input fits: the character written, or the last one blanked; past
// the field the tail is written again, shifted by one.
void echo_change(const Browser* browser, const PromptLine& line, int before) {
    if (!has_window(browser)) {
        return;
    }
    if (line.count > line.field || before > line.field) {
        draw_tail(browser, line);
    } else if (line.count > before) {
        std::putchar(line.text[line.count - 1]);
    } else {
        move_cursor(browser->winsize.ws_row, line.input_col + before);
        std::fputs(seq::erase_left, stdout);
    }
    std::fflush(stdout);
}

// Draws the label and reads one line into line->text (room for limit characters and the NUL),
// echoing it. Enter accepts, Esc cancels, and any other key that is not a character or
// Backspace is passed over whole.
LineEnd read_line(Browser* browser, ShownPage* shown, PromptLine* line) {
    draw_prompt(browser, line);
    LineEnd end = LineEnd::accepted;
    for (bool reading = true; reading;) {
        if (take_pending_resize(&browser->winsize)) {
            draw_page_frame(browser, shown);
            draw_prompt(browser, line);
            continue;
        }
        const Input input = read_input(&browser->keys, STDIN_FILENO);
        if (input.kind == InputKind::ended) {
            end = LineEnd::input_ended;
            break;
        }
        if (input.kind != InputKind::key) {
            continue;
        }
        const int before = line->count;
        switch (input.key.key) {
        case Key::escape:
            end = LineEnd::cancelled;
            reading = false;
            break;
        case Key::back:
            if (line->count > 0) {
                --line->count;
                echo_change(browser, *line, before);
            }
            break;
        case Key::byte: {
            const unsigned char byte = input.key.byte;
            if (byte == '\r' || byte == '\n') {
                reading = false;
            } else if (byte >= 0x20 && byte <= 0x7e && line->count < line->limit) {
                line->text[line->count++] = static_cast<char>(byte);
                echo_change(browser, *line, before);
            }
            break;
        }
        default:
            break;
        }
    }
    line->text[end == LineEnd::accepted ? line->count : 0] = '\0';
    if (end != LineEnd::accepted) {
        line->count = 0;
    }
    if (end == LineEnd::input_ended) {
        browser->running = 0;
    }
    if (has_window(browser)) {
        set_cursor_visible(0);
    }
    return end;
}

void clear_prompt_row(const Browser* browser) {
    if (has_window(browser)) {
        clear_row(browser->winsize.ws_row, browser->winsize.ws_col);
        std::fflush(stdout);
    }
}

// Shows the message in red on the prompt's row until a key is pressed; the key is used up
// whole. False when the input ended instead.
bool show_error(Browser* browser, ShownPage* shown, std::string_view message) {
    draw_bottom_message(browser->winsize, seq::bold_red, message);
    for (;;) {
        if (take_pending_resize(&browser->winsize)) {
            draw_page_frame(browser, shown);
            draw_bottom_message(browser->winsize, seq::bold_red, message);
            continue;
        }
        const Input input = read_input(&browser->keys, STDIN_FILENO);
        if (input.kind == InputKind::key) {
            return true;
        }
        if (input.kind == InputKind::ended) {
            browser->running = 0;
            return false;
        }
    }
}

} // namespace

void prompt_search(Browser* browser, ShownPage* shown, const MenuItem* item) {
    char query[query_limit + 1] = {};
    // 'q' is typed like any letter: a query may well contain one.
    PromptLine line{prompt_label(PromptKind::search), query, query_limit};
    const LineEnd end = read_line(browser, shown, &line);
    clear_prompt_row(browser);
    if (end != LineEnd::accepted || line.count == 0) {
        return;
    }
    // The item is a view into the page on screen, read before push_page makes another page
    // current.
    const char* content = browser->current->content ? browser->current->content.get() : "";
    const std::string_view item_selector = menu_item_selector(*item, content);
    // Cut to a selector's room, the request would lose its query, or all of it past the TAB.
    if (item_selector.size() + 1 + static_cast<std::size_t>(line.count) > selector_max) {
        if (show_error(browser, shown, "Error: Search too long.")) {
            clear_prompt_row(browser);
        }
        return;
    }
    char host[host_room];
    copy_bounded(host, menu_item_host(*item, content, browser->current->host), host_max);
    char selector[selector_room + 1 + sizeof query];
    std::snprintf(selector, sizeof selector, "%.*s\t%s", static_cast<int>(item_selector.size()),
                  item_selector.data(), query);
    push_page(browser, host, item->port, selector, item->type);
}

void prompt_open_url(Browser* browser, ShownPage* shown) {
    for (;;) {
        char address[address_limit + 1] = {};
        PromptLine line{prompt_label(PromptKind::address), address, address_limit};
        if (read_line(browser, shown, &line) != LineEnd::accepted || line.count == 0) {
            clear_prompt_row(browser);
            return;
        }
        char host[host_room];
        int port = 0;
        char selector[selector_room];
        char type = '1';
        if (parse_gopher_address(address, host, &port, selector, &type)) {
            push_page(browser, host, port, selector, type);
            return;
        }
        if (!show_error(browser, shown, "Error: Invalid Gopher address format. Press any key.")) {
            return;
        }
    }
}
