// The item array of a menu, built in two steps so that its first screen can be drawn early.
#pragma once

#include <cstddef>
#include <vector>

#include "gopher/menu_item.hpp"

// The items of one menu: views into the content they were parsed from. Running out of memory
// while they grow ends the run through the out-of-memory handler.
struct MenuItems {
    std::vector<MenuItem> items;
    int selectable_count = 0;
};

[[nodiscard]] inline int item_count(const MenuItems& menu) {
    return static_cast<int>(menu.items.size());
}

// How far a build has got. It belongs to the record of the page on screen, and holds nothing
// that outlives the page: the content and default host it points at are that page's.
struct MenuBuild {
    const char* content = nullptr; // null when nothing waits to be parsed
    bool growing = false;          // the content is still arriving: its last line may be cut
    std::size_t next = 0;          // offset of the first byte not parsed yet
    const char* default_host = "";
    int default_port = 0;
};

// Starts a build, stopping once `wanted` items are made (the rows of the first screen): until
// finish_menu_items, count and selectable_count count only those. The content and default host
// must stay until the build finishes.
void start_menu_items(MenuItems* menu, MenuBuild* build, const char* content,
                      const char* default_host, int default_port, int wanted, bool growing = false);

// The content has grown (it may have moved: content is where it is now) and holds complete
// lines up to its end, or up to its last LF while it is still growing: parses them, up to
// `wanted` items. Once the content has stopped growing, finish_menu_items parses the rest.
void extend_menu_items(MenuItems* menu, MenuBuild* build, const char* content, bool growing,
                       int wanted);

// Parses what start_menu_items left; afterwards the items are exactly what a whole build
// makes. Without anything waiting it does nothing.
void finish_menu_items(MenuItems* menu, MenuBuild* build);
