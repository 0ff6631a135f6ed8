// The search and address prompts on the bottom row.
#include "ui/prompt.hpp"

#include <cstdio>
#include <tuple>
#include <unistd.h>

#include "gopher/address.hpp"
#include "nav/history.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "ui/geometry.hpp"
#include "ui/keys.hpp"

namespace {

constexpr unsigned char backspace = 0x08;
constexpr unsigned char del = 0x7f;
constexpr unsigned char esc = 0x1b;

constexpr int query_limit = 1023;
constexpr int address_limit = 1289;

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
// Input that ends or fails drops what was typed and ends the run: nobody is left to confirm.
int read_line(Browser* browser, const PromptPlace& place, const char* label, char* text,
              int limit) {
    clear_row(place.row, place.width);
    move_cursor(place.row, place.label_col);
    std::printf("%s%s%s", seq::bold_bright_blue, label, seq::reset);
    move_cursor(place.row, place.input_col);
    set_cursor_visible(1);

    int count = 0;
    for (;;) {
        unsigned char byte = 0;
        if (!read_byte(&browser->input, &byte)) {
            browser->running = 0;
            count = 0;
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

} // namespace

void prompt_search(Browser* browser, const MenuItem* item) {
    const PromptPlace place = prompt_place(browser, PromptKind::search);
    char query[query_limit + 1] = {};
    // 'q' is typed like any letter: a query may well contain one.
    const int count = read_line(browser, place, "Search query: ", query, query_limit);
    clear_row(place.row, place.width);
    if (count == 0) {
        return;
    }
    // push_page keeps the first 1023 characters, so a long selector loses the query.
    char selector[sizeof item->selector + 1 + sizeof query];
    std::snprintf(selector, sizeof selector, "%s\t%s", item->selector, query);
    push_page(browser, item->host, item->port, selector, item->type);
}

void prompt_open_url(Browser* browser) {
    const PromptPlace place = prompt_place(browser, PromptKind::address);
    for (;;) {
        char address[address_limit + 1] = {};
        if (read_line(browser, place, "Open URL: ", address, address_limit) == 0) {
            clear_row(place.row, place.width);
            return;
        }
        char host[256];
        int port = 0;
        char selector[1024];
        char type = '1';
        if (parse_gopher_address(address, host, &port, selector, &type)) {
            push_page(browser, host, port, selector, type);
            return;
        }
        clear_row(place.row, place.width);
        move_cursor(place.row, place.label_col);
        std::printf("%sError: Invalid Gopher address format. Press any key.%s", seq::bold_red,
                    seq::reset);
        std::fflush(stdout);
        unsigned char ignored = 0;
        if (!read_byte(&browser->input, &ignored)) {
            browser->running = 0;
            return;
        }
    }
}
