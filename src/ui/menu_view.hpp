// The menu view: coloured rows, the selection marker, and the menu's keys.
#pragma once

struct Browser;
struct ShownPage;

// Draws, finishes the record's build, then answers events until a single-byte key, after which
// it returns running; 0 when running is found cleared or input ends (running then cleared).
[[nodiscard]] int menu_view_loop(Browser* browser, ShownPage* shown);
void draw_menu(const Browser* browser);
void handle_menu_key(Browser* browser, ShownPage* shown, unsigned char key);
