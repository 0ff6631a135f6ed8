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

int rows_of(const Browser* browser) {
    return content_rows(browser->winsize.ws_row);
}

void show_place(Browser* browser, ShownPage* shown, MenuPlace place) {
    shown->place = place;
    shown->place_rows = rows_of(browser);
    browser->menu_top = place.top;
    if (place.selected >= 0) {
        browser->selected = shown->layout.rows[static_cast<std::size_t>(place.selected)].ordinal;
    }
}

// The item on the selected row: a search asks for its query, any other link is pushed.
void open_item(Browser* browser, ShownPage* shown, const MenuItem& item) {
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
}

// True when the key may have shown another page: the view then returns to the browse loop.
bool answer_menu_key(Browser* browser, ShownPage* shown, DecodedKey key) {
    switch (key.key) {
    case Key::up:
    case Key::down:
    case Key::page_up:
    case Key::page_down:
    case Key::home:
    case Key::end:
        move_menu(browser, shown, key.key);
        return false;
    case Key::byte:
        break;
    default:
        return handle_view_key(browser, shown, key);
    }
    if (key.byte == '\n' || key.byte == '\r') {
        // Only the item the user can see marked is opened.
        if (!marker_on_screen(shown->place, rows_of(browser))) {
            return false;
        }
        open_item(browser, shown,
                  shown->layout.rows[static_cast<std::size_t>(shown->place.selected)]);
        return true;
    }
    if (key.byte == 'a') {
        show_about(browser);
        return false;
    }
    return handle_view_key(browser, shown, key);
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

void place_menu(Browser* browser, ShownPage* shown) {
    shown->layout =
        menu_layout({browser->items.get(), static_cast<std::size_t>(browser->item_count)});
    show_place(
        browser, shown,
        bound_menu_place(shown->layout, browser->selected, browser->menu_top, rows_of(browser)));
    shown->placed = true;
}

void move_menu(Browser* browser, ShownPage* shown, Key key) {
    show_place(browser, shown, move_in_menu(shown->layout, shown->place, rows_of(browser), key));
}

void fit_menu_to_window(Browser* browser, ShownPage* shown) {
    show_place(browser, shown,
               resize_menu_place(shown->layout, shown->place, shown->place_rows, rows_of(browser)));
}

void draw_menu_fitted(Browser* browser, ShownPage* shown) {
    // A prompt or the about screen may have taken a resize while it had control.
    if (shown->placed && shown->place_rows != rows_of(browser)) {
        fit_menu_to_window(browser, shown);
    }
    draw_menu(browser);
}

int menu_view_loop(Browser* browser, ShownPage* shown) {
    if (!shown->placed) {
        if (shown->build.content != nullptr) {
            // A long menu shows its first screen before the rest of it is parsed: that screen
            // is full, parsed to its last row. Every key is read after this, so no key meets a
            // menu with part of its items.
            draw_menu(browser);
            const int top = browser->menu_top;
            const int selected = browser->selected;
            finish_menu_items(browser, &shown->build);
            place_menu(browser, shown);
            if (browser->menu_top != top || browser->selected != selected) {
                draw_menu(browser);
            }
        } else {
            place_menu(browser, shown);
            draw_menu(browser);
        }
    } else {
        // The browse loop takes a resize that came while a command had control.
        draw_menu_fitted(browser, shown);
    }
    for (;;) {
        const ViewEvent event = next_view_event(browser);
        switch (event.kind) {
        case ViewEventKind::ended:
            return 0;
        case ViewEventKind::resize:
            draw_menu_fitted(browser, shown);
            break;
        case ViewEventKind::key:
            if (answer_menu_key(browser, shown, event.key)) {
                return browser->running;
            }
            // Every key read ends with a frame, even one that changes nothing.
            draw_menu_fitted(browser, shown);
            break;
        }
    }
}
