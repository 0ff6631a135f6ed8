// The menu view: coloured rows, the selection marker, and the menu's keys.
#include "ui/menu_view.hpp"

#include <cstdio>

#include "gopher/menu_items.hpp"
#include "nav/history.hpp"
#include "term/screen.hpp"
#include "term/sequences.hpp"
#include "term/terminal.hpp"
#include "term/untrusted.hpp"
#include "ui/about.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/keys.hpp"
#include "ui/menu_selection.hpp"
#include "ui/prompt.hpp"
#include "ui/view_keys.hpp"

namespace {

void open_selected(Browser* browser) {
    for (int i = 0; i < browser->item_count; ++i) {
        const MenuItem& candidate = browser->items[i];
        if (!candidate.selectable || candidate.ordinal != browser->selected) {
            continue;
        }
        // A copy: the prompt and push_page must not depend on the array staying put.
        const MenuItem item = candidate;
        if (item.type == '7') {
            prompt_search(browser, &item);
        } else {
            push_page(browser, item.host, item.port, item.selector, item.type);
        }
        return;
    }
}

} // namespace

void draw_menu(const Browser* browser) {
    start_view_frame(browser);
    const int rows = menu_page_size(browser->winsize.ws_row);
    const int top = browser->menu_top;
    if (rows > 0 && top >= 0 && top < browser->item_count) {
        const int col = content_column(browser->winsize.ws_col);
        // Only the rows on screen are visited, however long the menu.
        const int last = browser->item_count - top < rows ? browser->item_count - top : rows;
        for (int k = 1; k <= last; ++k) {
            const MenuItem& item = browser->items[top + k - 1];
            const int highlight = item.selectable && item.ordinal == browser->selected;
            std::fputs(type_color(item.type, highlight), stdout);
            move_cursor(3 + k, col);
            std::fputs(highlight ? "->" : "  ", stdout);
            print_untrusted(item.display);
            std::fputs(seq::reset, stdout);
        }
    }
    std::fflush(stdout);
}

void handle_menu_key(Browser* browser, unsigned char key) {
    switch (key) {
    case '\n':
    case '\r':
        open_selected(browser);
        break;
    case 'a':
        show_about(browser);
        break;
    default:
        handle_view_key(browser, key);
        break;
    }
}

int menu_view_loop(Browser* browser) {
    draw_menu(browser);
    // A long menu shows its first screen before the rest of it is parsed; no key is read
    // before the items are complete.
    finish_menu_items(browser);
    for (;;) {
        if (!browser->running) {
            return 0;
        }
        if (take_pending_resize(&browser->winsize)) {
            draw_menu(browser);
            continue;
        }
        const KeyRead key = read_key(&browser->input);
        switch (key.kind) {
        case KeyKind::closed:
            // Nobody is left to press 'q'.
            browser->running = 0;
            return 0;
        case KeyKind::movement:
            move_selection(browser, key.byte);
            draw_menu(browser);
            break;
        case KeyKind::single:
            handle_menu_key(browser, key.byte);
            return browser->running;
        case KeyKind::none:
        case KeyKind::dropped:
            break;
        }
    }
}
