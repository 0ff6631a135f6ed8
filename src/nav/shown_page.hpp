// The page on screen: where the user is in it, and what is worked out from its content, kept
// while the same content is shown.
#pragma once

#include <cstddef>

#include "gopher/menu_items.hpp"
#include "nav/menu_movement.hpp"
#include "nav/page.hpp"

// A page and the fetch that gave its content: another page, or a reload of the same one, is
// another key, whatever addresses the page and its bytes happen to have.
struct ShownKey {
    const Page* page = nullptr;
    unsigned long fetch = 0;
    bool operator==(const ShownKey&) const = default;
};

// The first row of a text on screen, its line by offset: the content moves while it arrives.
struct TextTop {
    std::size_t at = 0; // where its line starts in the content
    long line = 0;      // the line's index
    long row = 0;       // the row within the line
    bool found = false; // at is known: a place kept from a visit has only its line and row
};

// The record of the page on screen, reset in one place, prepare_shown_page. It is the one owner
// of the place while the page is shown; the page keeps a copy for the next visit
// (remember_place).
struct ShownPage {
    ShownKey key;
    bool menu = false;
    MenuItems items;
    MenuBuild build; // build.content is set while items wait to be parsed
    // The menu's links and where the view is in it, set once the items are whole: the layout
    // once per content, the place by every key. place_rows: the content rows it was made for.
    bool placed = false;
    MenuLayout layout;
    MenuPlace place;
    int place_rows = 0;
    // Until the menu is placed: the place kept from the page's last visit, as the page holds it.
    int kept_selected = 1;
    int kept_top = 0;
    // The text: its first row on screen (moved by the update step, read by the drawing), its
    // line count and its length up to its end or its first NUL: measured after the first
    // frame (-1 and 0 until then), or as it arrives. left: the first column shown while lines
    // are cut.
    TextTop top;
    int text_lines = -1;
    std::size_t text_size = 0;
    bool text_nul = false; // a NUL ended the text before the end of what has arrived
    long left = 0;
};

// When the page or its fetch differs from the record's key, the record starts afresh with the
// place the page keeps. Then, for a menu not built yet, the items of the first screen are
// parsed (first_rows rows from the kept top): finish_menu_items on the record's build parses
// the rest. Nothing happens for a page without content. growing: the content is still arriving,
// so a last line without its LF waits.
void prepare_shown_page(ShownPage* shown, const Page* page, int first_rows, bool growing = false);

// Copies the place on screen into the page, for its next visit.
void remember_place(const ShownPage& shown, Page* page);

// The menu's first row on screen and the ordinal of its selected link: the place once the menu
// is placed, the kept one before.
[[nodiscard]] int shown_menu_top(const ShownPage& shown);
[[nodiscard]] int shown_selected_ordinal(const ShownPage& shown);
