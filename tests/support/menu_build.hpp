// A menu's items built in one go: what the program's two steps (the first screen, then the
// rest) are held against by the tests, the fuzz targets and the benchmarks.
#pragma once

#include <climits>

#include "gopher/menu_items.hpp"

// Replaces the items with all those of the content. default_host must outlive the items' use,
// as the content must.
inline void build_menu_items(MenuItems* menu, const char* content, const char* default_host,
                             int default_port) {
    MenuBuild build;
    start_menu_items(menu, &build, content, default_host, default_port, INT_MAX);
}
