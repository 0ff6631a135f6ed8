// Where the movement keys take a menu: every row within reach, and the marker on screen
// whenever a link is.
#pragma once

#include <span>

#include "gopher/menu_item.hpp"
#include "term/key_decoder.hpp"

// The rows of a menu, a link being a selectable item, and where its links begin and end.
struct MenuLayout {
    std::span<const MenuItem> rows;
    int first_link = -1; // row of the first link; -1 in a menu without links
    int last_link = -1;
};

// What is on screen: the rows from top on, and the selected link, which may lie off screen
// while no link is on it.
struct MenuPlace {
    int top = 0;
    int selected = -1; // row of the selected link; -1 in a menu without links
};

// Looks for the first and the last link from the ends of the menu: once per menu.
[[nodiscard]] MenuLayout menu_layout(std::span<const MenuItem> rows);

// Where key takes place on a screen of rows content rows. Keys other than the arrows, the page
// keys, Home and End change nothing. A movement costs about the rows it brings into view or
// moves the marker over, not the length of the menu.
[[nodiscard]] MenuPlace move_in_menu(const MenuLayout& layout, MenuPlace place, int rows, Key key);

// Whether the selected link is on screen, so that it is marked and Enter opens it.
[[nodiscard]] bool marker_on_screen(MenuPlace place, int rows);

// After the screen changed from old_rows to rows content rows: a marked link stays on screen,
// scrolled as little as needed, and no content row is left empty while rows remain below.
[[nodiscard]] MenuPlace resize_menu_place(const MenuLayout& layout, MenuPlace place, int old_rows,
                                          int rows);

// A place kept from other content of the same page (a reload, back or forward): the selection's
// ordinal clamped to the links there are, the top to the last full screen. Costs a walk to the
// selected link.
[[nodiscard]] MenuPlace bound_menu_place(const MenuLayout& layout, int ordinal, int top, int rows);
