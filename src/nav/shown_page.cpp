// What is worked out from the page on screen, kept while the same content comes back.
#include "nav/shown_page.hpp"

#include <climits>

#include "ui/geometry.hpp"

void prepare_shown_page(Browser* browser, ShownPage* shown, int menu) {
    const Page* page = browser->current;
    const ShownKey key{page, page != nullptr ? page->fetch : 0};
    if (!(shown->key == key)) {
        *shown = ShownPage{};
        shown->key = key;
        browser->items.reset();
        browser->item_count = 0;
        browser->selectable_count = 0;
    }
    if (!menu || page == nullptr || !page->content) {
        return;
    }
    if (shown->menu_started) {
        finish_menu_items(browser, &shown->build);
        return;
    }
    const long first_screen =
        static_cast<long>(browser->menu_top) + content_rows(browser->winsize.ws_row);
    // Where the user was (back, forward, reload) survives the build, which starts at 1.
    const int selected = browser->selected;
    start_menu_items(browser, &shown->build, page->content.get(),
                     first_screen < INT_MAX ? static_cast<int>(first_screen) : INT_MAX);
    browser->selected = selected;
    shown->menu_started = true;
}

void stamp_fetch(Browser* browser) {
    if (browser->current != nullptr) {
        browser->current->fetch = ++browser->fetches;
    }
}
