// A menu for tests of the menu view, described by one letter per item.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gopher/menu.hpp"
#include "support/model_fixture.hpp"

// Each letter of layout is an item of that type, whose display is "item <index>" unless
// displays gives another; '0', '1', '7' and 'h' are links to beta.lan port 70 with the selector
// "/<index>". The current page (alpha.lan, pushed when there is none) gets the menu as its
// content, shown in a window of that size.
inline void give_menu(ModelFixture* owned, std::string_view layout, int rows, int cols = 80,
                      const std::vector<std::string>& displays = {}) {
    if (owned->model.history.current == nullptr) {
        link_page(&owned->model.history, new_page(address_of("alpha.lan", 70, "", '1')));
    }
    owned->window(rows, cols);
    std::string menu;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const std::string index = std::to_string(i);
        menu += layout[i];
        menu += i < displays.size() && !displays[i].empty() ? displays[i] : "item " + index;
        if (std::strchr("017h", layout[i]) != nullptr) {
            menu += "\t/" + index + "\tbeta.lan\t70";
        } else if (layout[i] == 'i') {
            // As servers send them: a menu whose first line has no TAB is shown as text.
            menu += "\t\tnull.host\t1";
        }
        menu += "\n";
    }
    owned->give_content(menu);
}
