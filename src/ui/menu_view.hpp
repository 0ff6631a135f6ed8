// The menu view: coloured rows, the selection marker, and the menu's keys.
#pragma once

#include "ui/key_decoder.hpp"

struct Browser;
struct ShownPage;

// Draws, finishes the record's build, then answers events until a key that may show another
// page, after which it returns running; 0 when running is found cleared or input ends (running
// then cleared). Any other key redraws the same page, selection and scroll kept.
[[nodiscard]] int menu_view_loop(Browser* browser, ShownPage* shown);
// The rows on screen from menu_top; the selected link is marked when it is among them.
void draw_menu(const Browser* browser);

// Once the items are whole: the record's layout, and its place from the browser's selection
// and menu_top (kept from a visit or a fetch before) bounded to them and to the window.
void place_menu(Browser* browser, ShownPage* shown);
// A movement key, or a window resized since the place was made; the browser's selection and
// menu_top follow the record's place.
void move_menu(Browser* browser, ShownPage* shown, Key key);
void fit_menu_to_window(Browser* browser, ShownPage* shown);
// draw_menu, after fit_menu_to_window when the window changed since the place was made.
void draw_menu_fitted(Browser* browser, ShownPage* shown);
