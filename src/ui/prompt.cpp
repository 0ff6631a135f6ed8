// The search and address prompts on the bottom row.
#include "ui/prompt.hpp"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>
#include <unistd.h>

#include "gopher/address.hpp"
#include "gopher/bounded_copy.hpp"
#include "gopher/fields.hpp"
#include "nav/browser.hpp"
#include "nav/history.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "ui/geometry.hpp"

namespace {

constexpr unsigned char backspace = 0x08;
constexpr unsigned char del = 0x7f;
constexpr unsigned char esc = 0x1b;

// A query is cut like a selector, a typed address like any address.
constexpr int query_limit = static_cast<int>(selector_max);
constexpr int address_limit = static_cast<int>(address_max);

struct PromptPlace {
    int row;
    int width;
    int label_col;
    int input_col;
};

PromptPlace prompt_place(const Browser* browser, PromptKind kind) {
    const int cols = browser->winsize.ws_col;
    return {browser->winsize.ws_row, cols, prompt_label_column(cols),
            prompt_input_column(cols, kind)};
}

// Draws the label and reads one line into text (room for limit characters and the NUL),
// echoing it. Returns the number of characters kept: 0 when cancelled or nothing was typed.
// A read that ends or fails accepts what was typed so far.
int read_line(const PromptPlace& place, std::string_view label, char* text, int limit) {
    clear_row(place.row, place.width);
    move_cursor(place.row, place.label_col);
    std::printf("%s%.*s%s", seq::bold_bright_blue, static_cast<int>(label.size()), label.data(),
                seq::reset);
    move_cursor(place.row, place.input_col);
    set_cursor_visible(1);

    int count = 0;
    for (;;) {
        unsigned char byte = 0;
        if (read(STDIN_FILENO, &byte, 1) != 1) {
            break;
        }
        if (byte == '\n' || byte == '\r') {
            break;
        }
        if (byte == esc) {
            count = 0;
            break;
        }
        if (byte == backspace || byte == del) {
            if (count > 0) {
                move_cursor(place.row, place.input_col + count);
                std::fputs(seq::erase_left, stdout);
                --count;
                std::fflush(stdout);
            }
        } else if (byte >= 0x20 && byte <= 0x7e && count < limit) {
            text[count++] = static_cast<char>(byte);
            std::putchar(byte);
            std::fflush(stdout);
        }
    }
    text[count] = '\0';
    set_cursor_visible(0);
    return count;
}

// Shows the message in red on the prompt's row until a key is pressed; the key is used up.
void show_error(const PromptPlace& place, const char* message) {
    clear_row(place.row, place.width);
    move_cursor(place.row, place.label_col);
    std::printf("%s%s%s", seq::bold_red, message, seq::reset);
    std::fflush(stdout);
    unsigned char ignored = 0;
    std::ignore = read(STDIN_FILENO, &ignored, 1);
}

} // namespace

void prompt_search(Browser* browser, const MenuItem* item) {
    const PromptPlace place = prompt_place(browser, PromptKind::search);
    char query[query_limit + 1] = {};
    // 'q' is typed like any letter: a query may well contain one.
    const int count = read_line(place, prompt_label(PromptKind::search), query, query_limit);
    clear_row(place.row, place.width);
    if (count == 0) {
        return;
    }
    // The item is a view into the page on screen, read before push_page makes another page
    // current.
    const char* content = browser->current->content ? browser->current->content.get() : "";
    const std::string_view item_selector = menu_item_selector(*item, content);
    // Cut to a selector's room, the request would lose its query, or all of it past the TAB.
    if (item_selector.size() + 1 + static_cast<std::size_t>(count) > selector_max) {
        show_error(place, "Error: Search too long.");
        clear_row(place.row, place.width);
        return;
    }
    char host[host_room];
    copy_bounded(host, menu_item_host(*item, content, browser->current->host), host_max);
    char selector[selector_room + 1 + sizeof query];
    std::snprintf(selector, sizeof selector, "%.*s\t%s", static_cast<int>(item_selector.size()),
                  item_selector.data(), query);
    push_page(browser, host, item->port, selector, item->type);
}

void prompt_open_url(Browser* browser) {
    const PromptPlace place = prompt_place(browser, PromptKind::address);
    for (;;) {
        char address[address_limit + 1] = {};
        if (read_line(place, prompt_label(PromptKind::address), address, address_limit) == 0) {
            clear_row(place.row, place.width);
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
        show_error(place, "Error: Invalid Gopher address format. Press any key.");
    }
}
