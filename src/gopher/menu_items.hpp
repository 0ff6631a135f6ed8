// The item array of a menu, built in two steps so that its first screen can be drawn early.
#pragma once

#include "nav/browser.hpp"

// build_menu_items, stopping once `wanted` items are made (the rows of the first screen): until
// finish_menu_items, item_count and selectable_count count only those. The rest of the content
// waits in a private copy. A new build drops what waits for the same browser, whose array it
// replaces, and finishes what waits for another.
void start_menu_items(Browser* browser, const char* content, int wanted);

// Parses what start_menu_items left; afterwards the browser holds exactly what
// build_menu_items makes. Without a waiting build for this browser it does nothing.
void finish_menu_items(Browser* browser);
