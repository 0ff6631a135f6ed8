// A menu for tests of the menu view, described by one letter per item.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "nav/browser.hpp"

// Each letter of layout is an item of that type; '0', '1', '7' and 'h' are selectable. The
// browser gets the items, their ordinals, and the window size.
inline void give_menu(Browser* browser, std::string_view layout, int rows, int cols = 80) {
    browser->items.reset(static_cast<MenuItem*>(std::calloc(layout.size() + 1, sizeof(MenuItem))));
    browser->item_count = static_cast<int>(layout.size());
    browser->selectable_count = 0;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        MenuItem& item = browser->items[i];
        item.type = layout[i];
        item.selectable = std::strchr("017h", layout[i]) != nullptr;
        if (item.selectable) {
            item.ordinal = ++browser->selectable_count;
            std::strcpy(item.host, "beta.lan");
            item.port = 70;
        }
    }
    browser->selected = 1;
    browser->winsize.ws_row = static_cast<unsigned short>(rows);
    browser->winsize.ws_col = static_cast<unsigned short>(cols);
}
