// What is worked out from the page on screen, kept while the same content comes back.
#pragma once

#include "gopher/menu_items.hpp"
#include "nav/browser.hpp"
#include "nav/text_position.hpp"
#include "ui/menu_movement.hpp"

// A page and the fetch that gave its content: another page, or a reload of the same one, is
// another key, whatever addresses the page and its bytes happen to have.
struct ShownKey {
    const Page* page = nullptr;
    unsigned long fetch = 0;
    bool operator==(const ShownKey&) const = default;
};

// The record of the page on screen. Owned by the browse loop, handed to the views by pointer,
// and checked against the page in one place, prepare_shown_page.
struct ShownPage {
    ShownKey key;
    bool menu_started = false; // the browser's items are this page's, whole or being built
    MenuBuild build;
    // The menu's links and where the view is in it, set once the items are whole: the layout
    // once per content, the place by every key. place_rows: the content rows it was made for.
    bool placed = false;
    MenuLayout layout;
    MenuPlace place;
    int place_rows = 0;
    int text_lines = -1;   // the text's line count; -1 until counted
    TextPosition position; // where the last text frame started
};

// The one place the record is reset: when the current page or its fetch differs from the key,
// the record starts afresh and the browser's item array (another page's) goes. Then, for a
// menu, the items are made as build_menu_items would make them (selected and menu_top kept:
// the view bounds them to the new items), except that a new build stops after the first
// screen's items: finish_menu_items on the record's build parses the rest. A menu already
// built for the key is only finished, and the view finds its place in the record.
void prepare_shown_page(Browser* browser, ShownPage* shown, int menu);

// Numbers the current page's content as the browser's next fetch. Whoever stores a content in
// a page calls it, so that no record made for an earlier content is taken for this one's.
void stamp_fetch(Browser* browser);
