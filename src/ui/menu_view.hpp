// The menu view: coloured rows, the selection marker, and the menu's keys.
#pragma once

#include "nav/browser.hpp"

// Returns running after the first single-byte key, or 0 when running is found cleared. At the
// end of input nobody can quit any more: running is cleared and 0 returned.
[[nodiscard]] int menu_view_loop(Browser* browser);
void draw_menu(const Browser* browser);
void handle_menu_key(Browser* browser, unsigned char key);
