// Colours of menu rows and the movement of the selection.
#pragma once

#include "nav/browser.hpp"

[[nodiscard]] const char* type_color(char type, int highlight);
// key: the third byte of a movement sequence ('A', 'B', '5', '6', or any other).
void move_selection(Browser* browser, unsigned char key);
