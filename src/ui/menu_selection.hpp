// Colours of menu rows and the movement of the selection.
#pragma once

struct Browser;
struct ShownPage;

[[nodiscard]] const char* type_color(char type, int highlight);
// key: the third byte of a movement sequence ('A', 'B', '5', '6', or any other). The search for
// the selected item starts from the record's search_from, a guess checked before it is used.
void move_selection(Browser* browser, ShownPage* shown, unsigned char key);
