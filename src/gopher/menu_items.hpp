// The item array of a menu, built in two steps so that its first screen can be drawn early.
#pragma once

#include <cstddef>

struct Browser;

// How far a build has got. It belongs to the record of the page on screen, and holds nothing
// that outlives the page: the content and default host it points at are that page's.
struct MenuBuild {
    const char* content = nullptr; // null when nothing waits to be parsed
    std::size_t next = 0;          // offset of the first byte not parsed yet
    std::size_t capacity = 0;      // of the item array, in items
    const char* default_host = "";
    int default_port = 0;
};

// build_menu_items, stopping once `wanted` items are made (the rows of the first screen): until
// finish_menu_items, item_count and selectable_count count only those. The build's defaults are
// those of the browser's current page, which must keep its content until the build finishes.
void start_menu_items(Browser* browser, MenuBuild* build, const char* content, int wanted);

// Parses what start_menu_items left; afterwards the browser holds exactly what
// build_menu_items makes. Without anything waiting it does nothing.
void finish_menu_items(Browser* browser, MenuBuild* build);
