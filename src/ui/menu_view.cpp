// The menu view: coloured rows, the selection marker, and the menu's keys.
#include "ui/menu_view.hpp"

#include <cstdio>
#include <string>
#include <string_view>

#include "gopher/bounded_copy.hpp"
#include "gopher/fields.hpp"
#include "gopher/menu_items.hpp"
#include "nav/history.hpp"
#include "nav/shown_page.hpp"
#include "term/sequences.hpp"
#include "term/width.hpp"
#include "ui/about.hpp"
#include "ui/geometry.hpp"
#include "ui/header.hpp"
#include "ui/menu_selection.hpp"
#include "ui/prompt.hpp"
#include "ui/view_event.hpp"
#include "ui/view_keys.hpp"

namespace {

const char* items_content(const Browser* browser) {
    return browser->current != nullptr && browser->current->content
               ? browser->current->content.get()
               : "";
}

void open_selected(Browser* browser, ShownPage* shown) {
    for (int i = 0; i < browser->item_count; ++i) {
        const MenuItem& item = browser->items[i];
        if (!item.selectable || item.ordinal != browser->selected) {
            continue;
        }
        if (item.type == '7') {
            const MenuItem search = item;
            prompt_search(browser, shown, &search);
            return;
        }
        // Copies: push_page makes another page current, whose content the views do not hold.
        const char* content = items_content(browser);
        char host[host_room];
        char selector[selector_room];
        copy_bounded(host, menu_item_host(item, content, browser->current->host), host_max);
        copy_bounded(selector, menu_item_selector(item, content), selector_max);
        push_page(browser, host, item.port, selector, item.type);
        return;
    }
}

} // namespace

void draw_menu(const Browser* browser) {
    start_view_frame(browser);
    const int rows = content_rows(browser->winsize.ws_row);
    const int top = browser->menu_top;
    // A row runs to the window's last column, and no further: past it the terminal would wrap.
    const int cols = browser->winsize.ws_col;
    const int room = cols - content_column(cols) + 1;
    if (rows > 0 && cols > 0 && top >= 0 && top < browser->item_count) {
        const char* content = items_content(browser);
        std::string row;
        // Only the rows on screen are visited, however long the menu.
        const int last = browser->item_count - top < rows ? browser->item_count - top : rows;
        for (int k = 0; k < last; ++k) {
            const MenuItem& item = browser->items[top + k];
            const int highlight = item.selectable && item.ordinal == browser->selected;
            std::fputs(type_color(item.type, highlight), stdout);
            place_content_row(browser, k);
            const std::string_view marker = highlight ? "->" : "  ";
            row.assign(marker.substr(0, room < 2 ? 1 : 2));
            append_cut(row, menu_item_display(item, content), room - 2, TabShow::to_tab_stop);
            std::fwrite(row.data(), 1, row.size(), stdout);
            std::fputs(seq::reset, stdout);
        }
    }
    std::fflush(stdout);
}

void handle_menu_key(Browser* browser, ShownPage* shown, unsigned char key) {
    switch (key) {
    case '\n':
    case '\r':
        open_selected(browser, shown);
        break;
    case 'a':
        show_about(browser);
        break;
    default:
        handle_view_key(browser, shown, key);
        break;
    }
}

int menu_view_loop(Browser* browser, ShownPage* shown) {
    draw_menu(browser);
    // A long menu shows its first screen before the rest of it is parsed; every key is read
    // after this, so no key meets a menu with part of its items.
    finish_menu_items(browser, &shown->build);
    for (;;) {
        const ViewEvent event = next_view_event(browser);
        switch (event.kind) {
        case ViewEventKind::ended:
            return 0;
        case ViewEventKind::resize:
            draw_menu(browser);
            break;
        case ViewEventKind::movement:
            move_selection(browser, shown, event.key);
            draw_menu(browser);
            break;
        case ViewEventKind::command:
            handle_menu_key(browser, shown, event.key);
            return browser->running;
        }
    }
}
