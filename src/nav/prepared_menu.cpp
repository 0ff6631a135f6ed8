// The items of the menu shown last, kept while its content stays the same.
#include "nav/prepared_menu.hpp"

#include <climits>

#include "gopher/menu_items.hpp"
#include "ui/geometry.hpp"

void prepare_menu(Browser* browser, PreparedMenu* prepared) {
    const char* content = browser->current->content.get();
    if (content == prepared->content) {
        finish_menu_items(browser);
        browser->selected = 1;
        return;
    }
    const long first_screen =
        static_cast<long>(browser->menu_top) + menu_page_size(browser->winsize.ws_row);
    start_menu_items(browser, content,
                     first_screen < INT_MAX ? static_cast<int>(first_screen) : INT_MAX);
    prepared->content = content;
}

void forget_prepared_menu(PreparedMenu* prepared) {
    prepared->content = nullptr;
}
